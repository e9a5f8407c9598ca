/* Kavlo photo album - the photo on show: stage, frame and image, fitted into
 * the room the caption leaves from the sizes the album data knows, with the
 * neighbouring images fetched ahead. */
(function (global) {
  'use strict';
  var K = global.Kavlo;

  /* ctx: the album view (album, root, state, app); caption: the caption of
     captions.js, shown under the photo. The owner may set viewer.onShown (the
     photo has decoded) and viewer.onFailed (it could not be loaded). */
  K.buildViewer = function (ctx, caption) {
    var album = ctx.album, state = ctx.state;
    var figure = K.el('figure', { class: 'kv-figure', id: 'kv-figure' });
    var stage = K.el('div', { class: 'kv-stage', id: 'kv-stage' });
    var frame = K.el('div', { class: 'kv-frame' });
    var image = K.el('img', { class: 'kv-image', id: 'kv-image', alt: '', decoding: 'async' });
    frame.appendChild(image);
    stage.appendChild(frame);
    var sidePrev = K.iconButton('prev', K.t('previous'), 'kv-side kv-side-prev');
    var sideNext = K.iconButton('next', K.t('next'), 'kv-side kv-side-next');
    // Pointer shortcuts only: the toolbar holds the keyboard and screen-reader versions.
    [sidePrev, sideNext].forEach(function (b) { b.tabIndex = -1; b.setAttribute('aria-hidden', 'true'); });
    stage.appendChild(sidePrev);
    stage.appendChild(sideNext);
    var loadError = K.el('p', { class: 'kv-load-error', role: 'alert', text: K.t('loadError') });
    loadError.hidden = true;
    stage.appendChild(loadError);
    figure.appendChild(stage);
    figure.appendChild(caption.element);

    var viewer = { figure: figure, stage: stage, image: image, sidePrev: sidePrev, sideNext: sideNext, onShown: null, onFailed: null };

    function mediumUrl(i) { return K.imageUrl(ctx.root, album.dirs.medium, album.images[i].file); }
    function largeUrl(i) { return K.imageUrl(ctx.root, album.dirs.large, album.images[i].file); }

    /* Size of main image i: from the album data, or, for data without sizes,
       from the picture itself once it has loaded. */
    function boxFor(i) {
      var sz = album.medium.list[i] || { w: 0, h: 0 };
      if (!(sz.w > 0 && sz.h > 0) && i === state.index && image.naturalWidth > 0) sz = { w: image.naturalWidth, h: image.naturalHeight };
      return sz;
    }

    // Ratio of the box that holds every main image: the stage keeps it on narrow screens.
    if (album.medium.maxW > 0 && album.medium.maxH > 0) {
      ctx.app.style.setProperty('--kv-box-ratio', album.medium.maxW + ' / ' + album.medium.maxH);
      ctx.app.style.setProperty('--kv-box-w', album.medium.maxW + 'px');
    }

    function layout() {
      if (state.index === null || state.index < 0) return;
      var sz = boxFor(state.index);
      var L = album.large.enabled ? album.large.list[state.index] : null;
      var cs = global.getComputedStyle(stage);
      var bw = stage.clientWidth - parseFloat(cs.paddingLeft) - parseFloat(cs.paddingRight);
      // Wide screens: the image and its caption share the figure's height and sit
      // together in its middle. Narrow screens give the stage its own shape.
      var room = cs.aspectRatio && cs.aspectRatio !== 'auto' ? stage.clientHeight : figure.clientHeight - caption.element.offsetHeight;
      var bh = room - parseFloat(cs.paddingTop) - parseFloat(cs.paddingBottom);
      var fcs = global.getComputedStyle(frame);
      var fx = parseFloat(fcs.paddingLeft) + parseFloat(fcs.paddingRight) + parseFloat(fcs.borderLeftWidth) + parseFloat(fcs.borderRightWidth);
      var fy = parseFloat(fcs.paddingTop) + parseFloat(fcs.paddingBottom) + parseFloat(fcs.borderTopWidth) + parseFloat(fcs.borderBottomWidth);
      // A main image is never enlarged; where a large image exists the view may
      // grow up to its size, and the browser then picks the sharper file.
      var limit = 1;
      if (L && L.w > sz.w && sz.w > 0) limit = L.w / sz.w;
      var d = K.fit(sz.w, sz.h, bw - fx, bh - fy, limit);
      if (d.w > 0 && (image.style.width !== d.w + 'px' || image.style.height !== d.h + 'px')) {
        image.style.width = d.w + 'px';
        image.style.height = d.h + 'px';
        // Changing sizes makes the browser pick a file again: only when it differs.
        if (image.getAttribute('sizes') !== d.w + 'px') image.sizes = d.w + 'px';
      }
    }

    function preload(i) {
      if (i < 0 || i >= album.count) return;
      var p = new Image();
      p.decoding = 'async';
      p.src = mediumUrl(i);
    }

    /* Shows image i with its captions. */
    function show(i) {
      var img = album.images[i], sz = boxFor(i);
      loadError.hidden = true;
      frame.classList.remove('kv-loaded');
      var src = mediumUrl(i);
      if (sz.w && sz.h) {
        image.width = sz.w; image.height = sz.h;
        // Narrow screens size the stage to the image itself, known before it loads.
        stage.style.setProperty('--kv-image-ratio', sz.w + ' / ' + sz.h);
      }
      if (album.large.enabled && sz.w > 0 && album.large.list[i].w > sz.w) {
        image.srcset = src + ' ' + sz.w + 'w, ' + largeUrl(i) + ' ' + album.large.list[i].w + 'w';
      } else {
        image.removeAttribute('srcset');
      }
      image.src = src;
      image.alt = K.altText(album, i);
      if (img.minor) image.title = img.minor; else image.removeAttribute('title');
      layout();
      caption.show(img);
      layout(); // the caption's height is part of the image's room
    }

    function onLoaded() {
      var first = !frame.classList.contains('kv-loaded');
      frame.classList.add('kv-loaded');
      if (!first) return; // a sharper file replacing the first one
      layout();
      preload(state.index + 1);
      preload(state.index - 1);
      if (viewer.onShown) viewer.onShown();
    }
    image.addEventListener('load', onLoaded);
    image.addEventListener('error', function () {
      if (!image.getAttribute('src')) return;
      loadError.hidden = false;
      if (viewer.onFailed) viewer.onFailed();
    });

    /* Completes the showing of a photo the browser already had decoded. */
    function settle() {
      if (image.complete && image.naturalWidth > 0) onLoaded();
    }

    if (global.ResizeObserver) {
      var ro = new global.ResizeObserver(layout);
      ro.observe(figure);
      ro.observe(caption.element);
    } else {
      global.addEventListener('resize', layout);
    }

    viewer.layout = layout;
    viewer.preload = preload;
    viewer.show = show;
    viewer.settle = settle;
    return viewer;
  };
})(window);
