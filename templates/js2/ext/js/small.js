// SPDX-License-Identifier: MIT
/* Kavlo photo album - the overview page (ext/html/small.html): every thumbnail
 * of the album in a grid, each leading to its image in the album view. Only
 * the rows near the visible part of the page are built (albums may hold tens
 * of thousands of photos); the grid keeps the height of all of them. Only
 * present in albums with thumbnails. Needs common.js, data.js and html.js. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var doc = global.document;
  var SPARE_ROWS = 4;

  function gridItem(album, root, albumHref, i) {
    var img = album.images[i];
    var label = K.t('imageOf', { n: i + 1, total: album.count });
    var text = K.plainText(img.major);
    var s = album.small.list[i], t2 = album.renditions.thumb2x[i];
    var thumb = K.el('img', {
      loading: 'lazy', decoding: 'async', alt: '', width: s.w || null, height: s.h || null, title: img.minor || null,
      src: K.imageUrl(root, album.dirs.small, img.file)
    });
    if (t2) thumb.srcset = thumb.getAttribute('src') + ' 1x, ' + K.imageUrl(root, album.renditions.thumb2xDir, img.file) + ' 2x';
    var a = K.el('a', { class: 'kv-grid-item', href: albumHref + '#' + (i + 1), 'aria-label': text ? label + ': ' + text : label }, [
      K.el('span', { class: 'kv-grid-thumb' }, [thumb]),
      K.el('span', { class: 'kv-grid-number', text: String(i + 1) })
    ]);
    return K.el('li', { 'aria-setsize': album.count, 'aria-posinset': i + 1 }, [a]);
  }

  /* The grid of thumbnails, rows built as they come near the window. */
  function buildGrid(album, root, albumHref) {
    var n = album.count;
    var grid = K.el('ol', { class: 'kv-grid', id: 'kv-grid' });
    grid.style.setProperty('--kv-thumb-w', Math.max(24, album.small.maxW) + 'px');
    grid.style.setProperty('--kv-thumb-h', Math.max(24, album.small.maxH) + 'px');
    var items = {}, from = 0, to = -1;

    function place(f, t) {
      f = Math.max(0, f); t = Math.min(n - 1, t);
      if (f === from && t === to) return;
      Object.keys(items).forEach(function (k) {
        if (+k < f || +k > t) { grid.removeChild(items[k]); delete items[k]; }
      });
      var before = null;
      for (var i = t; i >= f; i--) {
        if (!items[i]) items[i] = gridItem(album, root, albumHref, i);
        if (items[i].parentNode !== grid || items[i].nextSibling !== before) grid.insertBefore(items[i], before);
        before = items[i];
      }
      from = f; to = t;
    }

    function update() {
      if (n === 0) return;
      if (to < 0) place(0, 59);
      var cs = global.getComputedStyle(grid);
      var cols = Math.max(1, cs.gridTemplateColumns.split(' ').length);
      var gap = parseFloat(cs.rowGap) || 0;
      var li = items[from];
      if (!li) return;
      var pitch = li.getBoundingClientRect().height + gap;
      if (!(pitch > gap)) return;
      var rows = Math.ceil(n / cols);
      var top = grid.getBoundingClientRect().top; // where row 0 is (the padding stands for the rows above)
      var firstRow = Math.max(0, Math.floor(-top / pitch) - SPARE_ROWS);
      var lastRow = Math.ceil((global.innerHeight - top) / pitch) + SPARE_ROWS;
      place(firstRow * cols, (lastRow + 1) * cols - 1);
      grid.style.paddingTop = Math.floor(from / cols) * pitch + 'px';
      grid.style.height = Math.max(0, rows * pitch - gap) + 'px';
    }
    var pending = false;
    function later() {
      if (pending) return;
      pending = true;
      global.requestAnimationFrame(function () { pending = false; update(); });
    }
    global.addEventListener('scroll', later, { passive: true });
    global.addEventListener('resize', later);
    return { element: grid, update: update };
  }

  K.startOverview = function (options) {
    var root = options.root || '';
    var album = K.readAlbum();
    K.applyLanguage(doc);
    var app = K.el('div', { class: 'kv-app kv-overview-page', id: 'kv-app' });
    doc.body.appendChild(app);
    doc.body.classList.add('kv-js');
    if (!album.present) { K.message(app, K.t('noData')); return null; }
    doc.title = (album.title ? album.title + ' \u2013 ' : '') + K.t('overview');
    var albumHref = options.albumHref || root + 'index.html';

    app.appendChild(K.el('header', { class: 'kv-header' }, [
      K.el('div', { class: 'kv-heading' }, [
        K.el('h1', { class: 'kv-title', dir: 'auto', text: album.title }),
        K.el('p', { class: 'kv-counter', text: K.t('overview') + ' \u00b7 ' + album.count })
      ]),
      K.el('div', { class: 'kv-tools' }, [
        K.el('a', { class: 'kv-button kv-back', href: albumHref, 'aria-label': K.t('backToAlbum'), title: K.t('backToAlbum') }, [K.icon('back')])
      ])
    ]));

    var main = K.el('main', { class: 'kv-grid-main' });
    app.appendChild(main);
    if (album.count === 0) {
      K.message(main, K.t('noImages'));
    } else {
      var grid = buildGrid(album, root, albumHref);
      main.appendChild(grid.element);
      grid.update();
      grid.update(); // the first pass measures, the second fills the window
    }
    app.appendChild(K.buildFooter(album));
    return album;
  };
})(window);
