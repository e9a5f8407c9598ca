// SPDX-License-Identifier: MIT
/* Kavlo photo album - the album data: reads the variables of ext/js/albumdef.js
 * into one record and builds the URLs of the album's image files. */
(function (global) {
  'use strict';
  var K = global.Kavlo;


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
      renditions: K.readRenditions(n),
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

  // ---------------------------------------------------------------- renditions

  /* A folder of the renditions file: a relative path inside the album, without
     ".." or "." steps, schemes or a leading slash. */
  function plainDir(d) {
    if (typeof d !== 'string' || d === '' || /^[\/\\]|:|\\/.test(d)) return false;
    return d.split('/').every(function (seg) { return seg !== '' && seg !== '.' && seg !== '..'; });
  }

  function pixelSize(v) {
    if (!Array.isArray(v)) return null;
    var w = toNumber(v[0]), h = toNumber(v[1]);
    return w > 0 && h > 0 && w <= 65535 && h <= 65535 ? { w: Math.round(w), h: Math.round(h) } : null;
  }

  /* Reads ext/js/renditions.js (the global "renditions", absent in albums
     without extra renditions): per image the list of { dir, w, h } files it
     has besides its main and large image, and its 2x thumbnail. Anything
     malformed is left out, so the page falls back to the main and large files. */
  K.readRenditions = function (count) {
    var r = global.renditions;
    var out = { steps: [], thumb2x: [], thumb2xDir: '' };
    for (var i = 0; i < count; i++) { out.steps.push([]); out.thumb2x.push(null); }
    if (!r || typeof r !== 'object') return out;
    var dirs = Array.isArray(r.dirs) ? r.dirs : [];
    var sizes = Array.isArray(r.sizes) ? r.sizes : [];
    for (i = 0; i < count && i < sizes.length; i++) {
      var row = Array.isArray(sizes[i]) ? sizes[i] : [];
      for (var k = 0; k < dirs.length && k < row.length; k++) {
        var s = pixelSize(row[k]);
        if (s && plainDir(dirs[k])) out.steps[i].push({ dir: dirs[k], w: s.w, h: s.h });
      }
    }
    if (plainDir(r.thumb2xDir) && Array.isArray(r.thumb2x)) {
      out.thumb2xDir = r.thumb2xDir;
      for (i = 0; i < count && i < r.thumb2x.length; i++) out.thumb2x[i] = pixelSize(r.thumb2x[i]);
    }
    return out;
  };

  /* The files that can show image i, smallest first, each { dir, w, h }: the
     main image, its renditions and the large image. One file per width. */
  K.candidates = function (album, i) {
    var list = [];
    if (!(i >= 0 && i < album.count)) return list;
    var m = album.medium.list[i];
    if (m && m.w > 0) list.push({ dir: album.dirs.medium, w: m.w, h: m.h });
    album.renditions.steps[i].forEach(function (s) { list.push(s); });
    var L = album.large.enabled ? album.large.list[i] : null;
    if (L && L.w > 0) list.push({ dir: album.dirs.large, w: L.w, h: L.h });
    list.sort(function (a, b) { return a.w - b.w; });
    return list.filter(function (c, k) { return k === 0 || c.w !== list[k - 1].w; });
  };

  /* The srcset of image i shown cssW CSS pixels wide: the files sharp enough
     for this screen (at least 0.95 file pixels per device pixel), so that the
     browser picks among them, or the largest file when none is. Returns
     { srcset, best, count } with best the largest candidate. */
  K.sourceSet = function (album, root, i, cssW) {
    var list = K.candidates(album, i);
    if (!list.length) return { srcset: '', best: null, count: 0 };
    var need = cssW * (global.devicePixelRatio || 1) * 0.95;
    var sharp = list.filter(function (c) { return c.w >= need; });
    if (!sharp.length) sharp = [list[list.length - 1]];
    var file = album.images[i].file;
    return {
      srcset: sharp.map(function (c) { return K.imageUrl(root, c.dir, file) + ' ' + c.w + 'w'; }).join(', '),
      best: list[list.length - 1],
      count: sharp.length
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
})(window);
