// SPDX-License-Identifier: MIT
/* Kavlo photo album - the slideshow: the play button steps to the next photo
 * every few seconds, counted from the moment each photo is on show, and wraps
 * around at the end. */
(function (global) {
  'use strict';
  var K = global.Kavlo;
  var SLIDE_MS = 5000;

  /* ctx: the album view (album, state, app); button: the play button;
     go(i) shows photo i. */
  K.buildSlideshow = function (ctx, button, go) {
    var album = ctx.album, state = ctx.state;

    function schedule() {
      global.clearTimeout(state.timer);
      state.timer = global.setTimeout(function () {
        if (!state.playing) return;
        var nxt = state.index + 1 >= album.count ? 0 : state.index + 1;
        go(nxt);
      }, SLIDE_MS);
    }

    function setPlaying(on) {
      state.playing = on;
      button.setAttribute('aria-pressed', on ? 'true' : 'false');
      var label = on ? K.t('pause') : K.t('play');
      button.setAttribute('aria-label', label);
      button.title = label;
      button.replaceChild(K.icon(on ? 'pause' : 'play'), button.firstChild);
      ctx.app.classList.toggle('kv-playing', on);
      global.clearTimeout(state.timer);
      if (on) {
        if (state.index === -1) go(0);
        schedule();
      }
    }
    button.addEventListener('click', function () { setPlaying(!state.playing); });

    /* The next step waits for the photo on show: called once it has loaded or failed. */
    function photoSettled() { if (state.playing) schedule(); }

    return { setPlaying: setPlaying, photoSettled: photoSettled };
  };
})(window);
