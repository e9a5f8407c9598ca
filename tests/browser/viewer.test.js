// SPDX-License-Identifier: MIT
'use strict';
// The photo on show as visitors see it on a phone (390 x 844 at 3x), a laptop
// (1366 x 768) and a 4K screen at 200 % (1920 x 1080 CSS pixels at 2x): how
// sharp it is (file pixels per device pixel), how much of the screen it covers,
// which file the browser picked, and the viewer's zoom, full screen, swipe,
// preloading and history. Screenshots: viewer-*.png.

const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { buildAlbum, addSimpleViewer, removeAlbum, templatesDir } = require('./lib/fixture');
const { launchScreens, SCREENS, fileUrl, screenshot, touchSwipe } = require('./lib/browser');

// Photos whose sources allow sharp views on every screen, and one that does not.
const PHOTOS = [
  { photo: 'large/iphone_hdr_NO.jpg', major: 'Harbour at <b>dusk</b>', minor: 'iPhone, f/2.4' },
  { photo: 'large/canon_hdr_NO.jpg', major: 'Evening light over the hills, a caption long enough to wrap on a phone screen' },
  { photo: 'orientation/portrait_1.jpg', major: 'A small portrait source' },
  { photo: 'cameras/Reconyx_HC500_Hyperfire.jpg', major: '' },
];

let browser;
const albums = [];
function album(opts) { const a = buildAlbum(opts); albums.push(a); return a; }
before(async () => { browser = await launchScreens(); });
after(async () => { await browser.close(); albums.forEach(removeAlbum); });

function screenPage(name) { return browser.newPage(name); }

/* Goes to url once the files the page fetched ahead have arrived: leaving
   earlier would cancel them, which is no fault of the page. */
async function visit(p, url) {
  await p.waitForLoadState('networkidle').catch(() => {});
  await p.goto(url);
}

/* The photo on show once the browser has settled on a file: its file's real
   pixel width, its size on screen, sharpness and coverage. */
async function measure(p, selector = '#kv-image') {
  await p.waitForFunction((sel) => {
    const img = document.querySelector(sel);
    if (!img || !img.complete || !(img.naturalWidth > 0)) return false;
    const key = img.currentSrc + ' ' + img.getBoundingClientRect().width;
    if (window.__lastKey !== key) { window.__lastKey = key; window.__since = performance.now(); return false; }
    return performance.now() - window.__since > 400;
  }, selector, { timeout: 20000, polling: 100 });
  return p.evaluate(async (sel) => {
    const img = document.querySelector(sel);
    const probe = new Image();
    probe.src = img.currentSrc;
    await probe.decode();
    const r = img.getBoundingClientRect();
    const dpr = window.devicePixelRatio;
    const a = window.kavloAlbum ? window.kavloAlbum.album : window.Kavlo.readAlbum();
    const i = window.kavloAlbum ? window.kavloAlbum.current() : 0;
    const c = window.Kavlo.candidates(a, i);
    const best = c.length ? c[c.length - 1].w : probe.naturalWidth;
    const photoRatio = r.width / r.height, screenRatio = innerWidth / innerHeight;
    return {
      file: decodeURIComponent(img.currentSrc.replace(/^.*?\/(?=(medium|large|hd)\/)/, '')),
      filePx: probe.naturalWidth, best, cssW: Math.round(r.width), cssH: Math.round(r.height), dpr,
      sharpness: +(probe.naturalWidth / (r.width * dpr)).toFixed(3),
      coverage: +(photoRatio > screenRatio ? r.width / innerWidth : r.height / innerHeight).toFixed(3),
      inside: r.left >= -1 && r.right <= innerWidth + 1 && r.top >= -1 && r.bottom <= innerHeight + 1,
    };
  }, selector);
}

// Sharp wherever the source allows: at least 0.95, or the largest file is on show.
function assertSharp(m, what) {
  assert.ok(m.sharpness >= 0.95 || m.filePx >= m.best, what + ' ' + JSON.stringify(m));
}

const report = [];
after(() => {
  if (report.length) fs.writeFileSync(path.join(require('./lib/fixture').outputDir(), 'viewer-figures.json'), JSON.stringify(report, null, 1));
});

describe('photo on show', () => {
  it('is sharp and fills the room on phone, laptop and 4K, in every skin', async () => {
    const skins = fs.readdirSync(path.join(templatesDir(), 'js2/ext/css')).filter((f) => /^appearance_.+\.css$/.test(f)).map((f) => f.slice(11, -4));
    const a = album({ images: PHOTOS, renditions: true, smallPos: 'left' });
    for (const skin of skins) {
      fs.copyFileSync(path.join(templatesDir(), 'js2/ext/css/appearance_' + skin + '.css'), path.join(a.dir, 'ext/css/appearance.css'));
      for (const screen of Object.keys(SCREENS)) {
        const p = await screenPage(screen);
        for (const n of [1, 2, 3]) {
          await visit(p, fileUrl(path.join(a.dir, 'index.html'), '#' + n));
          const m = await measure(p);
          report.push(Object.assign({ view: 'album', skin, screen, photo: n }, m));
          assertSharp(m, skin + ' ' + screen + ' #' + n);
          assert.ok(m.inside, 'on screen ' + JSON.stringify(m));
          if (screen === '4k' && n <= 2) assert.ok(m.coverage >= 0.6, '4K coverage ' + JSON.stringify(m));
          // The caption sits under the photo.
          const below = await p.evaluate(() => document.getElementById('kv-caption').getBoundingClientRect().top >=
            document.getElementById('kv-image').getBoundingClientRect().bottom - 1);
          assert.ok(below, 'caption under the photo');
          if (skin === 'dim' || n === 1) await screenshot(p, 'viewer-' + screen + '-' + skin + '-' + n);
        }
        assert.deepEqual(p.problems, [], skin + ' ' + screen);
        await p.closeAll();
      }
    }
  });

  it('is sharp and fills the room in every language', async () => {
    const a = album({ images: PHOTOS, renditions: true, large: true });
    const codes = fs.readdirSync(path.join(templatesDir(), 'js2/ext/js')).filter((f) => /^langdef_\w+\.js$/.test(f)).map((f) => f.slice(8, -3));
    assert.equal(codes.length, 28);
    const p = await screenPage('4k');
    for (const code of codes) {
      fs.copyFileSync(path.join(templatesDir(), 'js2/ext/js/langdef_' + code + '.js'), path.join(a.dir, 'ext/js/langdef.js'));
      await visit(p, 'about:blank');
      await visit(p, fileUrl(path.join(a.dir, 'index.html'), '#1'));
      const m = await measure(p);
      assertSharp(m, code);
      assert.ok(m.coverage >= 0.6 && m.inside, code + ' ' + JSON.stringify(m));
      if (code === 'il' || code === 'jp') await screenshot(p, 'viewer-4k-language-' + code);
    }
    assert.deepEqual(p.problems, []);
    await p.closeAll();
  });

  it('is sharp in the large view and on the large page', async () => {
    const a = album({ images: PHOTOS, renditions: true, large: true });
    for (const screen of Object.keys(SCREENS)) {
      const p = await screenPage(screen);
      await visit(p, fileUrl(path.join(a.dir, 'index.html'), '#1'));
      await measure(p);
      await p.evaluate(() => window.kavloAlbum.openLarge());
      const m = await measure(p, '.kv-lightbox-image');
      report.push(Object.assign({ view: 'large view', screen, photo: 1 }, m));
      assertSharp(m, 'large view ' + screen);
      if (screen === '4k') assert.ok(m.coverage >= 0.6, JSON.stringify(m));
      assert.ok(await p.evaluate(() => !!document.querySelector('#kv-lb-major b')), 'caption in the large view');
      await screenshot(p, 'viewer-' + screen + '-lightbox');
      await visit(p, fileUrl(path.join(a.dir, 'ext/html/large.html'), '#2'));
      const q = await measure(p);
      report.push(Object.assign({ view: 'large page', screen, photo: 2 }, q));
      assertSharp(q, 'large page ' + screen);
      const cap = await p.evaluate(() => {
        const c = document.querySelector('.kv-large-figure .kv-major').getBoundingClientRect();
        const i = document.getElementById('kv-image').getBoundingClientRect();
        return { below: c.top >= i.bottom - 1, centred: Math.abs((c.left + c.right) / 2 - (i.left + i.right) / 2) < 2 };
      });
      assert.deepEqual(cap, { below: true, centred: true });
      await screenshot(p, 'viewer-' + screen + '-largepage');
      assert.deepEqual(p.problems, [], screen);
      await p.closeAll();
    }
  });

  it('preloads the very file the next photo will show and fetches the photo first', async () => {
    const a = album({ images: PHOTOS, renditions: true, large: true });
    for (const screen of ['phone', '4k']) {
      const p = await screenPage(screen);
      const requested = [];
      p.on('request', (r) => requested.push(decodeURIComponent(r.url())));
      await visit(p, fileUrl(path.join(a.dir, 'index.html'), '#1'));
      await measure(p);
      assert.equal(await p.getAttribute('#kv-image', 'fetchpriority'), 'high');
      assert.equal(await p.getAttribute('.kv-thumb img', 'fetchpriority'), 'low');
      await p.waitForTimeout(300);
      const before = requested.slice();
      await p.keyboard.press('ArrowRight');
      const m = await measure(p);
      assert.ok(before.some((u) => u.endsWith('/' + m.file)), screen + ': ' + m.file + ' not fetched ahead: ' + before.join(' '));
      // The large view preloads for itself as well: its next file is the one it then shows.
      await p.evaluate(() => window.kavloAlbum.openLarge());
      await measure(p, '.kv-lightbox-image');
      await p.waitForTimeout(300);
      const before2 = requested.slice();
      await p.keyboard.press('ArrowRight');
      const l = await measure(p, '.kv-lightbox-image');
      assert.ok(before2.some((u) => u.endsWith('/' + l.file)), screen + ' large view: ' + l.file + ' not fetched ahead');
      assert.deepEqual(p.problems, [], screen);
      await p.closeAll();
    }
  });

  it('zooms to 1:1 and pans, goes full screen, and swipes in every view', async () => {
    const a = album({ images: PHOTOS, renditions: true, large: true });
    const p = await screenPage('laptop');
    await visit(p, fileUrl(path.join(a.dir, 'index.html'), '#1'));
    await measure(p);
    // + zooms in steps up to one file pixel per screen pixel of the largest file.
    for (let k = 0; k < 8; k++) await p.keyboard.press('+');
    await p.waitForTimeout(400);
    const z = await measure(p);
    const scale = await p.evaluate(() => window.kavloAlbum && document.getElementById('kv-image').getBoundingClientRect().width);
    assert.ok(Math.abs(scale * 1 - z.best) <= 2, 'zoomed to 1:1: ' + scale + ' css px for ' + z.best + ' file px');
    assert.equal(z.filePx, z.best, 'the largest file is fetched for a 1:1 view');
    await screenshot(p, 'viewer-laptop-zoomed');
    // Dragging pans, and does not step to another photo.
    const box = await p.evaluate(() => { const r = document.getElementById('kv-stage').getBoundingClientRect(); return { x: r.left + r.width / 2, y: r.top + r.height / 2 }; });
    const t0 = await p.evaluate(() => document.getElementById('kv-image').style.transform);
    await p.mouse.move(box.x, box.y);
    await p.mouse.down();
    await p.mouse.move(box.x - 200, box.y - 100, { steps: 5 });
    await p.mouse.up();
    assert.notEqual(await p.evaluate(() => document.getElementById('kv-image').style.transform), t0);
    assert.equal(await p.evaluate(() => location.hash), '#1');
    await p.keyboard.press('0');
    assert.equal(await p.evaluate(() => document.getElementById('kv-image').style.transform), '');
    // The wheel zooms in around the pointer; a double click goes back to the fitted view.
    await p.mouse.move(box.x, box.y);
    await p.mouse.wheel(0, -400);
    await p.waitForTimeout(200);
    assert.match(await p.evaluate(() => document.getElementById('kv-image').style.transform), /scale/);
    await p.dblclick('#kv-image');
    assert.equal(await p.evaluate(() => document.getElementById('kv-image').style.transform), '');
    await p.waitForTimeout(400);
    assert.equal(await p.evaluate(() => document.getElementById('kv-lightbox').open), false, 'a double click does not open the large view');

    // F and the button toggle full screen on the photo with its caption.
    await p.keyboard.press('f');
    await p.waitForFunction(() => document.fullscreenElement && document.fullscreenElement.id === 'kv-figure');
    await p.waitForTimeout(300);
    const fs1 = await measure(p);
    assertSharp(fs1, 'full screen');
    await screenshot(p, 'viewer-laptop-fullscreen');
    await p.keyboard.press('f');
    await p.waitForFunction(() => !document.fullscreenElement);
    await p.click('.kv-fullscreen-button');
    await p.waitForFunction(() => !!document.fullscreenElement);
    assert.equal(await p.getAttribute('.kv-fullscreen-button', 'aria-pressed'), 'true');
    await p.click('.kv-fs-exit');
    await p.waitForFunction(() => !document.fullscreenElement);
    // The large view goes full screen as well.
    await p.evaluate(() => window.kavloAlbum.openLarge());
    await p.click('.kv-lb-full');
    await p.waitForFunction(() => document.fullscreenElement && document.fullscreenElement.id === 'kv-lightbox-body');
    await p.waitForTimeout(300);
    assertSharp(await measure(p, '.kv-lightbox-image'), 'large view in full screen');
    await p.keyboard.press('f');
    await p.waitForFunction(() => !document.fullscreenElement);
    // A click beside the photo closes the large view; one on the photo does not.
    await p.click('.kv-lightbox-image');
    await p.waitForTimeout(300);
    assert.equal(await p.evaluate(() => document.getElementById('kv-lightbox').open), true);
    await p.mouse.click(8, 760);
    await p.waitForFunction(() => !document.getElementById('kv-lightbox').open);
    await p.closeAll();

    // Swipes by a finger: on the album view, in the large view, on the large page
    // and on the gallery page.
    const ph = await screenPage('phone');
    const swipe = (sel) => touchSwipe(ph, sel);
    await visit(ph, fileUrl(path.join(a.dir, 'index.html'), '#1'));
    await measure(ph);
    await swipe('#kv-stage');
    await ph.waitForFunction(() => location.hash === '#2');
    await ph.evaluate(() => window.kavloAlbum.openLarge());
    await swipe('.kv-lightbox-stage');
    await ph.waitForFunction(() => location.hash === '#3' && /\/0003\.jpg$/.test(document.querySelector('.kv-lightbox-image').src));
    await visit(ph, fileUrl(path.join(a.dir, 'ext/html/large.html'), '#1'));
    await measure(ph);
    await swipe('.kv-large-stage');
    await ph.waitForFunction(() => location.hash === '#2');
    // Steps on the large page replace the history entry too.
    assert.equal(await ph.evaluate(() => history.length), 3);
    addSimpleViewer(a);
    await visit(ph, fileUrl(path.join(a.dir, 'index.html'), '#1'));
    await ph.waitForFunction(() => { const i = document.getElementById('kvv-image'); return i && i.complete && i.naturalWidth > 0; });
    await swipe('.kvv-stage');
    await ph.waitForFunction(() => /0002\.jpg$/.test(document.getElementById('kvv-image').src));
    assert.deepEqual(ph.problems, []);
    await ph.closeAll();
  });

  it('keeps working in albums without renditions (main and large files only)', async () => {
    const a = album({ images: 3, large: true });
    assert.equal(fs.existsSync(path.join(a.dir, 'ext/js/renditions.js')), false);
    assert.doesNotMatch(fs.readFileSync(path.join(a.dir, 'index.html'), 'utf8'), /renditions\.js/);
    for (const screen of Object.keys(SCREENS)) {
      const p = await screenPage(screen);
      await visit(p, fileUrl(path.join(a.dir, 'index.html'), '#2'));
      const m = await measure(p);
      assert.match(m.file, /^(medium|large)\//);
      report.push(Object.assign({ view: 'no renditions', screen, photo: 2 }, m));
      assert.deepEqual(p.problems, [], screen);
      await p.closeAll();
    }
  });
});
