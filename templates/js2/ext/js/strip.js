/* Kavlo photo album - the thumbnail strip beside the photo: one link per image,
 * the current one marked and kept in view. */
(function (global) {
  'use strict';
  var K = global.Kavlo;

  /* ctx: the album view (album, root, app); pos: where the strip sits
     (left, right, top or bottom). */
  K.buildStrip = function (ctx, pos) {
    var album = ctx.album;
    var strip = K.el('nav', { class: 'kv-strip', id: 'kv-strip', 'aria-label': K.t('thumbnails') });
    var list = K.el('ol', { class: 'kv-strip-list' });
    var thumbs = [];
    album.images.forEach(function (img, i) {
      var s = album.small.list[i];
      var label = K.t('imageOf', { n: i + 1, total: album.count });
      var a = K.el('a', { class: 'kv-thumb', href: '#' + (i + 1), 'aria-label': label, title: K.plainText(img.major) || img.minor || label });
      var t = K.el('img', {
        src: K.imageUrl(ctx.root, album.dirs.small, img.file), alt: '', loading: 'lazy', decoding: 'async',
        width: s.w || null, height: s.h || null
      });
      t.addEventListener('error', function () { a.classList.add('kv-broken'); });
      a.appendChild(t);
      list.appendChild(K.el('li', null, [a]));
      thumbs.push(a);
    });
    strip.appendChild(list);
    // Reserve the strip's thickness from the largest thumbnail: no layout jumps.
    ctx.app.style.setProperty('--kv-thumb-w', Math.max(24, album.small.maxW) + 'px');
    ctx.app.style.setProperty('--kv-thumb-h', Math.max(24, album.small.maxH) + 'px');

    function mark(i) {
      thumbs.forEach(function (a, k) {
        var cur = k === i;
        a.classList.toggle('kv-current', cur);
        if (cur) a.setAttribute('aria-current', 'true'); else a.removeAttribute('aria-current');
      });
    }

    function reveal(i) {
      var a = thumbs[i];
      if (!a) return;
      var sr = strip.getBoundingClientRect(), ar = a.getBoundingClientRect();
      var behavior = K.reducedMotion() ? 'auto' : 'smooth';
      if (pos === 'top' || pos === 'bottom' || strip.scrollWidth > strip.clientWidth + 1) {
        var dx = (ar.left + ar.width / 2) - (sr.left + sr.width / 2);
        strip.scrollBy({ left: dx, behavior: behavior });
      } else {
        var dy = (ar.top + ar.height / 2) - (sr.top + sr.height / 2);
        strip.scrollBy({ top: dy, behavior: behavior });
      }
    }

    return { element: strip, mark: mark, reveal: reveal };
  };
})(window);
