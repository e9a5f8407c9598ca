// SPDX-License-Identifier: MIT
/* Kavlo photo album - zoom and pan of the photo on show, up to one file pixel
 * per screen pixel of its largest file: mouse wheel, pinch, double-click or
 * double-tap, and the + and - keys; a zoomed photo is dragged to pan it. */
(function (global) {
  'use strict';
  var K = global.Kavlo;

  /* container: the box that clips the photo; image: the photo; largest(): the
     pixel width of the largest file of the photo on show; onChange(scale) is
     told of every change (the owner fetches a sharper file for it). */
  K.bindZoom = function (container, image, largest, onChange) {
    var z = { s: 1, x: 0, y: 0 };
    var pointers = {}, pinch = null, drag = null, lastTap = null, moved = false;

    /* Scale at which one file pixel of the largest file meets one device pixel. */
    function maxScale() {
      var w = image.getBoundingClientRect().width / z.s;
      var best = largest();
      if (!(w > 0) || !(best > 0)) return 1;
      return Math.max(1, best / (w * (global.devicePixelRatio || 1)));
    }

    function clamp() {
      var c = container.getBoundingClientRect();
      var w = image.offsetWidth * z.s, h = image.offsetHeight * z.s;
      var mx = Math.max(0, (w - c.width) / 2), my = Math.max(0, (h - c.height) / 2);
      z.x = Math.max(-mx, Math.min(mx, z.x));
      z.y = Math.max(-my, Math.min(my, z.y));
    }

    function apply() {
      clamp();
      var on = z.s > 1.001;
      image.style.transform = on ? 'translate(' + z.x + 'px, ' + z.y + 'px) scale(' + z.s + ')' : '';
      container.classList.toggle('kv-zoomed', on);
      if (onChange) onChange(z.s);
    }

    /* Zooms to scale s (bounded) keeping the screen point (cx, cy) in place. */
    function zoomTo(s, cx, cy) {
      s = Math.max(1, Math.min(maxScale(), s));
      var r = image.getBoundingClientRect();
      if (cx === undefined) { cx = r.left + r.width / 2; cy = r.top + r.height / 2; }
      // The point under (cx, cy), relative to the photo's untransformed centre.
      var ox = r.left + r.width / 2 - z.x, oy = r.top + r.height / 2 - z.y;
      var px = (cx - ox - z.x) / z.s, py = (cy - oy - z.y) / z.s;
      z.x = cx - ox - px * s;
      z.y = cy - oy - py * s;
      z.s = s;
      if (s <= 1.001) { z.s = 1; z.x = 0; z.y = 0; }
      apply();
    }

    function toggleAt(cx, cy) { zoomTo(z.s > 1.001 ? 1 : maxScale(), cx, cy); }

    container.addEventListener('wheel', function (e) {
      if (e.ctrlKey && !e.deltaY) return;
      e.preventDefault();
      zoomTo(z.s * Math.exp(-e.deltaY * 0.002), e.clientX, e.clientY);
    }, { passive: false });

    image.addEventListener('dblclick', function (e) { e.preventDefault(); toggleAt(e.clientX, e.clientY); });

    function count() { return Object.keys(pointers).length; }
    function distance() {
      var p = Object.keys(pointers).map(function (k) { return pointers[k]; });
      return Math.hypot(p[0].x - p[1].x, p[0].y - p[1].y);
    }
    container.addEventListener('pointerdown', function (e) {
      pointers[e.pointerId] = { x: e.clientX, y: e.clientY };
      moved = false;
      if (count() === 2) {
        var p = Object.keys(pointers).map(function (k) { return pointers[k]; });
        pinch = { d: distance(), s: z.s, cx: (p[0].x + p[1].x) / 2, cy: (p[0].y + p[1].y) / 2 };
        drag = null;
      } else if (count() === 1 && z.s > 1.001) {
        drag = { x: e.clientX - z.x, y: e.clientY - z.y };
      }
    });
    container.addEventListener('pointermove', function (e) {
      if (!pointers[e.pointerId]) return;
      pointers[e.pointerId] = { x: e.clientX, y: e.clientY };
      if (pinch && count() === 2) {
        zoomTo(pinch.s * distance() / pinch.d, pinch.cx, pinch.cy);
        moved = true;
      } else if (drag) {
        z.x = e.clientX - drag.x;
        z.y = e.clientY - drag.y;
        moved = true;
        apply();
      }
    });
    function release(e) {
      delete pointers[e.pointerId];
      if (count() < 2) pinch = null;
      if (count() === 0) drag = null;
    }
    container.addEventListener('pointerup', function (e) {
      release(e);
      // A double tap on a touch screen toggles between fit and 1:1.
      if (e.pointerType !== 'touch' || moved) return;
      var now = Date.now();
      if (lastTap && now - lastTap.t < 320 && Math.hypot(e.clientX - lastTap.x, e.clientY - lastTap.y) < 30) {
        lastTap = null;
        toggleAt(e.clientX, e.clientY);
      } else {
        lastTap = { t: now, x: e.clientX, y: e.clientY };
      }
    });
    container.addEventListener('pointercancel', release);
    // A drag that panned the photo is not a click on it.
    image.addEventListener('click', function (e) { if (moved || z.s > 1.001) { e.stopImmediatePropagation(); e.preventDefault(); } }, true);

    return {
      zoomBy: function (f) { zoomTo(z.s * f); },
      reset: function () { z.s = 1; z.x = 0; z.y = 0; apply(); },
      scale: function () { return z.s; },
      zoomed: function () { return z.s > 1.001 || count() > 1; },
      toggle: function () { toggleAt(); }
    };
  };
})(window);
