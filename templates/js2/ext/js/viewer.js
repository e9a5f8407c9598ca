// SPDX-License-Identifier: MIT
/* Kavlo photo album - the photo on show: stage, frame and image, fitted into
 * the room the caption leaves from the sizes the album data knows, with the
 * neighbouring images fetched ahead. */
(function (global) {
  'use strict';
  var K = global.Kavlo;

  /* ctx: the album view (album, root, state, app); caption: the caption of
     captions.js, shown under the photo. The owner may set viewer.onShown (the
     photo has decoded) and viewer.onFailed (it could not be loaded). */
  /* Fetches, at low priority, the file the browser picks for image i shown
     w CSS pixels wide: the same choice as the photo's own sources make.
     keep holds the last few requests so that they are not dropped. */
  K.preloadPhoto = function (album, root, i, w, keep) {
    var p = new Image();
    p.decoding = 'async';
    p.fetchPriority = 'low';
    if (w > 0) {
      var set = K.sourceSet(album, root, i, w);
      p.sizes = w + 'px';
      p.srcset = set.srcset;
    }
    p.src = K.imageUrl(root, album.dirs.medium, album.images[i].file);
    keep.push(p);
    if (keep.length > 4) keep.shift();
  };

  /* The figure: stage with the framed photo, side buttons, the way out of
     full screen and the load error, then the caption. */
  function buildFigure(caption, viewer) {
    var figure = K.el('figure', { class: 'kv-figure', id: 'kv-figure' });
    var stage = K.el('div', { class: 'kv-stage', id: 'kv-stage' });
    var frame = K.el('div', { class: 'kv-frame' });
    var image = K.el('img', { class: 'kv-image', id: 'kv-image', alt: '', decoding: 'async', fetchpriority: 'high' });
    frame.appendChild(image);
    stage.appendChild(frame);
    var sidePrev = K.iconButton('prev', K.t('previous'), 'kv-side kv-side-prev');
    var sideNext = K.iconButton('next', K.t('next'), 'kv-side kv-side-next');
    // Pointer shortcuts only: the toolbar holds the keyboard and screen-reader versions.
    [sidePrev, sideNext].forEach(function (b) { b.tabIndex = -1; b.setAttribute('aria-hidden', 'true'); });
    stage.appendChild(sidePrev);
    stage.appendChild(sideNext);
    // In full screen the toolbar is out of sight: the way back sits on the photo.
    var fsExit = K.iconButton('close', K.t('fullscreen'), 'kv-fs-exit');
    fsExit.setAttribute('aria-pressed', 'true');
    fsExit.addEventListener('click', function () { if (viewer.onFullscreen) viewer.onFullscreen(); });
    stage.appendChild(fsExit);
    var loadError = K.el('p', { class: 'kv-load-error', role: 'alert', text: K.t('loadError') });
    loadError.hidden = true;
    stage.appendChild(loadError);
    figure.appendChild(stage);
    figure.appendChild(caption.element);
    viewer.figure = figure; viewer.stage = stage; viewer.frame = frame; viewer.image = image;
    viewer.sidePrev = sidePrev; viewer.sideNext = sideNext; viewer.loadError = loadError;
  }

  /* Gives img the files the browser may choose from for image i at width w. */
  function applySources(album, root, img, i, w) {
    var set = K.sourceSet(album, root, i, w);
    if (set.count > 1 || (set.best && set.best.dir !== album.dirs.medium)) {
      if (img.getAttribute('sizes') !== w + 'px') img.sizes = w + 'px';
      if (img.getAttribute('srcset') !== set.srcset) img.srcset = set.srcset;
    } else if (img.hasAttribute('srcset')) {
      img.removeAttribute('srcset');
      img.removeAttribute('sizes');
    }
  }

  K.buildViewer = function (ctx, caption) {
    var album = ctx.album, state = ctx.state;
    var viewer = { preloaded: [], onShown: null, onFailed: null, onLayout: null, onFullscreen: null, zoomScale: null };
    buildFigure(caption, viewer);
    var figure = viewer.figure, stage = viewer.stage, frame = viewer.frame, image = viewer.image, loadError = viewer.loadError;

    function mediumUrl(i) { return K.imageUrl(ctx.root, album.dirs.medium, album.images[i].file); }

    // Over a network the page's first photo shows its main image first (the
    // start page fetches it early) and then the file the screen calls for.
    var mainFirst = global.location.protocol !== 'file:', settling = false;

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

    /* The room for image i inside the stage, frame padding and border taken off. */
    function room(i) {
      var cs = global.getComputedStyle(stage);
      var bw = stage.clientWidth - parseFloat(cs.paddingLeft) - parseFloat(cs.paddingRight);
      // Wide screens: the image and its caption share the figure's height and sit
      // together in its middle. Narrow screens give the stage the photo's own
      // shape, up to the stage's greatest height.
      var h = figure.clientHeight - caption.element.offsetHeight;
      if (cs.aspectRatio && cs.aspectRatio !== 'auto') {
        var sz = boxFor(i), most = parseFloat(cs.maxHeight);
        h = sz.w > 0 && sz.h > 0 ? stage.clientWidth * sz.h / sz.w : stage.clientHeight;
        if (most > 0) h = Math.min(h, most);
      }
      var bh = h - parseFloat(cs.paddingTop) - parseFloat(cs.paddingBottom);
      var fcs = global.getComputedStyle(frame);
      var fx = parseFloat(fcs.paddingLeft) + parseFloat(fcs.paddingRight) + parseFloat(fcs.borderLeftWidth) + parseFloat(fcs.borderRightWidth);
      var fy = parseFloat(fcs.paddingTop) + parseFloat(fcs.paddingBottom) + parseFloat(fcs.borderTopWidth) + parseFloat(fcs.borderBottomWidth);
      return { w: bw - fx, h: bh - fy };
    }

    /* Display size of image i in the room: as large as it allows, but never
       more CSS pixels than its largest file has pixels. */
    function displaySize(i, r) {
      var sz = boxFor(i);
      var list = K.candidates(album, i);
      var best = list.length ? list[list.length - 1].w : 0;
      var limit = best > sz.w && sz.w > 0 ? best / sz.w : 1;
      return K.fit(sz.w, sz.h, r.w, r.h, limit);
    }

    function layout() {
      if (state.index === null || state.index < 0) return;
      var d = displaySize(state.index, room(state.index));
      if (d.w > 0 && (image.style.width !== d.w + 'px' || image.style.height !== d.h + 'px')) {
        image.style.width = d.w + 'px';
        image.style.height = d.h + 'px';
      }
      // Changing the sources makes the browser pick a file again: only when they differ.
      if (d.w > 0 && !mainFirst) applySources(album, ctx.root, image, state.index, Math.round(d.w * (viewer.zoomScale ? viewer.zoomScale() : 1)));
      if (viewer.onLayout) viewer.onLayout(d);
    }

    /* Fetches the file that showing image i will pick, at low priority. */
    function preload(i) {
      if (i < 0 || i >= album.count) return;
      K.preloadPhoto(album, ctx.root, i, displaySize(i, room(i)).w, viewer.preloaded);
    }

    /* Shows image i with its captions. */
    function show(i) {
      var img = album.images[i], sz = boxFor(i);
      loadError.hidden = true;
      frame.classList.remove('kv-loaded');
      zoom.reset();
      if (sz.w && sz.h) {
        image.width = sz.w; image.height = sz.h;
        // Narrow screens size the stage to the image itself, known before it loads.
        stage.style.setProperty('--kv-image-ratio', sz.w + ' / ' + sz.h);
      }
      image.alt = K.shortAlt(album, i);
      if (img.minor) image.title = img.minor; else image.removeAttribute('title');
      caption.show(img);
      if (mainFirst && image.getAttribute('src')) mainFirst = false;
      settling = false;
      if (!mainFirst) layout(); // sources and size first, so that the browser fetches one file
      else { image.removeAttribute('srcset'); layout(); }
      image.src = mediumUrl(i);
    }

    function onLoaded() {
      var first = !frame.classList.contains('kv-loaded');
      frame.classList.add('kv-loaded');
      if (first && mainFirst) {
        // The main image is on show: now the sharper file, and only then the
        // neighbours, which would otherwise share the line with it.
        mainFirst = false;
        layout();
        if (image.hasAttribute('srcset')) { settling = true; if (viewer.onShown) viewer.onShown(); return; }
      }
      if (!first && !settling) return; // a sharper file replacing the first one
      layout();
      preload(state.index + 1);
      preload(state.index - 1);
      if (first && viewer.onShown) viewer.onShown();
      settling = false;
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

    // Zoom up to 1:1 of the largest file; the sources follow once a gesture rests.
    var zoom = K.bindZoom(stage, image, function () {
      var c = state.index >= 0 ? K.candidates(album, state.index) : [];
      return c.length ? c[c.length - 1].w : image.naturalWidth;
    }, K.debounce(function () { layout(); }, 150));
    viewer.zoom = zoom;
    viewer.zoomScale = zoom.scale;

    if (global.ResizeObserver) {
      var ro = new global.ResizeObserver(layout);
      ro.observe(figure);
      ro.observe(caption.element);
    } else {
      global.addEventListener('resize', layout);
    }

    viewer.layout = layout;
    viewer.room = room;
    viewer.displaySize = displaySize;
    viewer.preload = preload;
    viewer.show = show;
    viewer.settle = settle;
    return viewer;
  };
})(window);
