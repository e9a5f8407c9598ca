// SPDX-License-Identifier: MIT
'use strict';
// Time to the first photo on a slow-4G phone: 390 x 844 at 3x, 1.6 Mbps down,
// 750 kbps up, 150 ms round trip, the processor slowed down 4 times (Chrome
// DevTools Protocol), the album served over http from this machine with the
// browser cache off. Printed and saved in perf-figures.json, not asserted:
// timings are the business of measurements, not of pass or fail. Each album is
// opened five times and the median is reported, with the album of the same
// photos without renditions (what the pages did before them) as the baseline of
// the same run; KAVLO_BASELINE_TEMPLATES names an earlier template set to
// measure as well. The server compresses text files with gzip, as web servers do.

const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { buildAlbum, removeAlbum, outputDir } = require('./lib/fixture');
const { launchScreens, serve } = require('./lib/browser');

const RUNS = 5;
let browser;
const albums = [];
before(async () => { browser = await launchScreens(); });
after(async () => { await browser.close(); albums.forEach(removeAlbum); });

/* Median time from navigation to the first photo on show (its first file
   decoded) and to its final file (the one the browser picked for the screen). */
async function firstPhoto(dir) {
  const server = await serve(dir, { gzip: true });
  const shown = [], sharp = [], bytes = [];
  try {
    for (let k = 0; k < RUNS; k++) {
      const p = await browser.newPage('phone');
      const cdp = await p.context().newCDPSession(p);
      await cdp.send('Network.enable');
      await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
      await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 750e3 / 8 });
      await cdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
      let received = 0;
      cdp.on('Network.loadingFinished', (e) => { received += e.encodedDataLength; });
      // Every decoded file of the photo: the first is the first photo on show,
      // the last (once nothing follows for 2.5 s) the file the screen called for.
      await p.addInitScript(() => {
        window.__loads = [];
        document.addEventListener('load', (e) => {
          if (e.target.id === 'kv-image') window.__loads.push({ at: performance.now(), file: e.target.currentSrc.split('/').slice(-2).join('/') });
        }, true);
      });
      await p.goto(server.url + 'index.html', { waitUntil: 'commit' });
      await p.waitForFunction(() => window.__loads && window.__loads.length > 0, null, { timeout: 60000, polling: 50 });
      await p.waitForFunction(() => {
        const img = document.getElementById('kv-image');
        const last = window.__loads[window.__loads.length - 1];
        return img.complete && performance.now() - last.at > 2500;
      }, null, { timeout: 60000, polling: 200 });
      const loads = await p.evaluate(() => window.__loads);
      const t = { shown: loads[0].at, sharp: loads[loads.length - 1].at, file: loads.map((l) => l.file).join(' then ') };
      shown.push(t.shown); sharp.push(t.sharp); bytes.push(received);
      shown.file = t.file;
      await p.closeAll();
    }
  } finally {
    await server.close();
  }
  const median = (a) => Math.round(a.slice().sort((x, y) => x - y)[Math.floor(a.length / 2)]);
  return { firstPhotoMs: median(shown), finalFileMs: median(sharp), files: shown.file, bytes: median(bytes), runs: shown.map(Math.round) };
}

describe('slow 4G phone', () => {
  it('times the first photo of the default album', async () => {
    const figures = {};
    const photos = [
      { photo: 'large/iphone_hdr_NO.jpg', major: 'Harbour at dusk' }, { photo: 'large/canon_hdr_NO.jpg', major: 'Lamps' },
      { photo: 'orientation/landscape_1.jpg', major: 'Falls' }, { photo: 'cameras/Reconyx_HC500_Hyperfire.jpg', major: '' },
      { photo: 'orientation/portrait_1.jpg', major: 'Portrait' }, { photo: 'cameras/Canon_PowerShot_S40.jpg', major: 'Flowers' },
    ];
    const variants = { 'without renditions (baseline)': { renditions: false }, 'with renditions': { renditions: true } };
    if (process.env.KAVLO_BASELINE_TEMPLATES) variants['earlier template set'] = { renditions: true, templates: process.env.KAVLO_BASELINE_TEMPLATES };
    for (const [name, v] of Object.entries(variants)) {
      // Default settings: thumbnails on the left, main images 552 px, no large images.
      const a = buildAlbum(Object.assign({ images: photos.map((x) => Object.assign({}, x)) }, v, v.renditions ? {} : { renditions: false }));
      if (!v.renditions) realFiles(a);
      albums.push(a);
      figures[name] = await firstPhoto(a.dir);
    }
    const base = figures['without renditions (baseline)'].firstPhotoMs;
    for (const f of Object.values(figures)) f.ratio = +(f.firstPhotoMs / base).toFixed(2);
    fs.writeFileSync(path.join(outputDir(), 'perf-figures.json'), JSON.stringify(figures, null, 1));
    console.log(JSON.stringify(figures, null, 1));
    assert.ok(Object.values(figures).every((f) => f.firstPhotoMs > 0));
  });
});

// The baseline album gets main images of their real size too (the fixture
// copies the originals otherwise), so that both albums send what Kavlo writes.
function realFiles(a) {
  const other = buildAlbum({ images: a.images.map((x) => ({ photo: x.photo, major: x.major })), renditions: [] });
  albums.push(other);
  for (const d of ['small', 'medium']) {
    for (const f of fs.readdirSync(path.join(other.dir, d))) fs.copyFileSync(path.join(other.dir, d, f), path.join(a.dir, d, f));
  }
  fs.copyFileSync(path.join(other.dir, 'ext/js/albumdef.js'), path.join(a.dir, 'ext/js/albumdef.js'));
}
