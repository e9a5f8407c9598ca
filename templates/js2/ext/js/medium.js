// SPDX-License-Identifier: MIT
/* Kavlo photo album - the album view: header with title, counter and tools,
 * the thumbnail strip, the introduction, the photo with its captions and the
 * large-image view, put together from their own scripts and kept in step.
 * Used by index.html (with the strip) and ext/html/medium.html (without it). */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var doc = global.document;

  /* Title, counter and the toolbar; links to the overview page and back where
     the page has them. */
  function buildHeader(ctx) {
    var album = ctx.album, options = ctx.options;
    var h = {};
    h.element = K.el('header', { class: 'kv-header' });
    var titleEl = K.el('h1', { class: 'kv-title', id: 'kv-title', dir: 'auto' });
    titleEl.textContent = album.title;
    h.counter = K.el('p', { class: 'kv-counter', id: 'kv-counter', 'aria-hidden': 'true', dir: 'ltr' });
    var tools = K.el('div', { class: 'kv-tools', role: 'toolbar' });
    h.first = K.iconButton('first', K.t('first'), 'kv-first');
    h.prev = K.iconButton('prev', K.t('previous'), 'kv-prev');
    h.play = K.iconButton('play', K.t('play'), 'kv-play');
    h.play.setAttribute('aria-pressed', 'false');
    h.next = K.iconButton('next', K.t('next'), 'kv-next');
    h.last = K.iconButton('last', K.t('last'), 'kv-last');
    [h.first, h.prev, h.play, h.next, h.last].forEach(function (b) { tools.appendChild(b); });
    h.full = null;
    if (K.fullscreenAvailable() && album.count > 0) {
      h.full = K.iconButton('fullscreen', K.t('fullscreen'), 'kv-fullscreen-button');
      h.full.setAttribute('aria-pressed', 'false');
      tools.appendChild(h.full);
    }
    h.large = null;
    if (album.large.enabled) {
      h.large = K.iconButton('expand', K.t('large'), 'kv-large-button');
      tools.appendChild(h.large);
    }
    if (album.small.enabled && options.pages !== undefined) {
      tools.appendChild(K.el('a', { class: 'kv-button kv-overview', href: options.pages + 'small.html', 'aria-label': K.t('overview'), title: K.t('overview') }, [K.icon('grid')]));
    }
    h.back = null;
    if (options.backHref) {
      h.back = K.el('a', { class: 'kv-button kv-back', href: options.backHref, 'aria-label': K.t('backToAlbum'), title: K.t('backToAlbum') }, [K.icon('back')]);
      tools.appendChild(h.back);
    }
    h.element.appendChild(K.el('div', { class: 'kv-heading' }, [titleEl, h.counter]));
    h.element.appendChild(tools);
    return h;
  }

  /* The page's parts in document order: header, live region, strip, main
     (introduction and photo) and footer, with the large view over them. */
  function buildParts(ctx) {
    var album = ctx.album, app = ctx.app;
    var v = { header: buildHeader(ctx) };
    var skip = K.el('a', { class: 'kv-skip', href: '#kv-main', text: K.t('skip') });
    app.appendChild(skip);
    app.appendChild(v.header.element);
    v.live = K.el('p', { class: 'kv-visually-hidden', 'aria-live': 'polite', id: 'kv-live' });
    app.appendChild(v.live);
    v.strip = null;
    if (ctx.stripPos !== 'none') {
      v.strip = K.buildStrip(ctx, ctx.stripPos);
      app.appendChild(v.strip.element);
    }
    var main = K.el('main', { class: 'kv-main', id: 'kv-main', tabindex: '-1' });
    // The skip link moves the focus past the toolbar and the strip, not the address.
    skip.addEventListener('click', function (e) { e.preventDefault(); main.focus(); });
    app.appendChild(main);
    v.intro = K.buildIntro(album);
    main.appendChild(v.intro.element);
    v.viewer = K.buildViewer(ctx, K.buildCaption());
    main.appendChild(v.viewer.figure);
    if (album.count === 0) {
      v.viewer.figure.hidden = true;
      K.message(main, K.t('noImages'));
    }
    app.appendChild(K.buildFooter(album));
    v.lightbox = K.buildLightbox(ctx, function (d) { v.go(ctx.state.index + d); });
    return v;
  }

  /* Shows photo i, or the introduction for -1, and brings every part in step. */
  function render(ctx, v, i) {
    var album = ctx.album, h = v.header;
    var showIntro = i === -1;
    ctx.state.index = i;
    v.intro.element.hidden = !showIntro;
    v.viewer.figure.hidden = showIntro || album.count === 0;
    ctx.app.classList.toggle('kv-on-intro', showIntro);
    if (v.strip) v.strip.mark(i);
    var atStart = i <= 0, atEnd = i >= album.count - 1;
    h.first.disabled = atStart; h.prev.disabled = showIntro ? true : (i === 0 && !album.startsWithIntro);
    h.next.disabled = atEnd && !showIntro; h.last.disabled = atEnd;
    v.viewer.sidePrev.hidden = h.prev.disabled; v.viewer.sideNext.hidden = h.next.disabled;
    h.play.disabled = album.count < 2;
    if (h.large) h.large.disabled = showIntro;
    if (h.back) h.back.href = ctx.options.backHref + K.hashFor(i);
    if (showIntro || album.count === 0) { if (v.strip) v.strip.release(); }
    if (showIntro) {
      h.counter.textContent = '';
      doc.title = album.title || K.t('introduction');
      v.live.textContent = K.t('introduction');
      if (album.count > 0 && album.small.enabled === false) v.viewer.preload(0);
      return;
    }
    if (album.count === 0) return;
    h.counter.textContent = (i + 1) + ' / ' + album.count;
    v.live.textContent = K.t('imageOf', { n: i + 1, total: album.count });
    doc.title = (album.title ? album.title + ' \u2013 ' : '') + (i + 1) + ' / ' + album.count;
    v.viewer.show(i);
    if (v.strip) v.strip.reveal(i);
    if (ctx.state.largeOpen && v.lightbox) v.lightbox.update();
    v.viewer.settle();
  }

  /* Buttons, keys, swipes and the slideshow. */
  function wire(ctx, v) {
    var h = v.header, state = ctx.state, go = v.go;
    h.first.addEventListener('click', function () { go(0); });
    h.prev.addEventListener('click', function () { go(state.index - 1); });
    h.next.addEventListener('click', function () { go(state.index + 1); });
    h.last.addEventListener('click', function () { go(ctx.album.count - 1); });
    v.viewer.sidePrev.addEventListener('click', function () { go(state.index - 1); });
    v.viewer.sideNext.addEventListener('click', function () { go(state.index + 1); });
    if (h.large) h.large.addEventListener('click', function () { v.lightbox.open(); });
    // A click on the photo opens the large view (or steps on), unless it was
    // the first of a double click, which zooms.
    var clickTimer = 0;
    v.viewer.image.addEventListener('click', function () {
      global.clearTimeout(clickTimer);
      clickTimer = global.setTimeout(function () { if (v.lightbox) v.lightbox.open(); else go(state.index + 1); }, 260);
    });
    v.viewer.image.addEventListener('dblclick', function () { global.clearTimeout(clickTimer); });
    var fullTarget = v.viewer.figure;
    function toggleFullscreen() { K.toggleFullscreen(fullTarget); }
    if (h.full) h.full.addEventListener('click', toggleFullscreen);
    v.viewer.onFullscreen = toggleFullscreen;
    doc.addEventListener('fullscreenchange', function () {
      var on = !!doc.fullscreenElement;
      if (h.full) h.full.setAttribute('aria-pressed', on ? 'true' : 'false');
      ctx.app.classList.toggle('kv-fullscreen', on);
    });
    v.slideshow = K.buildSlideshow(ctx, h.play, go);
    v.viewer.onShown = v.viewer.onFailed = function () {
      if (v.strip) v.strip.release();
      v.slideshow.photoSettled();
    };
    K.bindAlbumKeys(ctx, go, v.lightbox, function () {
      if (ctx.state.largeOpen && v.lightbox) return { zoom: v.lightbox.zoom, fullscreen: v.lightbox.fullscreen };
      return { zoom: v.viewer.zoom, fullscreen: toggleFullscreen };
    });
    K.bindSwipe([v.viewer.stage, v.intro.element], function (d) { go(state.index + d); }, v.viewer.zoom.zoomed);
  }

  /* options.root: path from the page to the album folder ("" or "../../").
     options.strip: whether the thumbnail strip may be shown.
     options.pages: path from the page to ext/html/ (for links to the other pages).
     options.backHref: the page's way back to the album, if it has one. */
  K.startAlbum = function (options) {
    var album = K.readAlbum();
    var ctx = { album: album, root: options.root || '', options: options, state: { index: null, playing: false, timer: 0, largeOpen: false } };
    K.applyLanguage(doc);
    ctx.app = K.el('div', { class: 'kv-app', id: 'kv-app' });
    doc.body.appendChild(ctx.app);
    doc.body.classList.add('kv-js');
    if (!album.present) {
      doc.title = K.t('noData');
      K.message(ctx.app, K.t('noData'));
      return null;
    }
    ctx.stripPos = options.strip && album.small.enabled ? album.smallPos : 'none';
    ctx.app.classList.add('kv-strip-' + ctx.stripPos);
    doc.title = album.title || '\u00a0';

    var v = buildParts(ctx);
    var nav = K.albumNavigation(ctx, function (i) { render(ctx, v, i); });
    v.go = nav.go;
    wire(ctx, v);
    render(ctx, v, nav.target());

    var api = {
      album: album,
      go: nav.go,
      current: function () { return ctx.state.index; },
      setPlaying: v.slideshow.setPlaying,
      openLarge: function () { if (v.lightbox) v.lightbox.open(); },
      closeLarge: function () { if (v.lightbox) v.lightbox.close(); }
    };
    global.kavloAlbum = api;
    return api;
  };
})(window);
