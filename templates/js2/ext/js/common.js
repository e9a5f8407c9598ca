// SPDX-License-Identifier: MIT
/* Kavlo photo album - shared code of every album page: the Kavlo namespace,
 * the texts of ext/js/langdef.js (the global object kavloLanguage, read
 * defensively), the element and icon builders and small helpers.
 *
 * The pages are static; everything album-specific comes from ext/js/albumdef.js
 * (read by data.js). The page scripts are classic scripts, one concern each, that
 * add to the namespace this file creates, so it is loaded first: albums are opened
 * straight from disk, where modules and fetch() of local files are refused. */
(function (global) {
  'use strict';

  var K = {};

  /* English texts, used for any key a language file lacks (or when langdef.js
     is missing altogether) so that no control is ever left without a label. */
  K.defaultText = {
    previous: 'Previous image',
    next: 'Next image',
    first: 'First image',
    last: 'Last image',
    play: 'Play slideshow',
    pause: 'Pause slideshow',
    imageOf: 'Image {n} of {total}',
    photo: 'Photo {n}',
    thumbnails: 'Thumbnails',
    overview: 'All images',
    large: 'View large image',
    close: 'Close',
    introduction: 'Introduction',
    enter: 'View the photos',
    details: 'Image details',
    newTab: 'Open in a new tab',
    backToAlbum: 'Back to the album',
    zoom: 'Zoom',
    noImages: 'This album contains no images.',
    noData: 'The album data could not be read.',
    loadError: 'This image could not be loaded.',
    keyboardHint: 'Arrow keys browse the images, Home and End jump to the first and last one.',
    fullscreen: 'Full screen',
    skip: 'Skip to the photo'
  };

  function lang() {
    var l = global.kavloLanguage;
    return (l && typeof l === 'object') ? l : {};
  }

  /* Text for a key, with {name} placeholders filled from vars. */
  K.t = function (key, vars) {
    var texts = lang().text || {};
    var s = typeof texts[key] === 'string' && texts[key] !== '' ? texts[key] : K.defaultText[key];
    if (s === undefined) s = key;
    if (vars) {
      s = s.replace(/\{(\w+)\}/g, function (m, k) {
        return Object.prototype.hasOwnProperty.call(vars, k) ? String(vars[k]) : m;
      });
    }
    return s;
  };

  K.dir = function () { return lang().dir === 'rtl' ? 'rtl' : 'ltr'; };
  K.langCode = function () { return typeof lang().code === 'string' ? lang().code : 'en'; };

  /* Applies the language to the document element: lang and writing direction. */
  K.applyLanguage = function (doc) {
    doc = doc || global.document;
    doc.documentElement.lang = K.langCode();
    doc.documentElement.dir = K.dir();
  };

  /* Small element builder: el('a', {href: x, class: 'y'}, [children or text]). */
  K.el = function (tag, attrs, children) {
    var e = global.document.createElement(tag);
    if (attrs) {
      Object.keys(attrs).forEach(function (k) {
        var v = attrs[k];
        if (v === null || v === undefined || v === false) return;
        if (k === 'text') e.textContent = v;
        else if (k === 'class') e.className = v;
        else e.setAttribute(k, v === true ? '' : String(v));
      });
    }
    (children || []).forEach(function (c) {
      if (c === null || c === undefined) return;
      e.appendChild(typeof c === 'string' ? global.document.createTextNode(c) : c);
    });
    return e;
  };

  var ICONS = {
    prev: 'M15 5l-7 7 7 7',
    next: 'M9 5l7 7-7 7',
    first: 'M17 5l-7 7 7 7M7 5v14',
    last: 'M7 5l7 7-7 7M17 5v14',
    play: 'M8 5.5v13l10.5-6.5z',
    pause: 'M8 5v14M16 5v14',
    grid: 'M4 4h6v6H4zM14 4h6v6h-6zM4 14h6v6H4zM14 14h6v6h-6z',
    expand: 'M4 9V4h5M20 9V4h-5M4 15v5h5M20 15v5h-5',
    close: 'M6 6l12 12M18 6L6 18',
    info: 'M12 11v6M12 7.5v.5M12 3a9 9 0 100 18 9 9 0 000-18z',
    back: 'M10 6l-6 6 6 6M4 12h16',
    newtab: 'M14 4h6v6M20 4l-9 9M18 14v5a1 1 0 01-1 1H5a1 1 0 01-1-1V7a1 1 0 011-1h5',
    fullscreen: 'M4 9V4h5M20 9V4h-5M4 15v5h5M20 15v5h-5M9 9h6v6H9z'
  };

  /* An inline icon; in right-to-left pages the direction arrows are mirrored by CSS. */
  K.icon = function (name) {
    var ns = 'http://www.w3.org/2000/svg';
    var svg = global.document.createElementNS(ns, 'svg');
    svg.setAttribute('viewBox', '0 0 24 24');
    svg.setAttribute('aria-hidden', 'true');
    svg.setAttribute('focusable', 'false');
    svg.setAttribute('class', 'kv-icon kv-icon-' + name);
    var p = global.document.createElementNS(ns, 'path');
    p.setAttribute('d', ICONS[name] || '');
    svg.appendChild(p);
    return svg;
  };

  K.iconButton = function (name, label, cls) {
    return K.el('button', { type: 'button', class: 'kv-button ' + (cls || ''), 'aria-label': label, title: label }, [K.icon(name)]);
  };

  // ---------------------------------------------------------------- sizes

  /* Largest size of w x h that fits into bw x bh without enlarging beyond maxScale. */
  K.fit = function (w, h, bw, bh, maxScale) {
    if (!(w > 0 && h > 0) || !(bw > 0 && bh > 0)) return { w: 0, h: 0 };
    var s = Math.min(bw / w, bh / h, maxScale === undefined ? 1 : maxScale);
    return { w: Math.max(1, Math.floor(w * s)), h: Math.max(1, Math.floor(h * s)) };
  };

  // ---------------------------------------------------------------- location

  /* Image number from the URL hash: "#3" is the third image, "#intro" the
     introduction. Returns -1 for the introduction, null for no (valid) hash. */
  K.hashTarget = function (hash, count) {
    var h = String(hash || '').replace(/^#/, '');
    try { h = decodeURIComponent(h); } catch (e) { /* keep it raw */ }
    if (h === 'intro') return -1;
    var m = /^(?:image-?)?(\d{1,6})$/.exec(h);
    if (!m) return null;
    var i = parseInt(m[1], 10) - 1;
    if (i < 0 || i >= count) return null;
    return i;
  };

  K.isTypingTarget = function (t) {
    if (!t || !t.tagName) return false;
    var tag = t.tagName.toUpperCase();
    return tag === 'INPUT' || tag === 'TEXTAREA' || tag === 'SELECT' || t.isContentEditable;
  };

  K.reducedMotion = function () {
    return !!(global.matchMedia && global.matchMedia('(prefers-reduced-motion: reduce)').matches);
  };

  /* The footer line: the album footer (HTML allowed), the album link and any
     further links. */
  K.buildFooter = function (album, extra) {
    var footer = K.el('footer', { class: 'kv-footer', id: 'kv-footer' });
    if (album.footer) {
      var f = K.el('div', { class: 'kv-footer-text', dir: 'auto' });
      K.setHtml(f, album.footer);
      footer.appendChild(f);
    }
    var links = [];
    var href = K.safeHref(album.link.href);
    if (href) links.push({ href: href, text: album.link.text || album.link.href, cls: 'kv-album-link' });
    album.clinks.forEach(function (c) {
      var h = K.safeHref(c.href);
      if (h) links.push({ href: h, text: c.text, cls: 'kv-extra-link' });
    });
    (extra || []).forEach(function (x) { links.push(x); });
    if (links.length) {
      var nav = K.el('nav', { class: 'kv-footer-links' });
      links.forEach(function (l) { nav.appendChild(K.el('a', { href: l.href, class: l.cls, text: l.text })); });
      footer.appendChild(nav);
    }
    return footer;
  };

  /* A function that calls fn once calls to it have paused for ms milliseconds. */
  K.debounce = function (fn, ms) {
    var timer = 0;
    return function () {
      global.clearTimeout(timer);
      timer = global.setTimeout(fn, ms);
    };
  };

  /* Full screen for el, or back from it when the page is in full screen. */
  K.toggleFullscreen = function (el) {
    var doc = global.document;
    if (doc.fullscreenElement) {
      if (doc.exitFullscreen) doc.exitFullscreen().catch(function () {});
    } else if (el.requestFullscreen) {
      el.requestFullscreen().catch(function () {});
    }
  };

  K.fullscreenAvailable = function () { return !!global.document.fullscreenEnabled; };

  K.message = function (container, text) {
    container.appendChild(K.el('div', { class: 'kv-message', role: 'alert' }, [K.el('p', { text: text })]));
  };

  global.Kavlo = K;
})(window);
