// SPDX-License-Identifier: MIT
/* Kavlo photo album - moving through the album: the address (#3 is the third
 * photo, #intro the introduction) so that deep links, reload and the back
 * button work, the keyboard, and swipes on touch screens. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var doc = global.document;

  function hashFor(i) { return i === -1 ? '#intro' : '#' + (i + 1); }
  K.hashFor = hashFor;

  /* Puts hash h in the address in place of the current history entry (the
     document's own address, not its base, which an embedding page may set). */
  K.replaceHash = function (h) {
    if (global.location.hash === h) return;
    try {
      global.history.replaceState(global.history.state, '', global.location.href.replace(/#.*$/, '') + h);
    } catch (e) {
      /* an address the page may not rewrite: the photo changes all the same */
    }
  };

  /* ctx: the album view (album, state); render(i) shows photo i (-1: the
     introduction). Returns { go, target }. */
  K.albumNavigation = function (ctx, render) {
    var album = ctx.album, state = ctx.state;

    /* The photo the address asks for, else where the album starts. */
    function target() {
      var t = K.hashTarget(global.location.hash, album.count);
      if (t === -1 && !album.startsWithIntro && album.intro === '') t = 0;
      if (t === null) t = album.startsWithIntro ? -1 : album.currentImage;
      if (album.count === 0) t = album.startsWithIntro ? -1 : 0;
      return t;
    }

    /* Goes to image i (or the introduction for -1). The address follows, so
       that a reload or a copied link comes back here, but it replaces the
       history entry: Back leaves the album instead of retracing every step. */
    function go(i) {
      if (album.count === 0) return;
      var min = album.startsWithIntro ? -1 : 0;
      if (i < min) i = min;
      if (i > album.count - 1) i = album.count - 1;
      if (i === state.index) return;
      K.replaceHash(hashFor(i));
      render(i);
    }

    /* Links within the album (thumbnails, the way in from the introduction)
       step like the buttons do, without adding history entries. */
    doc.addEventListener('click', function (e) {
      if (e.defaultPrevented || e.button !== 0 || e.ctrlKey || e.metaKey || e.shiftKey || e.altKey) return;
      var a = e.target.closest ? e.target.closest('a[href^="#"]') : null;
      if (!a || !ctx.app.contains(a)) return;
      var t = K.hashTarget(a.getAttribute('href'), album.count);
      if (t === null) return;
      e.preventDefault();
      go(t);
    });

    global.addEventListener('hashchange', function () {
      var t = target();
      if (t !== state.index) render(t);
    });

    return { go: go, target: target };
  };

  /* Zoom keys (+, - and 0) and F for full screen, for whichever view is on
     show: view() returns its zoom and full-screen toggles (or null). */
  K.viewKey = function (e, view) {
    var v = view();
    if (!v) return false;
    switch (e.key) {
      case '+': case '=': if (v.zoom) v.zoom.zoomBy(1.5); break;
      case '-': case '_': if (v.zoom) v.zoom.zoomBy(1 / 1.5); break;
      case '0': if (v.zoom) v.zoom.reset(); break;
      case 'f': case 'F': if (v.fullscreen) v.fullscreen(); break;
      default: return false;
    }
    e.preventDefault();
    return true;
  };

  /* Arrow keys (mirrored right to left), Page Up/Down, Home and End; Escape
     closes the large view; zoom and full-screen keys. */
  K.bindAlbumKeys = function (ctx, go, lightbox, view) {
    var album = ctx.album, state = ctx.state;
    doc.addEventListener('keydown', function (e) {
      if (e.defaultPrevented || e.altKey || e.ctrlKey || e.metaKey || K.isTypingTarget(e.target)) return;
      if (state.index !== null && state.index >= 0 && K.viewKey(e, view)) return;
      var rtl = K.dir() === 'rtl';
      var step = 0, to = null;
      switch (e.key) {
        case 'ArrowRight': step = rtl ? -1 : 1; break;
        case 'ArrowLeft': step = rtl ? 1 : -1; break;
        case 'PageDown': step = 1; break;
        case 'PageUp': step = -1; break;
        case 'Home': to = 0; break;
        case 'End': to = album.count - 1; break;
        case 'Escape': if (state.largeOpen && lightbox) { lightbox.close(); e.preventDefault(); } return;
        default: return;
      }
      if (album.count === 0) return;
      e.preventDefault();
      if (to !== null) go(to);
      else go(state.index + step);
    });
  };

  /* A horizontal swipe by touch or pen on any of elements calls step(+1) for
     the next photo (leftwards, mirrored right to left) or step(-1); not while
     busy() (a zoomed photo pans instead). */
  K.bindSwipe = function (elements, step, busy) {
    var touch = null;
    function start(e) {
      if (e.pointerType === 'mouse' || (busy && busy()) || touch) { touch = null; return; } // a second finger: no swipe
      touch = { x: e.clientX, y: e.clientY, t: Date.now() };
    }
    function end(e) {
      if (!touch || (busy && busy())) { touch = null; return; }
      var dx = e.clientX - touch.x, dy = e.clientY - touch.y;
      touch = null;
      if (Math.abs(dx) > 40 && Math.abs(dx) > Math.abs(dy) * 1.5) {
        var fwd = dx < 0;
        if (K.dir() === 'rtl') fwd = !fwd;
        step(fwd ? 1 : -1);
      }
    }
    elements.forEach(function (el) {
      if (!el) return;
      el.addEventListener('pointerdown', start);
      el.addEventListener('pointerup', end);
      el.addEventListener('pointercancel', function () { touch = null; });
    });
  };
})(window);
