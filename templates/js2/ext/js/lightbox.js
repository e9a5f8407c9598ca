// SPDX-License-Identifier: MIT
/* Kavlo photo album - the large-image view over the album: a modal dialog
 * with the photo on show as large as the screen allows (the browser picks the
 * file), its caption under it, zoom, swipe, previous/next, a link to the
 * large-image page and a close button. Only in albums with large images. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var doc = global.document;

  /* ctx: the album view (album, root, state, options); step(delta) moves to
     the previous or next photo. Returns null without large images. */
  K.buildLightbox = function (ctx, step) {
    var album = ctx.album, state = ctx.state, options = ctx.options;
    if (!album.large.enabled) return null;
    var dialog = K.el('dialog', { class: 'kv-lightbox', id: 'kv-lightbox', 'aria-label': K.t('large') });
    var largeImg = K.el('img', { class: 'kv-lightbox-image', alt: '', decoding: 'async', fetchpriority: 'high' });
    var stage = K.el('div', { class: 'kv-lightbox-stage' }, [largeImg]);
    var caption = K.buildCaption('kv-lb');
    var tools = K.el('div', { class: 'kv-lightbox-tools' });
    var prev = K.iconButton('prev', K.t('previous'), 'kv-lb-prev');
    var next = K.iconButton('next', K.t('next'), 'kv-lb-next');
    var tab = null;
    if (options.pages !== undefined) {
      tab = K.el('a', { class: 'kv-button kv-lb-tab', target: '_blank', rel: 'noopener', 'aria-label': K.t('newTab'), title: K.t('newTab') }, [K.icon('newtab')]);
    }
    var full = K.fullscreenAvailable() ? K.iconButton('fullscreen', K.t('fullscreen'), 'kv-lb-full') : null;
    var closeBtn = K.iconButton('close', K.t('close'), 'kv-lb-close');
    [prev, next, full, tab, closeBtn].forEach(function (b) { if (b) tools.appendChild(b); });
    var figure = K.el('figure', { class: 'kv-lightbox-figure' }, [stage, caption.element]);
    // A dialog itself cannot go full screen: its content can, tools and all.
    var body = K.el('div', { class: 'kv-lightbox-body', id: 'kv-lightbox-body' }, [tools, figure]);
    dialog.appendChild(body);
    doc.body.appendChild(dialog);

    var box = { w: 0 }, kept = [];
    var zoom = K.bindZoom(stage, largeImg, function () {
      var c = K.candidates(album, state.index);
      return c.length ? c[c.length - 1].w : 0;
    }, K.debounce(function () { layout(); }, 150));

    /* Display size of photo i in the dialog above its caption. */
    function sizeFor(i) {
      var L = album.large.list[i];
      var c = K.candidates(album, i), best = c.length ? c[c.length - 1].w : L.w;
      var r = K.roomAbove(figure, caption.element);
      return K.fit(L.w, L.h, r.w, r.h, L.w > 0 && best > L.w ? best / L.w : 1);
    }

    /* Fits the photo into the dialog above its caption. */
    function layout() {
      var i = state.index;
      if (!dialog.open || i === null || i < 0) return;
      var d = sizeFor(i);
      if (!(d.w > 0)) return;
      box = d;
      largeImg.style.width = d.w + 'px';
      largeImg.style.height = d.h + 'px';
      var set = K.sourceSet(album, ctx.root, i, Math.round(d.w * zoom.scale()));
      if (largeImg.getAttribute('sizes') !== Math.round(d.w * zoom.scale()) + 'px') largeImg.sizes = Math.round(d.w * zoom.scale()) + 'px';
      if (largeImg.getAttribute('srcset') !== set.srcset) largeImg.srcset = set.srcset;
    }

    function update() {
      if (state.index === null || state.index < 0) return;
      var i = state.index, L = album.large.list[i];
      zoom.reset();
      if (L.w && L.h) { largeImg.width = L.w; largeImg.height = L.h; }
      largeImg.alt = K.shortAlt(album, i);
      caption.show(album.images[i]);
      layout();
      largeImg.src = K.imageUrl(ctx.root, album.dirs.large, album.images[i].file);
      if (tab) tab.href = options.pages + 'large.html#' + (i + 1);
    }

    function open() {
      if (state.index === null || state.index < 0) return;
      if (!dialog.open) {
        if (typeof dialog.showModal === 'function') dialog.showModal(); else dialog.setAttribute('open', '');
      }
      state.largeOpen = true;
      update();
    }

    function close() {
      if (dialog.open) { if (typeof dialog.close === 'function') dialog.close(); else dialog.removeAttribute('open'); }
      state.largeOpen = false;
    }

    function toggleFullscreen() { K.toggleFullscreen(body); }

    // Once a photo is on show, the files its neighbours will show are fetched.
    largeImg.addEventListener('load', function () {
      var i = state.index;
      if (!dialog.open || i === null || i < 0) return;
      [i + 1, i - 1].forEach(function (k) {
        if (k >= 0 && k < album.count) K.preloadPhoto(album, ctx.root, k, sizeFor(k).w, kept);
      });
    });

    prev.addEventListener('click', function () { step(-1); });
    next.addEventListener('click', function () { step(1); });
    closeBtn.addEventListener('click', function () { close(); });
    if (full) full.addEventListener('click', toggleFullscreen);
    dialog.addEventListener('close', function () { state.largeOpen = false; zoom.reset(); });
    // A click beside the photo closes the view.
    dialog.addEventListener('click', function (e) { if ([dialog, body, figure, stage].indexOf(e.target) >= 0) close(); });
    K.bindSwipe([stage], step, zoom.zoomed);
    if (global.ResizeObserver) new global.ResizeObserver(function () { layout(); }).observe(figure);
    else global.addEventListener('resize', layout);

    return { dialog: dialog, image: largeImg, open: open, close: close, update: update, zoom: zoom, fullscreen: toggleFullscreen, box: function () { return box; } };
  };
})(window);
