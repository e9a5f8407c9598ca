// SPDX-License-Identifier: MIT
/* Kavlo photo album - the two outside-viewer pages as HTML5 viewers.
 *
 *   KavloViewer.simple(options)  the gallery page: a matrix of square thumbnails
 *                                beside a framed stage image with its caption.
 *   KavloViewer.auto(options)    the slideshow page: one image at a time, with
 *                                captions, advancing every displayTime seconds.
 *
 * Over http(s) a viewer reads its gallery description (gallery.xml or
 * gallerydata.xml). Opened from disk, where browsers refuse to read local XML,
 * it falls back to the album data ext/js/albumdef.js (loaded with a script tag)
 * and the values the page was written with. The same file serves both pages. */
(function (global) {
  'use strict';
  var doc = global.document;

  // ---------------------------------------------------------------- helpers

  var EN = { previous: 'Previous image', next: 'Next image', play: 'Play slideshow', pause: 'Pause slideshow',
    imageOf: 'Image {n} of {total}', photo: 'Photo {n}', thumbnails: 'Thumbnails', zoom: 'Zoom', close: 'Close',
    enter: 'View the photos', introduction: 'Introduction', noImages: 'This album contains no images.',
    noData: 'The album data could not be read.', loadError: 'This image could not be loaded.' };

  function t(key, vars) {
    var L = global.kavloLanguage && global.kavloLanguage.text;
    var s = L && typeof L[key] === 'string' && L[key] ? L[key] : EN[key] || key;
    if (vars) s = s.replace(/\{(\w+)\}/g, function (m, k) { return k in vars ? String(vars[k]) : m; });
    return s;
  }

  function applyLanguage() {
    var L = global.kavloLanguage;
    if (L && typeof L.code === 'string') doc.documentElement.lang = L.code;
    if (L && L.dir === 'rtl') doc.documentElement.dir = 'rtl';
  }

  function el(tag, attrs, kids) {
    var e = doc.createElement(tag);
    Object.keys(attrs || {}).forEach(function (k) {
      var v = attrs[k];
      if (v === null || v === undefined || v === false) return;
      if (k === 'text') e.textContent = v; else if (k === 'class') e.className = v; else e.setAttribute(k, String(v));
    });
    (kids || []).forEach(function (c) { if (c) e.appendChild(typeof c === 'string' ? doc.createTextNode(c) : c); });
    return e;
  }

  function safeHref(h) {
    h = String(h || '').trim();
    var m = /^([a-zA-Z][a-zA-Z0-9+.\-]*):/.exec(h.replace(/[\u0000-\u0020]/g, ''));
    return m && ['http', 'https', 'mailto', 'ftp', 'file', 'tel'].indexOf(m[1].toLowerCase()) < 0 ? '' : h;
  }

  var DROP = /^(SCRIPT|STYLE|IFRAME|OBJECT|EMBED|LINK|META|BASE|FORM|FRAME|FRAMESET|TEMPLATE|NOSCRIPT)$/i;
  function clean(node) {
    for (var c = node.firstChild, next; c; c = next) {
      next = c.nextSibling;
      if (c.nodeType === 1) {
        if (DROP.test(c.nodeName)) { node.removeChild(c); continue; }
        for (var i = c.attributes.length - 1; i >= 0; i--) {
          var a = c.attributes[i], n = a.name.toLowerCase();
          if (n.indexOf('on') === 0 || ((n === 'href' || n === 'src' || n === 'xlink:href') && a.value.trim() && !safeHref(a.value))) c.removeAttribute(a.name);
        }
        clean(c);
      } else if (c.nodeType !== 3) node.removeChild(c);
    }
  }

  /* HTML texts (captions, introduction, footer) become inert, script-free DOM. */
  function setHtml(target, html) {
    var holder = doc.implementation.createHTMLDocument('').createElement('div');
    holder.innerHTML = String(html || '');
    clean(holder);
    while (target.firstChild) target.removeChild(target.firstChild);
    while (holder.firstChild) { var n = holder.firstChild; holder.removeChild(n); target.appendChild(doc.adoptNode(n)); }
  }

  function plainText(html) {
    var holder = doc.implementation.createHTMLDocument('').createElement('div');
    holder.innerHTML = String(html || '').replace(/<br\s*\/?>/gi, ' ');
    return (holder.textContent || '').replace(/\s+/g, ' ').trim();
  }

  /* Folder plus file name as a URL, every segment percent-encoded. */
  function imageUrl(dir, file) {
    var d = String(dir || '').replace(/\/+$/, '');
    var enc = function (p) { return p.split('/').map(function (s) { return s === '..' || s === '.' ? s : encodeURIComponent(s); }).join('/'); };
    return (d ? enc(d) + '/' : '') + encodeURIComponent(String(file));
  }

  function colour(v, fallback) {
    var s = String(v || '').trim().replace(/^0x/i, '#');
    return /^#[0-9a-fA-F]{6}$/.test(s) ? s : fallback;
  }

  function int(v, fallback) {
    var n = parseInt(v, 10);
    return isFinite(n) ? n : fallback;
  }

  function loadScript(src) {
    return new Promise(function (resolve) {
      var s = doc.createElement('script');
      s.src = src;
      s.onload = function () { resolve(true); };
      s.onerror = function () { resolve(false); };
      doc.head.appendChild(s);
    });
  }

  /* Reads an XML file over http(s); resolves to null from disk or on any failure. */
  function loadXml(url) {
    if (!/^https?:$/.test(global.location.protocol)) return Promise.resolve(null);
    return new Promise(function (resolve) {
      var x = new XMLHttpRequest();
      x.open('GET', url + '?v=' + Date.now());
      x.timeout = 8000;
      x.onload = function () {
        if (x.status < 200 || x.status >= 300) { resolve(null); return; }
        var d = new DOMParser().parseFromString(x.responseText, 'application/xml');
        resolve(d.getElementsByTagName('parsererror').length ? null : d);
      };
      x.onerror = x.ontimeout = function () { resolve(null); };
      x.send();
    });
  }

  function childText(node, name) {
    var c = node.getElementsByTagName(name)[0];
    return c ? c.textContent : '';
  }

  /* The album data of ext/js/albumdef.js as images with sizes. */
  function fromAlbumdef() {
    if (!Array.isArray(global.imageFilename)) return null;
    var n = Math.min(int(global.nbImages, global.imageFilename.length), global.imageFilename.length);
    var arr = function (name) { return Array.isArray(global[name]) ? global[name] : []; };
    var list = [];
    for (var i = 0; i < n; i++) {
      list.push({
        name: String(global.imageFilename[i]),
        caption: typeof arr('majorCaption')[i] === 'string' ? arr('majorCaption')[i] : '',
        w: int(arr('mediumWidth')[i], 0), h: int(arr('mediumHeight')[i], 0),
        tw: int(arr('smallWidth')[i], 0), th: int(arr('smallHeight')[i], 0),
      });
    }
    return {
      title: typeof global.title === 'string' ? global.title : '',
      images: list,
      mediumDir: typeof global.mediumDir === 'string' ? global.mediumDir : 'medium',
      smallDir: typeof global.smallDir === 'string' ? global.smallDir : 'small',
      largeDir: typeof global.largeDir === 'string' ? global.largeDir : 'large',
      small: int(global.smallImages, 0) === 1,
      large: int(global.largeImages, 0) === 1,
      smallPos: typeof global.smallPos === 'string' ? global.smallPos : 'left',
      maxW: int(global.maxMediumW, 0), maxH: int(global.maxMediumH, 0),
    };
  }

  function hashIndex(count) {
    var m = /^#(\d{1,6})$/.exec(global.location.hash);
    var i = m ? parseInt(m[1], 10) - 1 : -1;
    return i >= 0 && i < count ? i : null;
  }

  function fit(w, h, bw, bh) {
    if (!(w > 0 && h > 0 && bw > 0 && bh > 0)) return null;
    var s = Math.min(1, bw / w, bh / h);
    return { w: Math.max(1, Math.floor(w * s)), h: Math.max(1, Math.floor(h * s)) };
  }

  function iconButton(cls, label, path) {
    var b = el('button', { type: 'button', class: 'kvv-button ' + cls, 'aria-label': label, title: label });
    b.innerHTML = '<svg viewBox="0 0 24 24" aria-hidden="true" focusable="false"><path d="' + path + '"/></svg>';
    return b;
  }
  var P = { prev: 'M15 5l-7 7 7 7', next: 'M9 5l7 7-7 7', play: 'M8 5.5v13l10.5-6.5z', pause: 'M8 5v14M16 5v14' };

  function message(root, text) {
    root.appendChild(el('p', { class: 'kvv-message', role: 'alert', text: text }));
  }

  /* Keys and swipes shared by both viewers. */
  function bindNavigation(target, step, first, last) {
    doc.addEventListener('keydown', function (e) {
      if (e.altKey || e.ctrlKey || e.metaKey) return;
      var rtl = doc.documentElement.dir === 'rtl';
      var k = e.key;
      if (k === 'ArrowRight' || k === 'PageDown') step(k === 'ArrowRight' && rtl ? -1 : 1);
      else if (k === 'ArrowLeft' || k === 'PageUp') step(k === 'ArrowLeft' && rtl ? 1 : -1);
      else if (k === 'Home') first();
      else if (k === 'End') last();
      else return;
      e.preventDefault();
    });
    var start = null;
    target.addEventListener('pointerdown', function (e) { if (e.pointerType !== 'mouse') start = { x: e.clientX, y: e.clientY }; });
    target.addEventListener('pointerup', function (e) {
      if (!start) return;
      var dx = e.clientX - start.x, dy = e.clientY - start.y;
      start = null;
      if (Math.abs(dx) > 40 && Math.abs(dx) > 1.5 * Math.abs(dy)) step((dx < 0) !== (doc.documentElement.dir === 'rtl') ? 1 : -1);
    });
  }

  // ---------------------------------------------------------------- gallery page

  function simpleFromXml(x, album) {
    var g = x.documentElement;
    if (!g || g.nodeName !== 'simpleviewerGallery') return null;
    var images = Array.prototype.map.call(g.getElementsByTagName('image'), function (im, i) {
      var a = album && album.images[i];
      var name = childText(im, 'name');
      var same = a && a.name === name;
      return { name: name, caption: childText(im, 'caption'), w: same ? a.w : 0, h: same ? a.h : 0 };
    });
    return {
      source: 'xml',
      title: g.getAttribute('title') || '',
      maxW: int(g.getAttribute('maxImageWidth'), 0), maxH: int(g.getAttribute('maxImageHeight'), 0),
      textColor: g.getAttribute('textColor'), frameColor: g.getAttribute('frameColor'),
      frameWidth: int(g.getAttribute('frameWidth'), 1), stagePadding: int(g.getAttribute('stagePadding'), 35),
      cols: int(g.getAttribute('thumbnailColumns'), 3), rows: int(g.getAttribute('thumbnailRows'), 3),
      navPosition: g.getAttribute('navPosition') || 'left',
      imagePath: g.getAttribute('imagePath') || 'medium/', thumbPath: g.getAttribute('thumbPath') || 'small/',
      images: images,
    };
  }

  function simpleFromAlbum(a, o) {
    return {
      source: 'albumdef',
      title: o.title || a.title,
      maxW: a.maxW, maxH: a.maxH,
      textColor: o.textColor, frameColor: o.frameColor, frameWidth: 1, stagePadding: 35,
      cols: a.small ? 3 : 0, rows: a.small ? 3 : 0,
      navPosition: ['left', 'right', 'top', 'bottom'].indexOf(a.smallPos) >= 0 ? a.smallPos : 'left',
      imagePath: a.mediumDir + '/', thumbPath: a.smallDir + '/',
      images: a.images.map(function (im) {
        var zoom = a.large ? '<a target="_blank" href="' + imageUrl(a.largeDir, im.name) + '"><u>' + t('zoom') + '</u></a>' : '';
        return { name: im.name, caption: im.caption + (im.caption && zoom ? '<br/><br/>' : '') + zoom, w: im.w, h: im.h };
      }),
    };
  }

  function simple(o) {
    applyLanguage();
    var root = doc.getElementById(o.root || 'kvv-root');
    var albumReady = loadScript(o.albumdef || 'ext/js/albumdef.js').then(fromAlbumdef);
    return albumReady.then(function (album) {
      return loadXml(o.gallery || 'gallery.xml').then(function (x) {
        var g = x && simpleFromXml(x, album);
        if (!g && album) g = simpleFromAlbum(album, o);
        if (!g) { message(root, t('noData')); return null; }
        return buildSimple(root, g, o);
      });
    });
  }

  function buildSimple(root, g, o) {
    root.classList.add('kvv-simple', 'kvv-nav-' + g.navPosition);
    root.setAttribute('data-source', g.source);
    var frame = colour(g.frameColor, o.frameColor || '#555555');
    root.style.setProperty('--kvv-frame', frame);
    root.style.setProperty('--kvv-frame-width', Math.max(0, Math.min(30, g.frameWidth)) + 'px');
    root.style.setProperty('--kvv-pad', Math.max(0, Math.min(200, g.stagePadding)) + 'px');
    if (g.textColor) root.style.setProperty('--kvv-text', colour(g.textColor, o.textColor || '#ffffff'));
    var count = g.images.length;
    var perPage = Math.max(0, g.cols) * Math.max(0, g.rows);
    doc.title = g.title || doc.title;

    var header = el('header', { class: 'kvv-header' }, [el('h1', { class: 'kvv-title', dir: 'auto', text: g.title })]);
    root.appendChild(header);
    var body = el('div', { class: 'kvv-body' });
    root.appendChild(body);

    var nav = null, grid = null, pager = null, pageLabel = null;
    if (perPage > 0 && count > 0) {
      nav = el('nav', { class: 'kvv-thumbs', 'aria-label': t('thumbnails') });
      grid = el('ol', { class: 'kvv-grid' });
      grid.style.setProperty('--kvv-cols', String(g.cols));
      grid.style.setProperty('--kvv-rows', String(Math.min(g.rows, Math.ceil(count / g.cols))));
      nav.appendChild(grid);
      if (count > perPage) {
        var pp = iconButton('kvv-page-prev', t('previous'), P.prev);
        var pn = iconButton('kvv-page-next', t('next'), P.next);
        pageLabel = el('span', { class: 'kvv-page-label', dir: 'ltr' });
        pager = el('div', { class: 'kvv-pager' }, [pp, pageLabel, pn]);
        pp.addEventListener('click', function () { showPage(page - 1); });
        pn.addEventListener('click', function () { showPage(page + 1); });
        nav.appendChild(pager);
      }
      body.appendChild(nav);
    }

    var stage = el('main', { class: 'kvv-stage' });
    var holder = el('div', { class: 'kvv-holder' });
    var img = el('img', { class: 'kvv-image', id: 'kvv-image', alt: '', decoding: 'async' });
    holder.appendChild(img);
    var prev = iconButton('kvv-prev', t('previous'), P.prev);
    var next = iconButton('kvv-next', t('next'), P.next);
    var caption = el('div', { class: 'kvv-caption', id: 'kvv-caption', dir: 'auto' });
    var counter = el('p', { class: 'kvv-counter', dir: 'ltr' });
    stage.appendChild(holder);
    stage.appendChild(el('div', { class: 'kvv-stage-bar' }, [prev, counter, next]));
    stage.appendChild(caption);
    body.appendChild(stage);

    var footer = el('footer', { class: 'kvv-footer', id: 'kvv-footer', dir: 'auto' });
    setHtml(footer, o.footer || '');
    root.appendChild(footer);

    if (count === 0) { message(stage, t('noImages')); return { count: 0 }; }

    var current = -1, page = 0, thumbs = [];

    function thumbCell(i) {
      var im = g.images[i];
      var a = el('a', { class: 'kvv-thumb', href: '#' + (i + 1), 'aria-label': t('imageOf', { n: i + 1, total: count }) });
      a.appendChild(el('img', { src: g.thumbPath ? imageUrl(g.thumbPath, im.name) : '', alt: '', loading: 'lazy', decoding: 'async' }));
      return el('li', null, [a]);
    }

    function showPage(p) {
      if (!grid) return;
      var pages = Math.ceil(count / perPage);
      p = Math.max(0, Math.min(pages - 1, p));
      page = p;
      while (grid.firstChild) grid.removeChild(grid.firstChild);
      thumbs = [];
      for (var i = p * perPage; i < Math.min(count, (p + 1) * perPage); i++) {
        var li = thumbCell(i);
        grid.appendChild(li);
        thumbs[i] = li.firstChild;
      }
      if (pageLabel) pageLabel.textContent = (p + 1) + ' / ' + pages;
      if (pager) { pager.firstChild.disabled = p === 0; pager.lastChild.disabled = p === pages - 1; }
      mark();
    }

    function mark() {
      thumbs.forEach(function (a, i) {
        if (!a) return;
        a.classList.toggle('kvv-current', i === current);
        if (i === current) a.setAttribute('aria-current', 'true'); else a.removeAttribute('aria-current');
      });
    }

    function layout() {
      var im = g.images[current];
      if (!im) return;
      var w = im.w || img.naturalWidth, h = im.h || img.naturalHeight;
      var fw = 2 * Math.max(0, Math.min(30, g.frameWidth));
      var bw = holder.clientWidth - fw, bh = holder.clientHeight - fw;
      if (g.maxW > 0) bw = Math.min(bw, g.maxW);
      if (g.maxH > 0) bh = Math.min(bh, g.maxH);
      var d = fit(w, h, bw, bh);
      if (d) { img.style.width = d.w + 'px'; img.style.height = d.h + 'px'; }
    }

    function show(i) {
      if (i === current) return;
      current = i;
      var im = g.images[i];
      img.classList.remove('kvv-loaded');
      failed.hidden = true;
      if (im.w && im.h) { img.width = im.w; img.height = im.h; } else { img.removeAttribute('width'); img.removeAttribute('height'); }
      img.src = imageUrl(g.imagePath, im.name);
      img.alt = plainText(im.caption.replace(/<a\b[^>]*>.*?<\/a>/gi, '')) || t('photo', { n: i + 1 });
      layout();
      setHtml(caption, im.caption);
      caption.querySelectorAll('a[target="_blank"]').forEach(function (a) { a.setAttribute('rel', 'noopener'); });
      counter.textContent = (i + 1) + ' / ' + count;
      prev.disabled = i === 0;
      next.disabled = i === count - 1;
      if (perPage > 0 && Math.floor(i / perPage) !== page) showPage(Math.floor(i / perPage)); else mark();
      if (i + 1 < count) { var pre = new Image(); pre.src = imageUrl(g.imagePath, g.images[i + 1].name); }
    }
    var failed = el('p', { class: 'kvv-load-error', role: 'alert', text: t('loadError') });
    failed.hidden = true;
    holder.appendChild(failed);
    img.addEventListener('load', function () { failed.hidden = true; img.classList.add('kvv-loaded'); layout(); });
    img.addEventListener('error', function () { if (img.getAttribute('src')) failed.hidden = false; });

    function go(i) {
      i = Math.max(0, Math.min(count - 1, i));
      if (i === current) return;
      global.location.hash = '#' + (i + 1);
    }
    global.addEventListener('hashchange', function () { var h = hashIndex(count); if (h !== null) show(h); });
    prev.addEventListener('click', function () { go(current - 1); });
    next.addEventListener('click', function () { go(current + 1); });
    img.addEventListener('click', function () { go(current + 1 < count ? current + 1 : 0); });
    bindNavigation(stage, function (d) { go(current + d); }, function () { go(0); }, function () { go(count - 1); });
    if (global.ResizeObserver) new ResizeObserver(layout).observe(holder); else global.addEventListener('resize', layout);

    showPage(0);
    var h = hashIndex(count);
    show(h === null ? 0 : h);

    // The introduction, when the album has one, greets the visitor first.
    if (o.introPresent && h === null && o.intro) {
      var panel = el('section', { class: 'kvv-intro', role: 'dialog', 'aria-modal': 'true', 'aria-label': t('introduction') });
      var box = el('div', { class: 'kvv-intro-box' });
      box.appendChild(el('h2', { dir: 'auto', text: g.title }));
      var txt = el('div', { class: 'kvv-intro-text', dir: 'auto' });
      setHtml(txt, o.intro);
      box.appendChild(txt);
      var enter = el('button', { type: 'button', class: 'kvv-enter', text: t('enter') });
      enter.addEventListener('click', function () { panel.remove(); prev.focus(); });
      box.appendChild(enter);
      panel.appendChild(box);
      root.appendChild(panel);
      enter.focus();
    }
    return { count: count, source: g.source, go: go, current: function () { return current; } };
  }

  // ---------------------------------------------------------------- slideshow page

  function autoFromXml(x) {
    var g = x.documentElement;
    if (!g || g.nodeName !== 'gallery') return null;
    return {
      source: 'xml',
      title: g.getAttribute('title') || '',
      frameColor: g.getAttribute('frameColor'), frameWidth: int(g.getAttribute('frameWidth'), 1),
      padding: int(g.getAttribute('imagePadding'), 20), displayTime: int(g.getAttribute('displayTime'), 5),
      imagePath: g.getAttribute('imagePath') || 'images/',
      images: Array.prototype.map.call(g.getElementsByTagName('image'), function (im) {
        // Captions arrive escaped inside CDATA: one decoding gives the text.
        var holder = doc.implementation.createHTMLDocument('').createElement('textarea');
        holder.innerHTML = childText(im, 'caption');
        return { name: childText(im, 'name'), caption: plainText(holder.value), w: int(childText(im, 'width'), 0), h: int(childText(im, 'height'), 0) };
      }),
    };
  }

  function autoFromAlbum(a, o) {
    return {
      source: 'albumdef',
      title: o.title || a.title,
      frameColor: o.frameColor, frameWidth: 1, padding: 20, displayTime: 5,
      imagePath: a.mediumDir + '/',
      images: a.images.map(function (im) { return { name: im.name, caption: plainText(im.caption), w: im.w, h: im.h }; }),
    };
  }

  function auto(o) {
    applyLanguage();
    var root = doc.getElementById(o.root || 'kvv-root');
    return loadScript(o.albumdef || 'ext/js/albumdef.js').then(fromAlbumdef).then(function (album) {
      return loadXml(o.gallery || 'gallerydata.xml').then(function (x) {
        var g = x && autoFromXml(x);
        if (!g && album) g = autoFromAlbum(album, o);
        if (!g) { message(root, t('noData')); return null; }
        return buildAuto(root, g, o);
      });
    });
  }

  function buildAuto(root, g, o) {
    root.classList.add('kvv-auto');
    root.setAttribute('data-source', g.source);
    root.style.setProperty('--kvv-frame', colour(g.frameColor, o.frameColor || '#ffffff'));
    root.style.setProperty('--kvv-frame-width', Math.max(0, Math.min(30, g.frameWidth)) + 'px');
    root.style.setProperty('--kvv-pad', Math.max(0, Math.min(200, g.padding)) + 'px');
    var seconds = Math.max(1, Math.min(600, g.displayTime || 5));
    root.style.setProperty('--kvv-display-time', seconds + 's');
    var count = g.images.length;
    doc.title = g.title || doc.title;

    var counter = el('p', { class: 'kvv-counter', dir: 'ltr' });
    root.appendChild(el('header', { class: 'kvv-header' }, [el('h1', { class: 'kvv-title', dir: 'auto', text: g.title }), counter]));
    var stage = el('main', { class: 'kvv-stage' });
    var holder = el('div', { class: 'kvv-holder' });
    var img = el('img', { class: 'kvv-image', id: 'kvv-image', alt: '', decoding: 'async' });
    holder.appendChild(img);
    var caption = el('p', { class: 'kvv-caption', id: 'kvv-caption', dir: 'auto' });
    var progress = el('div', { class: 'kvv-progress' }, [el('span')]);
    var prev = iconButton('kvv-prev', t('previous'), P.prev);
    var play = iconButton('kvv-play', t('pause'), P.pause);
    play.setAttribute('aria-pressed', 'true');
    var next = iconButton('kvv-next', t('next'), P.next);
    stage.appendChild(holder);
    stage.appendChild(caption);
    stage.appendChild(el('div', { class: 'kvv-stage-bar' }, [prev, play, next]));
    stage.appendChild(progress);
    root.appendChild(stage);
    var footer = el('footer', { class: 'kvv-footer', id: 'kvv-footer', dir: 'auto' });
    setHtml(footer, o.footer || '');
    root.appendChild(footer);
    if (count === 0) { message(stage, t('noImages')); return { count: 0 }; }

    var current = -1, playing = !(global.matchMedia && global.matchMedia('(prefers-reduced-motion: reduce)').matches), timer = 0;

    function layout() {
      var im = g.images[current];
      if (!im) return;
      var fw = 2 * Math.max(0, Math.min(30, g.frameWidth));
      var d = fit(im.w || img.naturalWidth, im.h || img.naturalHeight, holder.clientWidth - fw, holder.clientHeight - fw);
      if (d) { img.style.width = d.w + 'px'; img.style.height = d.h + 'px'; }
    }

    function restartProgress() {
      var bar = progress.firstChild;
      bar.classList.remove('kvv-running');
      void bar.offsetWidth; // restart the CSS animation
      if (playing) bar.classList.add('kvv-running');
    }

    function schedule() {
      global.clearTimeout(timer);
      if (!playing) return;
      restartProgress();
      timer = global.setTimeout(function () { step(1, true); }, seconds * 1000);
    }

    function show(i) {
      current = i;
      var im = g.images[i];
      img.classList.remove('kvv-loaded');
      failed.hidden = true;
      if (im.w && im.h) { img.width = im.w; img.height = im.h; }
      img.src = imageUrl(g.imagePath, im.name);
      img.alt = im.caption || t('photo', { n: i + 1 });
      caption.textContent = im.caption;
      counter.textContent = (i + 1) + ' / ' + count;
      layout();
      var pre = new Image();
      pre.src = imageUrl(g.imagePath, g.images[(i + 1) % count].name);
      schedule();
    }
    var failed = el('p', { class: 'kvv-load-error', role: 'alert', text: t('loadError') });
    failed.hidden = true;
    holder.appendChild(failed);
    img.addEventListener('load', function () { failed.hidden = true; img.classList.add('kvv-loaded'); layout(); });
    img.addEventListener('error', function () { if (img.getAttribute('src')) failed.hidden = false; if (playing) schedule(); });

    function go(i, replace) {
      i = ((i % count) + count) % count;
      if (replace && global.history.replaceState) { global.history.replaceState(null, '', '#' + (i + 1)); show(i); }
      else if (global.location.hash === '#' + (i + 1)) show(i);
      else global.location.hash = '#' + (i + 1);
    }
    function step(d, replace) { go(current + d, replace); }
    function setPlaying(on) {
      playing = on;
      play.setAttribute('aria-pressed', on ? 'true' : 'false');
      play.setAttribute('aria-label', on ? t('pause') : t('play'));
      play.title = on ? t('pause') : t('play');
      play.querySelector('path').setAttribute('d', on ? P.pause : P.play);
      root.classList.toggle('kvv-paused', !on);
      if (on) schedule(); else { global.clearTimeout(timer); restartProgress(); }
    }
    global.addEventListener('hashchange', function () { var h = hashIndex(count); if (h !== null && h !== current) show(h); });
    prev.addEventListener('click', function () { step(-1); });
    next.addEventListener('click', function () { step(1); });
    play.addEventListener('click', function () { setPlaying(!playing); });
    bindNavigation(stage, function (d) { step(d); }, function () { go(0); }, function () { go(count - 1); });
    doc.addEventListener('keydown', function (e) {
      if (e.key === ' ' && !(e.target && /^(BUTTON|A|INPUT|TEXTAREA)$/.test(e.target.tagName))) { setPlaying(!playing); e.preventDefault(); }
    });
    if (global.ResizeObserver) new ResizeObserver(layout).observe(holder); else global.addEventListener('resize', layout);

    var h = hashIndex(count);
    setPlaying(playing);
    show(h === null ? 0 : h);
    return { count: count, source: g.source, go: go, current: function () { return current; }, setPlaying: setPlaying };
  }

  /* Footer text of the gallery page arrives percent-encoded. */
  function decodeFooter(s) {
    s = String(s || '');
    try { return decodeURIComponent(s); } catch (e) {
      // A literal "%" in the footer is not a valid escape: undo only the writer's four.
      return s.replace(/%3C/gi, '<').replace(/%3E/gi, '>').replace(/%22/g, '"').replace(/%26/g, '&');
    }
  }

  global.KavloViewer = { simple: simple, auto: auto, decodeFooter: decodeFooter };
})(window);
