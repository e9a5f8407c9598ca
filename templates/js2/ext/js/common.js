// SPDX-License-Identifier: MIT
/* Kavlo photo album - shared code of every album page.
 *
 * The pages are static; everything album-specific comes from ext/js/albumdef.js
 * (plain global variables) and the texts from ext/js/langdef.js (the global
 * object kavloLanguage). This file reads both defensively, builds image URLs,
 * turns caption HTML into safe DOM and builds the album view used by index.html
 * and ext/html/medium.html. Classic script on purpose: albums are opened straight
 * from disk, where modules and fetch() of local files are refused. */
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
    keyboardHint: 'Arrow keys browse the images, Home and End jump to the first and last one.'
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

  // ---------------------------------------------------------------- album data

  function toNumber(v) {
    if (typeof v === 'number') return isFinite(v) ? v : NaN;
    if (typeof v === 'string' && v.trim() !== '') return Number(v);
    return NaN;
  }

  function readString(name) {
    var v = global[name];
    if (typeof v === 'string') return v;
    if (typeof v === 'number') return String(v);
    return '';
  }

  function readInt(name, fallback) {
    var v = toNumber(global[name]);
    return isFinite(v) ? Math.round(v) : fallback;
  }

  function readArray(name) {
    var v = global[name];
    return Array.isArray(v) ? v : [];
  }

  /* Reads the variables of albumdef.js into one plain record. Missing or odd
     values get safe defaults; a one-image album's arrays carry an extra ''
     element, so the image count comes from nbImages, bounded by the file list. */
  K.readAlbum = function () {
    var present = typeof global.nbImages !== 'undefined' && Array.isArray(global.imageFilename);
    var files = readArray('imageFilename');
    var n = readInt('nbImages', files.length);
    if (n < 0) n = 0;
    if (n > files.length) n = files.length;

    function sizes(prefix, enabled) {
      var ws = readArray(prefix + 'Width'), hs = readArray(prefix + 'Height');
      var maxW = readInt('max' + prefix.charAt(0).toUpperCase() + prefix.slice(1) + 'W', 0);
      var maxH = readInt('max' + prefix.charAt(0).toUpperCase() + prefix.slice(1) + 'H', 0);
      var list = [];
      for (var i = 0; i < n; i++) {
        var w = toNumber(ws[i]), h = toNumber(hs[i]);
        if (!(w > 0 && h > 0)) { w = maxW > 0 ? maxW : 0; h = maxH > 0 ? maxH : 0; }
        list.push({ w: w, h: h });
      }
      // Bounds recomputed from the list when the file lacks them.
      if (!(maxW > 0) || !(maxH > 0)) {
        maxW = 0; maxH = 0;
        list.forEach(function (s) { maxW = Math.max(maxW, s.w); maxH = Math.max(maxH, s.h); });
      }
      return { enabled: enabled, list: list, maxW: maxW, maxH: maxH };
    }

    var smallOn = readInt('smallImages', 0) === 1;
    var largeOn = readInt('largeImages', 0) === 1;
    var pos = readString('smallPos').toLowerCase();
    if (['left', 'right', 'top', 'bottom', 'none'].indexOf(pos) < 0) pos = smallOn ? 'left' : 'none';
    if (!smallOn) pos = 'none';

    var major = readArray('majorCaption'), minor = readArray('minorCaption');
    var images = [];
    for (var i = 0; i < n; i++) {
      images.push({
        index: i,
        file: String(files[i]),
        major: typeof major[i] === 'string' ? major[i] : '',
        minor: typeof minor[i] === 'string' ? minor[i] : ''
      });
    }
    var clinksHref = readArray('clinks_href'), clinksTxt = readArray('clinks_txt');
    var clinks = [];
    for (var c = 0; c < clinksHref.length; c++) {
      if (typeof clinksHref[c] === 'string' && clinksHref[c] !== '') {
        clinks.push({ href: clinksHref[c], text: typeof clinksTxt[c] === 'string' && clinksTxt[c] ? clinksTxt[c] : clinksHref[c] });
      }
    }
    var current = readInt('currentImage', 0);
    return {
      present: present,
      title: readString('title'),
      intro: readString('intro'),
      footer: readString('footer'),
      count: n,
      images: images,
      dirs: {
        small: readString('smallDir') || 'small',
        medium: readString('mediumDir') || 'medium',
        large: readString('largeDir') || 'large'
      },
      small: sizes('small', smallOn),
      medium: sizes('medium', true),
      large: sizes('large', largeOn),
      startsWithIntro: current === -1,
      currentImage: current < 0 ? 0 : Math.min(current, Math.max(0, n - 1)),
      smallPos: pos,
      clinks: clinks,
      link: { href: readString('slink_href'), text: readString('slink_txt') }
    };
  };

  // ---------------------------------------------------------------- URLs

  /* Percent-encodes every segment of a relative path, so that names holding
     blanks, "%", "?", "#", "&", apostrophes or non-ASCII letters load as files. */
  K.encodePath = function (path) {
    return String(path).split('/').map(function (seg) {
      return seg === '..' || seg === '.' ? seg : encodeURIComponent(seg);
    }).join('/');
  };

  /* URL of an album image: root is the way from the page to the album folder. */
  K.imageUrl = function (root, dir, file) {
    var d = String(dir).replace(/\/+$/, '');
    return (root || '') + (d ? K.encodePath(d) + '/' : '') + encodeURIComponent(String(file));
  };

  /* Links the album author typed: web, mail and relative addresses pass,
     script addresses do not. */
  K.safeHref = function (href) {
    var h = String(href || '').trim();
    if (h === '') return '';
    var scheme = /^([a-zA-Z][a-zA-Z0-9+.\-]*):/.exec(h.replace(/[\u0000-\u0020]/g, ''));
    if (scheme && ['http', 'https', 'mailto', 'ftp', 'file', 'tel'].indexOf(scheme[1].toLowerCase()) < 0) return '';
    return h;
  };

  // ---------------------------------------------------------------- HTML

  var DROP_ELEMENTS = { SCRIPT: 1, STYLE: 1, IFRAME: 1, OBJECT: 1, EMBED: 1, LINK: 1, META: 1, BASE: 1, FORM: 1, FRAME: 1, FRAMESET: 1, TEMPLATE: 1, NOSCRIPT: 1 };

  function cleanTree(node) {
    var child = node.firstChild;
    while (child) {
      var next = child.nextSibling;
      if (child.nodeType === 1) {
        if (DROP_ELEMENTS[child.nodeName.toUpperCase()]) {
          node.removeChild(child);
        } else {
          for (var a = child.attributes.length - 1; a >= 0; a--) {
            var attr = child.attributes[a];
            var name = attr.name.toLowerCase();
            if (name.indexOf('on') === 0 || name === 'style' && /expression|url\s*\(/i.test(attr.value)) {
              child.removeAttribute(attr.name);
            } else if ((name === 'href' || name === 'src' || name === 'xlink:href' || name === 'action' || name === 'formaction') &&
                       K.safeHref(attr.value) === '' && attr.value.trim() !== '') {
              child.removeAttribute(attr.name);
            }
          }
          cleanTree(child);
        }
      } else if (child.nodeType !== 3) {
        node.removeChild(child);
      }
      child = next;
    }
  }

  /* Caption, introduction and footer texts may hold HTML formatting. They are
     parsed inertly and stripped of scripts, event handlers and script links
     before they reach the page; captions can come from image metadata. */
  K.safeFragment = function (html) {
    var doc = global.document.implementation.createHTMLDocument('');
    var holder = doc.createElement('div');
    holder.innerHTML = String(html || '');
    cleanTree(holder);
    var frag = global.document.createDocumentFragment();
    while (holder.firstChild) {
      var node = holder.firstChild;
      holder.removeChild(node);
      frag.appendChild(global.document.adoptNode(node));
    }
    return frag;
  };

  /* Plain text of an HTML snippet (for alt texts and titles). */
  K.plainText = function (html) {
    var doc = global.document.implementation.createHTMLDocument('');
    var holder = doc.createElement('div');
    holder.innerHTML = String(html || '').replace(/<br\s*\/?>/gi, ' ');
    return (holder.textContent || '').replace(/\s+/g, ' ').trim();
  };

  K.setHtml = function (el, html) {
    while (el.firstChild) el.removeChild(el.firstChild);
    el.appendChild(K.safeFragment(html));
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
    newtab: 'M14 4h6v6M20 4l-9 9M18 14v5a1 1 0 01-1 1H5a1 1 0 01-1-1V7a1 1 0 011-1h5'
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

  K.message = function (container, text) {
    container.appendChild(K.el('div', { class: 'kv-message', role: 'alert' }, [K.el('p', { text: text })]));
  };

  global.Kavlo = K;
})(window);
