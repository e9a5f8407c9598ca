// SPDX-License-Identifier: MIT
/* Kavlo photo album - the captions under the photo: the major caption (HTML,
 * made safe) and the minor caption (plain text) behind an information button,
 * and the alternative text of the photo. */
(function (global) {
  'use strict';
  var K = global.Kavlo;

  /* Alternative text of image i: its major caption as plain text, else its
     minor caption, else "Photo n". */
  K.altText = function (album, i) {
    var img = album.images[i];
    return K.plainText(img.major) || img.minor.replace(/\s+/g, ' ').trim() || K.t('photo', { n: i + 1 });
  };

  /* Alternative text of image i where its caption is on show beside it: the
     caption is not read twice, so only its minor caption or "Photo n". */
  K.shortAlt = function (album, i) {
    var img = album.images[i];
    if (img.major === '') return K.altText(album, i);
    return K.t('photo', { n: i + 1 });
  };

  /* The room for a photo in a figure that stacks it over its caption: the
     figure's content box less the caption and the margins of stage (if given). */
  K.roomAbove = function (figure, caption, stage) {
    var cs = global.getComputedStyle(figure);
    var w = figure.clientWidth - parseFloat(cs.paddingLeft) - parseFloat(cs.paddingRight);
    var h = figure.clientHeight - parseFloat(cs.paddingTop) - parseFloat(cs.paddingBottom) - caption.offsetHeight;
    if (stage) {
      var ss = global.getComputedStyle(stage);
      w -= parseFloat(ss.marginLeft) + parseFloat(ss.marginRight);
      h -= parseFloat(ss.marginTop) + parseFloat(ss.marginBottom);
    }
    return { w: w, h: h };
  };

  /* The figure caption; show(img) fills it with the captions of one image.
     prefix names its elements (kv-caption, kv-major, kv-minor by default). */
  K.buildCaption = function (prefix) {
    var p = prefix || 'kv';
    var caption = K.el('figcaption', { class: 'kv-caption', id: p + '-caption' });
    var major = K.el('div', { class: 'kv-major', id: p + '-major', dir: 'auto' });
    var infoBtn = K.el('button', { type: 'button', class: 'kv-info-button', 'aria-expanded': 'false', 'aria-controls': p + '-minor', title: K.t('details') }, [K.icon('info'), K.el('span', { class: 'kv-visually-hidden', text: K.t('details') })]);
    var minor = K.el('p', { class: 'kv-minor', id: p + '-minor', dir: 'auto' });
    minor.hidden = true;
    caption.appendChild(K.el('div', { class: 'kv-caption-row' }, [major, infoBtn]));
    caption.appendChild(minor);

    infoBtn.addEventListener('click', function () {
      var open = minor.hidden;
      minor.hidden = !open;
      infoBtn.setAttribute('aria-expanded', open ? 'true' : 'false');
    });

    function show(img) {
      K.setHtml(major, img.major);
      major.hidden = img.major === '';
      minor.textContent = img.minor;
      infoBtn.hidden = img.minor === '';
      if (img.minor === '') { minor.hidden = true; infoBtn.setAttribute('aria-expanded', 'false'); }
      caption.classList.toggle('kv-empty', img.major === '' && img.minor === '');
    }

    return { element: caption, show: show };
  };
})(window);
