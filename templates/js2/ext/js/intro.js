// SPDX-License-Identifier: MIT
/* Kavlo photo album - the introduction: the album title and the introduction
 * text with the way into the photos, shown instead of a photo when the album
 * starts with it (currentImage -1) or the address asks for "#intro". */
(function (global) {
  'use strict';
  var K = global.Kavlo;

  K.buildIntro = function (album) {
    var intro = K.el('section', { class: 'kv-intro', id: 'kv-intro', 'aria-labelledby': 'kv-intro-title' });
    var inner = K.el('div', { class: 'kv-intro-inner' });
    inner.appendChild(K.el('h2', { class: 'kv-intro-title', id: 'kv-intro-title', dir: 'auto', text: album.title || K.t('introduction') }));
    var text = K.el('div', { class: 'kv-intro-text', dir: 'auto' });
    K.setHtml(text, album.intro);
    inner.appendChild(text);
    if (album.count > 0) {
      inner.appendChild(K.el('a', { class: 'kv-enter', href: '#1', id: 'kv-enter' }, [K.t('enter'), K.icon('next')]));
      inner.appendChild(K.el('p', { class: 'kv-hint', text: K.t('keyboardHint') }));
    }
    intro.appendChild(inner);
    intro.hidden = true;
    return { element: intro };
  };
})(window);
