// SPDX-License-Identifier: MIT
'use strict';
// Albums of 30, 5,000 and 20,000 photos opened from disk: the start page and the
// overview build only what is near the screen, so the elements on the page, the
// script heap and the time to the first photo stay flat while the album grows.
// Figures go to bigalbum-figures.json; screenshots bigalbum-*.png.

const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { buildAlbum, removeAlbum, outputDir } = require('./lib/fixture');
const { launchScreens, fileUrl, screenshot } = require('./lib/browser');

let browser;
const albums = [];
before(async () => { browser = await launchScreens(); });
after(async () => { await browser.close(); albums.forEach(removeAlbum); });

const SOURCES = ['orientation/landscape_1.jpg', 'cameras/Canon_PowerShot_S40.jpg', 'orientation/portrait_1.jpg', 'orientation/landscape_2.jpg'];
function bigAlbum(n, opts = {}) {
  const images = [];
  for (let i = 0; i < n; i++) images.push({ photo: SOURCES[i % SOURCES.length], major: 'Photo number ' + (i + 1), minor: 'f/8' });
  const a = buildAlbum(Object.assign({ images, link: true }, opts));
  albums.push(a);
  return a;
}

/* Opens page (hash) and reports the time from navigation to the first photo on
   show, the elements on the page and the script heap after a garbage collection. */
async function openAndMeasure(p, file, hash, ready) {
  const cdp = await p.context().newCDPSession(p);
  await p.goto(fileUrl(file, hash));
  await p.waitForFunction(ready, null, { timeout: 30000 });
  const shown = await p.evaluate(() => window.__shownAt || performance.now());
  await p.waitForTimeout(300);
  await cdp.send('HeapProfiler.collectGarbage');
  const heap = await cdp.send('Runtime.getHeapUsage');
  const elements = await p.evaluate(() => document.getElementsByTagName('*').length);
  await cdp.detach();
  return { firstPhotoMs: Math.round(shown), elements, heapMB: +(heap.usedSize / 1048576).toFixed(1) };
}

// Records when the photo first has decoded (the viewer marks its frame).
const MARK_SHOWN = () => {
  new MutationObserver((list, obs) => {
    if (document.querySelector('.kv-frame.kv-loaded')) { window.__shownAt = performance.now(); obs.disconnect(); }
  }).observe(document, { subtree: true, attributes: true, attributeFilter: ['class'] });
};

describe('big albums', () => {
  it('keep elements, heap and time to the first photo flat from 30 to 20,000 photos', async () => {
    const figures = {};
    for (const n of [30, 5000, 20000]) {
      const a = bigAlbum(n);
      const p = await browser.newPage('laptop');
      await p.addInitScript(MARK_SHOWN);
      // The better of two openings: the first one also warms the disk cache.
      const first = await openAndMeasure(p, path.join(a.dir, 'index.html'), '', () => document.querySelector('.kv-frame.kv-loaded'));
      await p.goto('about:blank');
      const start = await openAndMeasure(p, path.join(a.dir, 'index.html'), '', () => document.querySelector('.kv-frame.kv-loaded'));
      start.firstPhotoMs = Math.min(first.firstPhotoMs, start.firstPhotoMs);
      await screenshot(p, 'bigalbum-' + n + '-start');
      // The End key jumps to the last photo without fetching the thumbnails on the way.
      const thumbs = new Set();
      p.on('request', (r) => { if (/\/small\//.test(r.url())) thumbs.add(r.url()); });
      await p.keyboard.press('End');
      await p.waitForFunction((last) => document.getElementById('kv-counter').textContent === last + ' / ' + last, n);
      await p.waitForTimeout(600);
      const strip = await p.evaluate(() => {
        const cur = document.querySelector('.kv-thumb[aria-current="true"]');
        const s = document.getElementById('kv-strip').getBoundingClientRect();
        const r = cur && cur.getBoundingClientRect();
        return { marked: !!cur && cur.getAttribute('href'), inside: !!r && r.top >= s.top - 1 && r.bottom <= s.bottom + 1 };
      });
      assert.deepEqual(strip, { marked: '#' + n, inside: true });
      const endKeyThumbnailRequests = thumbs.size;
      await screenshot(p, 'bigalbum-' + n + '-end');
      const overview = await openAndMeasure(p, path.join(a.dir, 'ext/html/small.html'), '', () => document.querySelector('#kv-grid img'));
      // Scrolled to the bottom of the overview, the last thumbnail is there.
      await p.evaluate(() => window.scrollTo(0, document.documentElement.scrollHeight));
      await p.waitForFunction((last) => [...document.querySelectorAll('.kv-grid-number')].some((e) => e.textContent === String(last)), n);
      await screenshot(p, 'bigalbum-' + n + '-overview-end');
      figures[n] = { start, endKeyThumbnailRequests, overview: overview.elements };
      assert.deepEqual(p.problems, [], String(n));
      await p.closeAll();
    }
    fs.writeFileSync(path.join(outputDir(), 'bigalbum-figures.json'), JSON.stringify(figures, null, 1));
    console.log(JSON.stringify(figures));
    const all = JSON.stringify(figures);
    for (const n of [5000, 20000]) {
      assert.ok(figures[n].start.elements <= figures[30].start.elements + 60, 'start page elements ' + all);
      assert.ok(figures[n].overview <= 1000, 'overview elements ' + all);
      assert.ok(figures[n].endKeyThumbnailRequests <= 40, 'End key thumbnails ' + all);
      // The heap holds the album data itself (a few hundred bytes a photo), nothing per element.
      assert.ok(figures[n].start.heapMB <= figures[30].start.heapMB + n * 600 / 1048576, 'heap ' + all);
    }
    assert.ok(figures[20000].overview <= figures[5000].overview + 50, 'overview elements ' + all);
  });

  it('fetch only the thumbnails near a deep link into a 500-photo album', async () => {
    const a = bigAlbum(500);
    for (const screen of ['laptop', 'phone']) {
      const p = await browser.newPage(screen);
      const thumbs = new Set(), mains = new Set();
      p.on('request', (r) => {
        if (/\/small\//.test(r.url())) thumbs.add(r.url());
        if (/\/medium\//.test(r.url())) mains.add(decodeURIComponent(r.url()).split('/').pop());
      });
      await p.goto(fileUrl(path.join(a.dir, 'index.html'), '#499'));
      await p.waitForFunction(() => document.querySelector('.kv-frame.kv-loaded'));
      await p.waitForTimeout(800);
      assert.equal(await p.textContent('#kv-counter'), '499 / 500');
      assert.ok(thumbs.size <= 40, screen + ': ' + thumbs.size + ' thumbnails fetched');
      assert.ok(mains.has('0499.jpg') && !mains.has('0001.jpg'), screen + ': ' + [...mains].join(' '));
      await screenshot(p, 'bigalbum-500-deeplink-' + screen);
      assert.deepEqual(p.problems, [], screen);
      await p.closeAll();
    }
  });
});
