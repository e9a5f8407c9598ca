// SPDX-License-Identifier: MIT
/* Kavlo photo album - start page (index.html in the album folder): the album
 * view with the thumbnail strip. Loaded at the top of the body, so the album
 * starts while the rest of the page (the plain list for visitors without
 * scripts) is still arriving. Needs common.js and medium.js. */
(function (global) {
  'use strict';
  function start() {
    global.Kavlo.startAlbum({ root: '', strip: true, pages: 'ext/html/' });
  }
  if (global.document.body) start();
  else global.document.addEventListener('DOMContentLoaded', start);
})(window);
