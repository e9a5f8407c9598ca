/* Kavlo photo album - the large-image page (ext/html/large.html): one large
 * image filling the window, with previous/next and the way back. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var doc = global.document;

  K.startLarge = function (options) {
    var root = options.root || '';
    var album = K.readAlbum();
    K.applyLanguage(doc);
    var app = K.el('div', { class: 'kv-app kv-large-page', id: 'kv-app' });
    doc.body.appendChild(app);
    doc.body.classList.add('kv-js');
    if (!album.present || album.count === 0) {
      K.message(app, album.present ? K.t('noImages') : K.t('noData'));
      return null;
    }
    var index = 0;
    var back = K.el('a', { class: 'kv-button kv-back', 'aria-label': K.t('backToAlbum'), title: K.t('backToAlbum') }, [K.icon('back')]);
    var prev = K.iconButton('prev', K.t('previous'), 'kv-prev');
    var next = K.iconButton('next', K.t('next'), 'kv-next');
    var counter = K.el('p', { class: 'kv-counter', id: 'kv-counter', dir: 'ltr' });
    var bar = K.el('header', { class: 'kv-header kv-large-header' }, [
      K.el('div', { class: 'kv-heading' }, [K.el('h1', { class: 'kv-title', dir: 'auto', text: album.title }), counter]),
      K.el('div', { class: 'kv-tools', role: 'toolbar' }, [prev, next, back])
    ]);
    var img = K.el('img', { class: 'kv-large-image', id: 'kv-image', alt: '', decoding: 'async' });
    var holder = K.el('main', { class: 'kv-large-stage' }, [img]);
    var cap = K.el('div', { class: 'kv-major kv-large-caption', dir: 'auto' });
    app.appendChild(bar);
    app.appendChild(holder);
    app.appendChild(cap);

    var dir = album.large.enabled ? album.dirs.large : album.dirs.medium;
    var sizes = album.large.enabled ? album.large.list : album.medium.list;

    function render() {
      var t = K.hashTarget(global.location.hash, album.count);
      index = t === null || t < 0 ? album.currentImage : t;
      var it = album.images[index];
      img.src = K.imageUrl(root, dir, it.file);
      if (sizes[index].w) { img.width = sizes[index].w; img.height = sizes[index].h; }
      img.alt = K.plainText(it.major) || it.minor || K.t('photo', { n: index + 1 });
      if (it.minor) img.title = it.minor; else img.removeAttribute('title');
      K.setHtml(cap, it.major);
      counter.textContent = (index + 1) + ' / ' + album.count;
      doc.title = (album.title ? album.title + ' \u2013 ' : '') + (index + 1) + ' / ' + album.count;
      back.href = (options.backHref || root + 'index.html') + '#' + (index + 1);
      prev.disabled = index === 0;
      next.disabled = index === album.count - 1;
    }
    function go(i) {
      if (i < 0 || i >= album.count || i === index) return;
      global.location.hash = '#' + (i + 1);
    }
    prev.addEventListener('click', function () { go(index - 1); });
    next.addEventListener('click', function () { go(index + 1); });
    doc.addEventListener('keydown', function (e) {
      if (e.altKey || e.ctrlKey || e.metaKey) return;
      var rtl = K.dir() === 'rtl';
      if (e.key === 'ArrowRight' || e.key === 'PageDown') { go(index + (rtl && e.key === 'ArrowRight' ? -1 : 1)); e.preventDefault(); }
      else if (e.key === 'ArrowLeft' || e.key === 'PageUp') { go(index + (rtl && e.key === 'ArrowLeft' ? 1 : -1)); e.preventDefault(); }
      else if (e.key === 'Home') { go(0); e.preventDefault(); }
      else if (e.key === 'End') { go(album.count - 1); e.preventDefault(); }
      else if (e.key === 'Escape') { global.location.href = back.href; }
    });
    global.addEventListener('hashchange', render);
    render();
    return { go: go, current: function () { return index; } };
  };
})(window);
