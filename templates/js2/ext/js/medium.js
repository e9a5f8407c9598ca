// SPDX-License-Identifier: MIT
/* Kavlo photo album - the album view: the main image with its captions, the
 * thumbnail strip, the introduction, the large-image view, navigation by
 * buttons, keys, swipe and URL hash, and the slideshow. Used by index.html
 * (with the strip) and ext/html/medium.html (without it). Needs common.js. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var doc = global.document;
  var SLIDE_MS = 5000;

  /* options.root: path from the page to the album folder ("" or "../../").
     options.strip: whether the thumbnail strip may be shown.
     options.pages: path from the page to ext/html/ (for links to the other pages). */
  K.startAlbum = function (options) {
    var root = options.root || '';
    var album = K.readAlbum();
    var state = { index: null, playing: false, timer: 0, largeOpen: false };
    K.applyLanguage(doc);

    var app = K.el('div', { class: 'kv-app', id: 'kv-app' });
    doc.body.appendChild(app);
    doc.body.classList.add('kv-js');

    if (!album.present) {
      doc.title = K.t('noData');
      K.message(app, K.t('noData'));
      return null;
    }
    var stripPos = options.strip && album.small.enabled ? album.smallPos : 'none';
    app.classList.add('kv-strip-' + stripPos);
    doc.title = album.title || '\u00a0';

    // ---- header: title, counter and tools
    var header = K.el('header', { class: 'kv-header' });
    var titleEl = K.el('h1', { class: 'kv-title', id: 'kv-title', dir: 'auto' });
    titleEl.textContent = album.title;
    var counter = K.el('p', { class: 'kv-counter', id: 'kv-counter', 'aria-hidden': 'true', dir: 'ltr' });
    var tools = K.el('div', { class: 'kv-tools', role: 'toolbar' });
    var btnFirst = K.iconButton('first', K.t('first'), 'kv-first');
    var btnPrev = K.iconButton('prev', K.t('previous'), 'kv-prev');
    var btnPlay = K.iconButton('play', K.t('play'), 'kv-play');
    btnPlay.setAttribute('aria-pressed', 'false');
    var btnNext = K.iconButton('next', K.t('next'), 'kv-next');
    var btnLast = K.iconButton('last', K.t('last'), 'kv-last');
    [btnFirst, btnPrev, btnPlay, btnNext, btnLast].forEach(function (b) { tools.appendChild(b); });
    var btnLarge = null;
    if (album.large.enabled) {
      btnLarge = K.iconButton('expand', K.t('large'), 'kv-large-button');
      tools.appendChild(btnLarge);
    }
    if (album.small.enabled && options.pages !== undefined) {
      var ov = K.el('a', { class: 'kv-button kv-overview', href: options.pages + 'small.html', 'aria-label': K.t('overview'), title: K.t('overview') }, [K.icon('grid')]);
      tools.appendChild(ov);
    }
    var backLink = null;
    if (options.backHref) {
      backLink = K.el('a', { class: 'kv-button kv-back', href: options.backHref, 'aria-label': K.t('backToAlbum'), title: K.t('backToAlbum') }, [K.icon('back')]);
      tools.appendChild(backLink);
    }
    var heading = K.el('div', { class: 'kv-heading' }, [titleEl, counter]);
    header.appendChild(heading);
    header.appendChild(tools);
    app.appendChild(header);

    var live = K.el('p', { class: 'kv-visually-hidden', 'aria-live': 'polite', id: 'kv-live' });
    app.appendChild(live);

    // ---- thumbnail strip
    var strip = null, thumbs = [];
    if (stripPos !== 'none') {
      strip = K.el('nav', { class: 'kv-strip', id: 'kv-strip', 'aria-label': K.t('thumbnails') });
      var list = K.el('ol', { class: 'kv-strip-list' });
      album.images.forEach(function (img, i) {
        var s = album.small.list[i];
        var label = K.t('imageOf', { n: i + 1, total: album.count });
        var a = K.el('a', { class: 'kv-thumb', href: '#' + (i + 1), 'aria-label': label, title: K.plainText(img.major) || img.minor || label });
        var t = K.el('img', {
          src: K.imageUrl(root, album.dirs.small, img.file), alt: '', loading: 'lazy', decoding: 'async',
          width: s.w || null, height: s.h || null
        });
        t.addEventListener('error', function () { a.classList.add('kv-broken'); });
        a.appendChild(t);
        list.appendChild(K.el('li', null, [a]));
        thumbs.push(a);
      });
      strip.appendChild(list);
      // Reserve the strip's thickness from the largest thumbnail: no layout jumps.
      app.style.setProperty('--kv-thumb-w', Math.max(24, album.small.maxW) + 'px');
      app.style.setProperty('--kv-thumb-h', Math.max(24, album.small.maxH) + 'px');
      app.appendChild(strip);
    }

    // ---- main area: introduction or figure
    var main = K.el('main', { class: 'kv-main', id: 'kv-main' });
    app.appendChild(main);

    var intro = K.el('section', { class: 'kv-intro', id: 'kv-intro', 'aria-labelledby': 'kv-intro-title' });
    var introInner = K.el('div', { class: 'kv-intro-inner' });
    introInner.appendChild(K.el('h2', { class: 'kv-intro-title', id: 'kv-intro-title', dir: 'auto', text: album.title || K.t('introduction') }));
    var introText = K.el('div', { class: 'kv-intro-text', dir: 'auto' });
    K.setHtml(introText, album.intro);
    introInner.appendChild(introText);
    var enter = K.el('a', { class: 'kv-enter', href: '#1', id: 'kv-enter' }, [K.t('enter'), K.icon('next')]);
    if (album.count > 0) {
      introInner.appendChild(enter);
      introInner.appendChild(K.el('p', { class: 'kv-hint', text: K.t('keyboardHint') }));
    }
    intro.appendChild(introInner);
    intro.hidden = true;
    main.appendChild(intro);

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

    var caption = K.el('figcaption', { class: 'kv-caption', id: 'kv-caption' });
    var major = K.el('div', { class: 'kv-major', id: 'kv-major', dir: 'auto' });
    var infoBtn = K.el('button', { type: 'button', class: 'kv-info-button', 'aria-expanded': 'false', 'aria-controls': 'kv-minor', title: K.t('details') }, [K.icon('info'), K.el('span', { class: 'kv-visually-hidden', text: K.t('details') })]);
    var minor = K.el('p', { class: 'kv-minor', id: 'kv-minor', dir: 'auto' });
    minor.hidden = true;
    caption.appendChild(K.el('div', { class: 'kv-caption-row' }, [major, infoBtn]));
    caption.appendChild(minor);
    figure.appendChild(caption);
    main.appendChild(figure);

    if (album.count === 0) {
      figure.hidden = true;
      K.message(main, K.t('noImages'));
    }

    app.appendChild(K.buildFooter(album));

    // ---- large image view
    var dialog = null, largeImg = null;
    if (album.large.enabled) {
      dialog = K.el('dialog', { class: 'kv-lightbox', id: 'kv-lightbox', 'aria-label': K.t('large') });
      largeImg = K.el('img', { class: 'kv-lightbox-image', alt: '', decoding: 'async' });
      var lbTools = K.el('div', { class: 'kv-lightbox-tools' });
      var lbPrev = K.iconButton('prev', K.t('previous'), 'kv-lb-prev');
      var lbNext = K.iconButton('next', K.t('next'), 'kv-lb-next');
      var lbTab = null;
      if (options.pages !== undefined) {
        lbTab = K.el('a', { class: 'kv-button kv-lb-tab', target: '_blank', rel: 'noopener', 'aria-label': K.t('newTab'), title: K.t('newTab') }, [K.icon('newtab')]);
      }
      var lbClose = K.iconButton('close', K.t('close'), 'kv-lb-close');
      [lbPrev, lbNext, lbTab, lbClose].forEach(function (b) { if (b) lbTools.appendChild(b); });
      dialog.appendChild(largeImg);
      dialog.appendChild(lbTools);
      doc.body.appendChild(dialog);
      lbPrev.addEventListener('click', function () { go(state.index - 1); });
      lbNext.addEventListener('click', function () { go(state.index + 1); });
      lbClose.addEventListener('click', function () { closeLarge(); });
      dialog.addEventListener('close', function () { state.largeOpen = false; });
      dialog.addEventListener('click', function (e) { if (e.target === dialog) closeLarge(); });
      dialog.lbTab = lbTab;
    }

    function largeUrl(i) { return K.imageUrl(root, album.dirs.large, album.images[i].file); }
    function mediumUrl(i) { return K.imageUrl(root, album.dirs.medium, album.images[i].file); }

    function showLargeImage() {
      if (!dialog || state.index === null || state.index < 0) return;
      var i = state.index, img = album.images[i], L = album.large.list[i];
      largeImg.src = largeUrl(i);
      if (L.w && L.h) { largeImg.width = L.w; largeImg.height = L.h; }
      largeImg.alt = altText(i);
      if (dialog.lbTab) dialog.lbTab.href = options.pages + 'large.html#' + (i + 1);
    }

    function openLarge() {
      if (!dialog || state.index === null || state.index < 0) return;
      showLargeImage();
      if (!dialog.open) {
        if (typeof dialog.showModal === 'function') dialog.showModal(); else dialog.setAttribute('open', '');
      }
      state.largeOpen = true;
    }

    function closeLarge() {
      if (dialog && dialog.open) { if (typeof dialog.close === 'function') dialog.close(); else dialog.removeAttribute('open'); }
      state.largeOpen = false;
    }

    // ---- layout: fit the image into the stage from the known sizes
    /* Size of main image i: from the album data, or, for data without sizes,
       from the picture itself once it has loaded. */
    function boxFor(i) {
      var sz = album.medium.list[i] || { w: 0, h: 0 };
      if (!(sz.w > 0 && sz.h > 0) && i === state.index && image.naturalWidth > 0) sz = { w: image.naturalWidth, h: image.naturalHeight };
      return sz;
    }

    // Ratio of the box that holds every main image: the stage keeps it on narrow screens.
    if (album.medium.maxW > 0 && album.medium.maxH > 0) {
      app.style.setProperty('--kv-box-ratio', album.medium.maxW + ' / ' + album.medium.maxH);
      app.style.setProperty('--kv-box-w', album.medium.maxW + 'px');
    }

    function layout() {
      if (state.index === null || state.index < 0) return;
      var sz = boxFor(state.index);
      var L = album.large.enabled ? album.large.list[state.index] : null;
      var cs = global.getComputedStyle(stage);
      var bw = stage.clientWidth - parseFloat(cs.paddingLeft) - parseFloat(cs.paddingRight);
      // Wide screens: the image and its caption share the figure's height and sit
      // together in its middle. Narrow screens give the stage its own shape.
      var room = cs.aspectRatio && cs.aspectRatio !== 'auto' ? stage.clientHeight : figure.clientHeight - caption.offsetHeight;
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

    function altText(i) {
      var img = album.images[i];
      return K.plainText(img.major) || img.minor.replace(/\s+/g, ' ').trim() || K.t('photo', { n: i + 1 });
    }

    function preload(i) {
      if (i < 0 || i >= album.count) return;
      var p = new Image();
      p.decoding = 'async';
      p.src = mediumUrl(i);
    }

    function scrollThumbIntoView(a) {
      if (!strip || !a) return;
      var sr = strip.getBoundingClientRect(), ar = a.getBoundingClientRect();
      var behavior = K.reducedMotion() ? 'auto' : 'smooth';
      if (stripPos === 'top' || stripPos === 'bottom' || strip.scrollWidth > strip.clientWidth + 1) {
        var dx = (ar.left + ar.width / 2) - (sr.left + sr.width / 2);
        strip.scrollBy({ left: dx, behavior: behavior });
      } else {
        var dy = (ar.top + ar.height / 2) - (sr.top + sr.height / 2);
        strip.scrollBy({ top: dy, behavior: behavior });
      }
    }

    function render(i) {
      var showIntro = i === -1;
      state.index = i;
      intro.hidden = !showIntro;
      figure.hidden = showIntro || album.count === 0;
      app.classList.toggle('kv-on-intro', showIntro);
      thumbs.forEach(function (a, k) {
        var cur = k === i;
        a.classList.toggle('kv-current', cur);
        if (cur) a.setAttribute('aria-current', 'true'); else a.removeAttribute('aria-current');
      });
      var atStart = i <= 0, atEnd = i >= album.count - 1;
      btnFirst.disabled = atStart; btnPrev.disabled = showIntro ? true : (i === 0 && !album.startsWithIntro);
      btnNext.disabled = atEnd && !showIntro; btnLast.disabled = atEnd;
      sidePrev.hidden = btnPrev.disabled; sideNext.hidden = btnNext.disabled;
      btnPlay.disabled = album.count < 2;
      if (btnLarge) btnLarge.disabled = showIntro;
      if (backLink) backLink.href = options.backHref + hashFor(i);
      if (showIntro) {
        counter.textContent = '';
        doc.title = album.title || K.t('introduction');
        live.textContent = K.t('introduction');
        if (album.count > 0 && album.small.enabled === false) preload(0);
        return;
      }
      if (album.count === 0) return;
      var img = album.images[i], sz = boxFor(i);
      counter.textContent = (i + 1) + ' / ' + album.count;
      live.textContent = K.t('imageOf', { n: i + 1, total: album.count });
      doc.title = (album.title ? album.title + ' \u2013 ' : '') + (i + 1) + ' / ' + album.count;

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
      image.alt = altText(i);
      if (img.minor) image.title = img.minor; else image.removeAttribute('title');
      layout();

      K.setHtml(major, img.major);
      major.hidden = img.major === '';
      minor.textContent = img.minor;
      infoBtn.hidden = img.minor === '';
      if (img.minor === '') { minor.hidden = true; infoBtn.setAttribute('aria-expanded', 'false'); }
      caption.classList.toggle('kv-empty', img.major === '' && img.minor === '');
      layout(); // the caption's height is part of the image's room

      scrollThumbIntoView(thumbs[i]);
      if (state.largeOpen) showLargeImage();
      if (image.complete && image.naturalWidth > 0) onLoaded();
    }

    function onLoaded() {
      var first = !frame.classList.contains('kv-loaded');
      frame.classList.add('kv-loaded');
      if (!first) return; // a sharper file replacing the first one
      layout();
      preload(state.index + 1);
      preload(state.index - 1);
      if (state.playing) schedule();
    }
    image.addEventListener('load', onLoaded);
    image.addEventListener('error', function () {
      if (!image.getAttribute('src')) return;
      loadError.hidden = false;
      if (state.playing) schedule();
    });

    // ---- navigation
    function targetFromLocation() {
      var t = K.hashTarget(global.location.hash, album.count);
      if (t === -1 && !album.startsWithIntro && album.intro === '') t = 0;
      if (t === null) t = album.startsWithIntro ? -1 : album.currentImage;
      if (album.count === 0) t = album.startsWithIntro ? -1 : 0;
      return t;
    }

    function hashFor(i) { return i === -1 ? '#intro' : '#' + (i + 1); }

    /* Goes to image i (or the introduction for -1); replace keeps the history
       short during a slideshow. */
    function go(i, replace) {
      if (album.count === 0) return;
      var min = album.startsWithIntro ? -1 : 0;
      if (i < min) i = min;
      if (i > album.count - 1) i = album.count - 1;
      if (i === state.index) return;
      var h = hashFor(i);
      if (replace && global.history && global.history.replaceState) {
        global.history.replaceState(null, '', h);
        render(i);
      } else if (global.location.hash === h) {
        render(i);
      } else {
        global.location.hash = h; // hashchange renders; back and reload come back here
      }
    }

    global.addEventListener('hashchange', function () {
      var t = targetFromLocation();
      if (t !== state.index) render(t);
    });

    btnFirst.addEventListener('click', function () { go(0); });
    btnPrev.addEventListener('click', function () { go(state.index - 1); });
    btnNext.addEventListener('click', function () { go(state.index + 1); });
    btnLast.addEventListener('click', function () { go(album.count - 1); });
    sidePrev.addEventListener('click', function () { go(state.index - 1); });
    sideNext.addEventListener('click', function () { go(state.index + 1); });
    if (btnLarge) btnLarge.addEventListener('click', openLarge);
    image.addEventListener('click', function () { if (dialog) openLarge(); else go(state.index + 1); });
    infoBtn.addEventListener('click', function () {
      var open = minor.hidden;
      minor.hidden = !open;
      infoBtn.setAttribute('aria-expanded', open ? 'true' : 'false');
    });

    // ---- slideshow
    function schedule() {
      global.clearTimeout(state.timer);
      state.timer = global.setTimeout(function () {
        if (!state.playing) return;
        var nxt = state.index + 1 >= album.count ? 0 : state.index + 1;
        go(nxt, true);
      }, SLIDE_MS);
    }
    function setPlaying(on) {
      state.playing = on;
      btnPlay.setAttribute('aria-pressed', on ? 'true' : 'false');
      var label = on ? K.t('pause') : K.t('play');
      btnPlay.setAttribute('aria-label', label);
      btnPlay.title = label;
      btnPlay.replaceChild(K.icon(on ? 'pause' : 'play'), btnPlay.firstChild);
      app.classList.toggle('kv-playing', on);
      global.clearTimeout(state.timer);
      if (on) {
        if (state.index === -1) go(0, true);
        schedule();
      }
    }
    btnPlay.addEventListener('click', function () { setPlaying(!state.playing); });

    // ---- keyboard
    doc.addEventListener('keydown', function (e) {
      if (e.defaultPrevented || e.altKey || e.ctrlKey || e.metaKey || K.isTypingTarget(e.target)) return;
      var rtl = K.dir() === 'rtl';
      var step = 0, to = null;
      switch (e.key) {
        case 'ArrowRight': step = rtl ? -1 : 1; break;
        case 'ArrowLeft': step = rtl ? 1 : -1; break;
        case 'PageDown': step = 1; break;
        case 'PageUp': step = -1; break;
        case 'Home': to = 0; break;
        case 'End': to = album.count - 1; break;
        case 'Escape': if (state.largeOpen) { closeLarge(); e.preventDefault(); } return;
        default: return;
      }
      if (album.count === 0) return;
      e.preventDefault();
      if (to !== null) go(to);
      else go(state.index + step);
    });

    // ---- swipe
    var touch = null;
    function swipeStart(e) {
      if (e.pointerType === 'mouse') return;
      touch = { x: e.clientX, y: e.clientY, t: Date.now() };
    }
    function swipeEnd(e) {
      if (!touch) return;
      var dx = e.clientX - touch.x, dy = e.clientY - touch.y;
      touch = null;
      if (Math.abs(dx) > 40 && Math.abs(dx) > Math.abs(dy) * 1.5) {
        var fwd = dx < 0;
        if (K.dir() === 'rtl') fwd = !fwd;
        go(state.index + (fwd ? 1 : -1));
      }
    }
    [stage, intro].forEach(function (el) {
      el.addEventListener('pointerdown', swipeStart);
      el.addEventListener('pointerup', swipeEnd);
      el.addEventListener('pointercancel', function () { touch = null; });
    });
    if (largeImg) {
      largeImg.addEventListener('pointerdown', swipeStart);
      largeImg.addEventListener('pointerup', swipeEnd);
    }

    if (global.ResizeObserver) {
      var ro = new global.ResizeObserver(layout);
      ro.observe(figure);
      ro.observe(caption);
    } else {
      global.addEventListener('resize', layout);
    }

    render(targetFromLocation());

    var api = {
      album: album,
      go: go,
      current: function () { return state.index; },
      setPlaying: setPlaying,
      openLarge: openLarge,
      closeLarge: closeLarge
    };
    global.kavloAlbum = api;
    return api;
  };
})(window);

/* Kavlo photo album - the large-image page (ext/html/large.html): one large
 * image filling the window, with previous/next and the way back. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var doc = global.document;

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
    var back = K.el('a', { class: 'kv-button kv-back', 'aria-label': K.t('backToAlbum'), title: K.t('backToAlbum') }, [K.icon('back')]);
    var prev = K.iconButton('prev', K.t('previous'), 'kv-prev');
    var next = K.iconButton('next', K.t('next'), 'kv-next');
    var counter = K.el('p', { class: 'kv-counter', id: 'kv-counter', dir: 'ltr' });
    var bar = K.el('header', { class: 'kv-header kv-large-header' }, [
      K.el('div', { class: 'kv-heading' }, [K.el('h1', { class: 'kv-title', dir: 'auto', text: album.title }), counter]),
      K.el('div', { class: 'kv-tools', role: 'toolbar' }, [prev, next, back])
    ]);
    var img = K.el('img', { class: 'kv-large-image', id: 'kv-image', alt: '', decoding: 'async' });
    var holder = K.el('main', { class: 'kv-large-stage' }, [img]);
    var cap = K.el('div', { class: 'kv-major kv-large-caption', dir: 'auto' });
    app.appendChild(bar);
    app.appendChild(holder);
    app.appendChild(cap);

    var dir = album.large.enabled ? album.dirs.large : album.dirs.medium;
    var sizes = album.large.enabled ? album.large.list : album.medium.list;

    function render() {
      var t = K.hashTarget(global.location.hash, album.count);
      index = t === null || t < 0 ? album.currentImage : t;
      var it = album.images[index];
      img.src = K.imageUrl(root, dir, it.file);
      if (sizes[index].w) { img.width = sizes[index].w; img.height = sizes[index].h; }
      img.alt = K.plainText(it.major) || it.minor || K.t('photo', { n: index + 1 });
      if (it.minor) img.title = it.minor; else img.removeAttribute('title');
      K.setHtml(cap, it.major);
      counter.textContent = (index + 1) + ' / ' + album.count;
      doc.title = (album.title ? album.title + ' \u2013 ' : '') + (index + 1) + ' / ' + album.count;
      back.href = (options.backHref || root + 'index.html') + '#' + (index + 1);
      prev.disabled = index === 0;
      next.disabled = index === album.count - 1;
    }
    function go(i) {
      if (i < 0 || i >= album.count || i === index) return;
      global.location.hash = '#' + (i + 1);
    }
    prev.addEventListener('click', function () { go(index - 1); });
    next.addEventListener('click', function () { go(index + 1); });
    doc.addEventListener('keydown', function (e) {
      if (e.altKey || e.ctrlKey || e.metaKey) return;
      var rtl = K.dir() === 'rtl';
      if (e.key === 'ArrowRight' || e.key === 'PageDown') { go(index + (rtl && e.key === 'ArrowRight' ? -1 : 1)); e.preventDefault(); }
      else if (e.key === 'ArrowLeft' || e.key === 'PageUp') { go(index + (rtl && e.key === 'ArrowLeft' ? 1 : -1)); e.preventDefault(); }
      else if (e.key === 'Home') { go(0); e.preventDefault(); }
      else if (e.key === 'End') { go(album.count - 1); e.preventDefault(); }
      else if (e.key === 'Escape') { global.location.href = back.href; }
    });
    global.addEventListener('hashchange', render);
    render();
    return { go: go, current: function () { return index; } };
  };
})(window);
