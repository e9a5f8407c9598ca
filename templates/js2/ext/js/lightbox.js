/* Kavlo photo album - the large-image view over the album: a modal dialog
 * with the large image of the photo on show, previous/next, a link to the
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
    var largeImg = K.el('img', { class: 'kv-lightbox-image', alt: '', decoding: 'async' });
    var tools = K.el('div', { class: 'kv-lightbox-tools' });
    var prev = K.iconButton('prev', K.t('previous'), 'kv-lb-prev');
    var next = K.iconButton('next', K.t('next'), 'kv-lb-next');
    var tab = null;
    if (options.pages !== undefined) {
      tab = K.el('a', { class: 'kv-button kv-lb-tab', target: '_blank', rel: 'noopener', 'aria-label': K.t('newTab'), title: K.t('newTab') }, [K.icon('newtab')]);
    }
    var closeBtn = K.iconButton('close', K.t('close'), 'kv-lb-close');
    [prev, next, tab, closeBtn].forEach(function (b) { if (b) tools.appendChild(b); });
    dialog.appendChild(largeImg);
    dialog.appendChild(tools);
    doc.body.appendChild(dialog);

    function update() {
      if (state.index === null || state.index < 0) return;
      var i = state.index, L = album.large.list[i];
      largeImg.src = K.imageUrl(ctx.root, album.dirs.large, album.images[i].file);
      if (L.w && L.h) { largeImg.width = L.w; largeImg.height = L.h; }
      largeImg.alt = K.altText(album, i);
      if (tab) tab.href = options.pages + 'large.html#' + (i + 1);
    }

    function open() {
      if (state.index === null || state.index < 0) return;
      update();
      if (!dialog.open) {
        if (typeof dialog.showModal === 'function') dialog.showModal(); else dialog.setAttribute('open', '');
      }
      state.largeOpen = true;
    }

    function close() {
      if (dialog.open) { if (typeof dialog.close === 'function') dialog.close(); else dialog.removeAttribute('open'); }
      state.largeOpen = false;
    }

    prev.addEventListener('click', function () { step(-1); });
    next.addEventListener('click', function () { step(1); });
    closeBtn.addEventListener('click', function () { close(); });
    dialog.addEventListener('close', function () { state.largeOpen = false; });
    dialog.addEventListener('click', function (e) { if (e.target === dialog) close(); });

    return { dialog: dialog, image: largeImg, open: open, close: close, update: update };
  };
})(window);
