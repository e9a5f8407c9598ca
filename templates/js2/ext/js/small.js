// SPDX-License-Identifier: MIT
/* Kavlo photo album - the overview page (ext/html/small.html): every thumbnail
 * of the album in a grid, each leading to its image in the album view. Only
 * present in albums with thumbnails. Needs common.js. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var doc = global.document;

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
      var grid = K.el('ol', { class: 'kv-grid', id: 'kv-grid' });
      grid.style.setProperty('--kv-thumb-w', Math.max(24, album.small.maxW) + 'px');
      grid.style.setProperty('--kv-thumb-h', Math.max(24, album.small.maxH) + 'px');
      album.images.forEach(function (img, i) {
        var s = album.small.list[i];
        var label = K.t('imageOf', { n: i + 1, total: album.count });
        var text = K.plainText(img.major);
        var a = K.el('a', { class: 'kv-grid-item', href: albumHref + '#' + (i + 1), 'aria-label': text ? label + ': ' + text : label }, [
          K.el('span', { class: 'kv-grid-thumb' }, [K.el('img', {
            src: K.imageUrl(root, album.dirs.small, img.file), alt: '', loading: 'lazy', decoding: 'async',
            width: s.w || null, height: s.h || null, title: img.minor || null
          })]),
          K.el('span', { class: 'kv-grid-number', text: String(i + 1) })
        ]);
        grid.appendChild(K.el('li', null, [a]));
      });
      main.appendChild(grid);
    }
    app.appendChild(K.buildFooter(album));
    return album;
  };
})(window);
