// SPDX-License-Identifier: MIT
/* Kavlo photo album - HTML from the album author and from image metadata
 * (captions, introduction, footer) turned into safe page content.
 *
 * An allow-list: the text is parsed in an inert document (no scripts run, no
 * pictures load there) and a new tree is built from it in the page, element by
 * element, holding only the formatting a caption needs and only the
 * attributes listed for it. Nothing is serialised and parsed again, so markup
 * that changes meaning on a second parse cannot slip through. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var HTML_NS = 'http://www.w3.org/1999/xhtml';
  var MAX_DEPTH = 40;

  /* Links the album author typed: web, mail and relative addresses pass,
     script addresses do not. */
  K.safeHref = function (href) {
    var h = String(href || '').trim();
    if (h === '') return '';
    var scheme = /^([a-zA-Z][a-zA-Z0-9+.\-]*):/.exec(h.replace(/[\u0000-\u0020]/g, ''));
    if (scheme && ['http', 'https', 'mailto', 'ftp', 'file', 'tel'].indexOf(scheme[1].toLowerCase()) < 0) return '';
    return h;
  };

  // Formatting elements a caption keeps, with the attributes each may carry
  // besides title, lang and dir.
  var ALLOWED = {
    a: ['href', 'target'], abbr: [], b: [], bdi: [], bdo: [], big: [], blockquote: [], br: [], cite: [], code: [],
    del: [], dfn: [], div: [], em: [], font: ['color', 'size', 'face'], hr: [], i: [], ins: [], kbd: [], li: [],
    mark: [], ol: [], p: [], q: [], s: [], samp: [], small: [], span: [], strike: [], strong: [], sub: [], sup: [],
    time: [], tt: [], u: [], ul: [], var: [], wbr: []
  };
  var GLOBAL_ATTRS = ['title', 'lang', 'dir'];
  // Elements left out with all they hold: their content is code or data, not text.
  var DROPPED = /^(script|style|template|noscript|noembed|noframes|iframe|frame|frameset|object|embed|applet|param|xmp|plaintext|textarea|select|option|title|head|meta|link|base|canvas|audio|video|picture|source|img|svg|math|form|input|button)$/;

  /* Link addresses a caption may hold: web and mail addresses and addresses
     relative to the album, judged as the browser reads them (character
     references already decoded, blanks and control characters ignored). */
  function safeLink(v) {
    var h = String(v).replace(/[\u0000-\u0020\u007f]/g, '');
    var scheme = /^([^\/?#]*?):/.exec(h);
    if (scheme && !/^(https?|mailto)$/i.test(scheme[1])) return '';
    return String(v).trim();
  }

  var CHECK = {
    href: safeLink,
    target: function (v) { return v === '_blank' ? v : ''; },
    color: function (v) { return /^#?[0-9a-zA-Z]{1,20}$/.test(v) ? v : ''; },
    size: function (v) { return /^[+-]?[1-7]$/.test(v) ? v : ''; },
    face: function (v) { return /^[\w ,\-]{1,60}$/.test(v) ? v : ''; },
    dir: function (v) { return /^(ltr|rtl|auto)$/i.test(v) ? v : ''; },
    lang: function (v) { return /^[a-zA-Z]{1,8}(-[a-zA-Z0-9]{1,8})*$/.test(v) ? v : ''; },
    title: function (v) { return v; }
  };

  /* Copies the allowed part of src's children into dst (an element of doc). */
  function copyAllowed(src, dst, doc, depth) {
    for (var c = src.firstChild; c; c = c.nextSibling) {
      if (c.nodeType === 3) { dst.appendChild(doc.createTextNode(c.data)); continue; }
      if (c.nodeType !== 1 || c.namespaceURI !== HTML_NS) continue;
      var tag = c.localName.toLowerCase();
      if (DROPPED.test(tag)) continue;
      var keep = Object.prototype.hasOwnProperty.call(ALLOWED, tag) && depth < MAX_DEPTH;
      if (!keep) { copyAllowed(c, dst, doc, depth + 1); continue; } // unknown formatting: its text stays
      var e = doc.createElement(tag);
      for (var k = 0; k < c.attributes.length; k++) {
        var name = c.attributes[k].name;
        if (GLOBAL_ATTRS.indexOf(name) < 0 && ALLOWED[tag].indexOf(name) < 0) continue;
        var v = CHECK[name](c.attributes[k].value);
        if (v !== '') e.setAttribute(name, v);
      }
      if (e.getAttribute('target') === '_blank') e.setAttribute('rel', 'noopener noreferrer');
      copyAllowed(c, e, doc, depth + 1);
      dst.appendChild(e);
    }
  }

  /* Caption, introduction and footer texts may hold HTML formatting: the
     allowed part of it as a fragment of the page's document. */
  K.safeFragment = function (html) {
    var inert = global.document.implementation.createHTMLDocument('');
    var holder = inert.createElement('div');
    holder.innerHTML = String(html || '');
    var frag = global.document.createDocumentFragment();
    copyAllowed(holder, frag, global.document, 0);
    return frag;
  };

  /* Plain text of an HTML snippet (for alt texts and titles). */
  K.plainText = function (html) {
    var inert = global.document.implementation.createHTMLDocument('');
    var holder = inert.createElement('div');
    holder.innerHTML = String(html || '').replace(/<br\s*\/?>/gi, ' ');
    var clean = inert.createElement('div');
    copyAllowed(holder, clean, inert, 0);
    return (clean.textContent || '').replace(/\s+/g, ' ').trim();
  };

  K.setHtml = function (el, html) {
    while (el.firstChild) el.removeChild(el.firstChild);
    el.appendChild(K.safeFragment(html));
  };
})(window);
