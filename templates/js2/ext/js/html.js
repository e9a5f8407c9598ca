/* Kavlo photo album - HTML from the album author and from image metadata
 * (captions, introduction, footer) turned into safe page content. */
(function (global) {
  'use strict';
  var K = global.Kavlo;

  /* Links the album author typed: web, mail and relative addresses pass,
     script addresses do not. */
  K.safeHref = function (href) {
    var h = String(href || '').trim();
    if (h === '') return '';
    var scheme = /^([a-zA-Z][a-zA-Z0-9+.\-]*):/.exec(h.replace(/[\u0000-\u0020]/g, ''));
    if (scheme && ['http', 'https', 'mailto', 'ftp', 'file', 'tel'].indexOf(scheme[1].toLowerCase()) < 0) return '';
    return h;
  };

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
})(window);
