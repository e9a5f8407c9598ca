// SPDX-License-Identifier: MIT
/* Kavlo photo album - the large-image page (ext/html/large.html): one photo
 * as large as the window allows (the browser picks the file), its caption
 * under it, zoom, swipe and keys, previous/next and the way back. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var doc = global.document;

  function buildPage(app, album) {
    var p = {};
    p.back = K.el('a', { class: 'kv-button kv-back', 'aria-label': K.t('backToAlbum'), title: K.t('backToAlbum') }, [K.icon('back')]);
    p.prev = K.iconButton('prev', K.t('previous'), 'kv-prev');
    p.next = K.iconButton('next', K.t('next'), 'kv-next');
    p.full = K.fullscreenAvailable() ? K.iconButton('fullscreen', K.t('fullscreen'), 'kv-fullscreen-button') : null;
    p.counter = K.el('p', { class: 'kv-counter', id: 'kv-counter', dir: 'ltr' });
    app.appendChild(K.el('header', { class: 'kv-header kv-large-header' }, [
      K.el('div', { class: 'kv-heading' }, [K.el('h1', { class: 'kv-title', dir: 'auto', text: album.title }), p.counter]),
      K.el('div', { class: 'kv-tools', role: 'toolbar' }, [p.prev, p.next, p.full, p.back])
    ]));
    p.img = K.el('img', { class: 'kv-large-image', id: 'kv-image', alt: '', decoding: 'async', fetchpriority: 'high' });
    p.stage = K.el('div', { class: 'kv-large-stage' }, [p.img]);
    p.caption = K.buildCaption();
    p.figure = K.el('figure', { class: 'kv-large-figure' }, [p.stage, p.caption.element]);
    app.appendChild(K.el('main', { class: 'kv-large-main', id: 'kv-main' }, [p.figure]));
    return p;
  }

  K.startLarge = function (options) {
    var root = options.root || '';
    var album = K.readAlbum();
    K.applyLanguage(doc);
    var app = K.el('div', { class: 'kv-app kv-large-page', id: 'kv-app' });
    doc.body.appendChild(app);
    doc.body.classList.add('kv-js');
    if (!album.present || album.count === 0) {
      K.message(app, album.present ? K.t('noImages') : K.t('noData'));
      return null;
    }
    var index = 0;
    var p = buildPage(app, album);
    var dir = album.large.enabled ? album.dirs.large : album.dirs.medium;
    var sizes = album.large.enabled ? album.large.list : album.medium.list;

    function best() { var c = K.candidates(album, index); return c.length ? c[c.length - 1].w : 0; }
    var zoom = K.bindZoom(p.stage, p.img, best, K.debounce(function () { layout(); }, 150));

    /* Fits the photo into the stage; the browser picks the file for its size. */
    function layout() {
      var s = sizes[index], r = K.roomAbove(p.figure, p.caption.element, p.stage);
      var b = best();
      var d = K.fit(s.w, s.h, r.w, r.h, s.w > 0 && b > s.w ? b / s.w : 1);
      if (!(d.w > 0)) return;
      p.img.style.width = d.w + 'px';
      p.img.style.height = d.h + 'px';
      var w = Math.round(d.w * zoom.scale());
      var set = K.sourceSet(album, root, index, w);
      if (p.img.getAttribute('sizes') !== w + 'px') p.img.sizes = w + 'px';
      if (p.img.getAttribute('srcset') !== set.srcset) p.img.srcset = set.srcset;
    }

    /* The photo the address asks for, else where the album starts. */
    function target() {
      var t = K.hashTarget(global.location.hash, album.count);
      return t === null || t < 0 ? album.currentImage : t;
    }

    function render(i) {
      index = i;
      var it = album.images[index];
      zoom.reset();
      if (sizes[index].w) { p.img.width = sizes[index].w; p.img.height = sizes[index].h; }
      p.img.alt = K.shortAlt(album, index);
      if (it.minor) p.img.title = it.minor; else p.img.removeAttribute('title');
      p.caption.show(it);
      layout();
      p.img.src = K.imageUrl(root, dir, it.file);
      p.counter.textContent = (index + 1) + ' / ' + album.count;
      doc.title = (album.title ? album.title + ' \u2013 ' : '') + (index + 1) + ' / ' + album.count;
      p.back.href = (options.backHref || root + 'index.html') + '#' + (index + 1);
      p.prev.disabled = index === 0;
      p.next.disabled = index === album.count - 1;
    }
    /* Steps replace the history entry: Back leaves the page. */
    function go(i) {
      if (i < 0 || i >= album.count || i === index) return;
      K.replaceHash('#' + (i + 1));
      render(i);
    }
    function toggleFullscreen() { K.toggleFullscreen(p.figure); }
    p.prev.addEventListener('click', function () { go(index - 1); });
    p.next.addEventListener('click', function () { go(index + 1); });
    if (p.full) p.full.addEventListener('click', toggleFullscreen);
    doc.addEventListener('keydown', function (e) {
      if (e.altKey || e.ctrlKey || e.metaKey) return;
      if (K.viewKey(e, function () { return { zoom: zoom, fullscreen: toggleFullscreen }; })) return;
      var rtl = K.dir() === 'rtl';
      if (e.key === 'ArrowRight' || e.key === 'PageDown') { go(index + (rtl && e.key === 'ArrowRight' ? -1 : 1)); e.preventDefault(); }
      else if (e.key === 'ArrowLeft' || e.key === 'PageUp') { go(index + (rtl && e.key === 'ArrowLeft' ? 1 : -1)); e.preventDefault(); }
      else if (e.key === 'Home') { go(0); e.preventDefault(); }
      else if (e.key === 'End') { go(album.count - 1); e.preventDefault(); }
      else if (e.key === 'Escape' && !doc.fullscreenElement) { global.location.href = p.back.href; }
    });
    K.bindSwipe([p.stage], function (d) { go(index + d); }, zoom.zoomed);
    global.addEventListener('hashchange', function () { if (target() !== index) render(target()); });
    if (global.ResizeObserver) new global.ResizeObserver(function () { layout(); }).observe(p.figure);
    else global.addEventListener('resize', layout);
    render(target());
    return { go: go, current: function () { return index; } };
  };
})(window);
