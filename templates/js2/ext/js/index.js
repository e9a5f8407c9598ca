// SPDX-License-Identifier: MIT
/* Kavlo photo album - start page (index.html in the album folder): the album
 * view with the thumbnail strip. Needs common.js and medium.js. */
(function (global) {
  'use strict';
  function start() {
    global.Kavlo.startAlbum({ root: '', strip: true, pages: 'ext/html/' });
  }
  if (global.document.readyState === 'loading') global.document.addEventListener('DOMContentLoaded', start);
  else start();
})(window);
