// SPDX-License-Identifier: MIT
/* Kavlo photo album - the thumbnail strip beside the photo: one link per image,
 * the current one marked and kept in view. Only the thumbnails near the
 * visible part of the strip are in the page (albums may hold tens of
 * thousands of photos); the list keeps the length of all of them. The strip is
 * one tab stop: arrow keys, Home and End move the focus inside it. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var doc = global.document;
  var SPARE = 12; // thumbnails kept on either side of the visible ones

  /* The img of thumbnail i, with its 2x file for sharp screens when there is
     one; held: without its address yet (see fetchThumb). */
  K.thumbImage = function (album, root, i, held) {
    var s = album.small.list[i], t2 = album.renditions.thumb2x[i];
    var file = album.images[i].file;
    // Lazy before the address: a picture fetches as soon as it has one.
    var img = K.el('img', { loading: 'lazy', decoding: 'async', fetchpriority: 'low', alt: '', width: s.w || null, height: s.h || null });
    img.kvSrc = K.imageUrl(root, album.dirs.small, file);
    if (t2) img.kvSrcset = img.kvSrc + ' 1x, ' + K.imageUrl(root, album.renditions.thumb2xDir, file) + ' 2x';
    if (!held) K.fetchThumb(img);
    return img;
  };

  K.fetchThumb = function (img) {
    if (img.kvSrcset) img.srcset = img.kvSrcset;
    if (!img.getAttribute('src')) img.src = img.kvSrc;
  };

  /* ctx: the album view (album, root, app); pos: where the strip sits
     (left, right, top or bottom; narrow screens turn every strip across). */
  K.buildStrip = function (ctx, pos) {
    var album = ctx.album, n = album.count;
    var strip = K.el('nav', { class: 'kv-strip', id: 'kv-strip', 'aria-label': K.t('thumbnails') });
    var list = K.el('ol', { class: 'kv-strip-list' });
    strip.appendChild(list);
    // Reserve the strip's thickness from the largest thumbnail: no layout jumps.
    ctx.app.style.setProperty('--kv-thumb-w', Math.max(24, album.small.maxW) + 'px');
    ctx.app.style.setProperty('--kv-thumb-h', Math.max(24, album.small.maxH) + 'px');

    var items = {}, from = 0, to = -1, current = -1, focus = 0, metrics = null;
    // Thumbnails wait until the photo is on show: on a slow line they would share it.
    var held = true;
    global.setTimeout(release, 3000);
    function release() {
      if (!held) return;
      held = false;
      Array.prototype.forEach.call(list.querySelectorAll('img'), K.fetchThumb);
    }

    function item(i) {
      if (items[i]) return items[i];
      var img = album.images[i];
      var label = K.t('imageOf', { n: i + 1, total: n });
      var a = K.el('a', { class: 'kv-thumb', href: '#' + (i + 1), 'aria-label': label, title: K.plainText(img.major) || img.minor || label, tabindex: '-1', 'data-index': i });
      var t = K.thumbImage(album, ctx.root, i, held);
      t.addEventListener('error', function () { a.classList.add('kv-broken'); });
      a.appendChild(t);
      if (i === current) { a.classList.add('kv-current'); a.setAttribute('aria-current', 'true'); }
      items[i] = K.el('li', { 'aria-setsize': n, 'aria-posinset': i + 1 }, [a]);
      return items[i];
    }

    /* Direction and pitch (thumbnail plus gap) as the style sheet lays them out now. */
    function measure() {
      var cs = global.getComputedStyle(list);
      var across = cs.flexDirection.indexOf('row') === 0;
      var gap = parseFloat(across ? cs.columnGap : cs.rowGap) || 0;
      var li = list.firstElementChild;
      if (!li) return null;
      var r = li.getBoundingClientRect();
      var size = across ? r.width : r.height;
      return size > 0 ? { across: across, gap: gap, pitch: size + gap } : null;
    }

    /* Puts thumbnails from..to in the list (and only those), in order. */
    function place(f, t) {
      f = Math.max(0, f); t = Math.min(n - 1, t);
      if (f === from && t === to) return;
      Object.keys(items).forEach(function (k) {
        k = +k;
        if (k < f || k > t) { if (items[k].parentNode) list.removeChild(items[k]); delete items[k]; }
      });
      var before = null;
      for (var i = t; i >= f; i--) { var li = item(i); if (li.parentNode !== list || li.nextSibling !== before) list.insertBefore(li, before); before = li; }
      from = f; to = t;
      // One tab stop: the focus thumbnail, or the first one in the page when it is not.
      var stop = items[focus] || items[from];
      if (stop && stop.firstChild.tabIndex !== 0) {
        Array.prototype.forEach.call(list.querySelectorAll('.kv-thumb[tabindex="0"]'), function (x) { x.tabIndex = -1; });
        stop.firstChild.tabIndex = 0;
      }
      if (metrics) {
        var start = from * metrics.pitch, length = Math.max(0, n * metrics.pitch - metrics.gap);
        list.style.paddingInlineStart = metrics.across ? start + 'px' : '';
        list.style.paddingTop = metrics.across ? '' : start + 'px';
        list.style.width = metrics.across ? length + 'px' : '';
        list.style.height = metrics.across ? '' : length + 'px';
      }
    }

    /* Shows the thumbnails around the visible part of the strip, or around i. */
    function update(around) {
      if (n === 0) return;
      if (to < 0) place((around || 0) - SPARE, (around || 0) + SPARE);
      metrics = measure();
      if (!metrics) return;
      var view = metrics.across ? strip.clientWidth : strip.clientHeight;
      var offset = metrics.across ? Math.abs(strip.scrollLeft) : strip.scrollTop;
      if (around !== undefined) offset = around * metrics.pitch - view / 2;
      var first = Math.floor(offset / metrics.pitch) - SPARE;
      var last = Math.ceil((offset + view) / metrics.pitch) + SPARE;
      from = -1; // re-apply the list's length with the measured pitch
      place(first, last);
    }

    var pending = false;
    strip.addEventListener('scroll', function () {
      if (pending) return;
      pending = true;
      global.requestAnimationFrame(function () { pending = false; update(); });
    }, { passive: true });
    if (global.ResizeObserver) new global.ResizeObserver(function () { update(); }).observe(strip);

    function mark(i) {
      if (items[current]) { var o = items[current].firstChild; o.classList.remove('kv-current'); o.removeAttribute('aria-current'); }
      current = i;
      if (to < 0) update(Math.max(0, i));
      if (i >= 0) setFocus(i, false);
      if (items[i]) { var a = items[i].firstChild; a.classList.add('kv-current'); a.setAttribute('aria-current', 'true'); }
    }

    /* The one thumbnail the Tab key reaches; move: give it the focus as well. */
    function setFocus(i, move) {
      focus = i;
      if (move || !items[i]) reveal(i, true);
      Array.prototype.forEach.call(list.querySelectorAll('.kv-thumb[tabindex="0"]'), function (x) { x.tabIndex = -1; });
      if (!items[i]) return;
      items[i].firstChild.tabIndex = 0;
      if (move) items[i].firstChild.focus({ preventScroll: true });
    }

    /* Scrolls thumbnail i to the middle of the strip; far jumps go at once, so
       that the thumbnails on the way are never built or fetched. */
    function reveal(i, instant) {
      if (i < 0 || i >= n) return;
      if (!items[i]) update(i);
      if (!items[i]) return;
      var across = metrics ? metrics.across : (pos === 'top' || pos === 'bottom');
      var sr = strip.getBoundingClientRect(), ar = items[i].firstChild.getBoundingClientRect();
      var delta = across ? (ar.left + ar.width / 2) - (sr.left + sr.width / 2) : (ar.top + ar.height / 2) - (sr.top + sr.height / 2);
      var far = Math.abs(delta) > 1.5 * (across ? sr.width : sr.height);
      var behavior = instant || far || K.reducedMotion() ? 'auto' : 'smooth';
      strip.scrollBy(across ? { left: delta, behavior: behavior } : { top: delta, behavior: behavior });
      if (behavior === 'auto') update();
    }

    strip.addEventListener('keydown', function (e) {
      if (e.altKey || e.ctrlKey || e.metaKey || !e.target.classList.contains('kv-thumb')) return;
      var at = +e.target.getAttribute('data-index');
      var fwd = K.dir() === 'rtl' ? -1 : 1;
      var target;
      switch (e.key) {
        case 'ArrowDown': target = at + 1; break;
        case 'ArrowUp': target = at - 1; break;
        case 'ArrowRight': target = at + fwd; break;
        case 'ArrowLeft': target = at - fwd; break;
        case 'Home': target = 0; break;
        case 'End': target = n - 1; break;
        default: return;
      }
      e.preventDefault(); // the album's own arrow keys stay out of the strip
      if (target >= 0 && target < n) setFocus(target, true);
    });

    return { element: strip, mark: mark, reveal: function (i) { reveal(i, false); }, release: release };
  };
})(window);
