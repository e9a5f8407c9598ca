// SPDX-License-Identifier: MIT
'use strict';
// The gallery (SimpleViewer) and slideshow (AutoViewer) pages, from disk and
// over a local http server, where they read gallery.xml / gallerydata.xml.

const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { buildAlbum, addSimpleViewer, addAutoViewer, removeAlbum, templatesDir } = require('./lib/fixture');
const { launch, fileUrl, screenshot, snap, serve, PHONE, DESKTOP } = require('./lib/browser');

let browser;
const albums = [];
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); albums.forEach(removeAlbum); });

const PHOTOS = [
  { photo: 'orientation/landscape_1.jpg', major: 'Milla Milla <b>Falls</b> & rain' },
  { photo: 'cameras/Canon_PowerShot_S40.jpg', major: '' },
  { photo: 'orientation/portrait_1.jpg', major: 'Portrait' },
  { photo: 'large/canon_hdr_NO.jpg', major: 'Evening' },
  { photo: 'cameras/Reconyx_HC500_Hyperfire.jpg', major: 'Camera trap' },
];

// The stage image once it has decoded; with a file name, once it shows that file.
async function viewerImage(p, file) {
  await p.waitForFunction((f) => {
    const i = document.getElementById('kvv-image');
    return i && i.complete && i.naturalWidth > 0 && (!f || decodeURIComponent(i.src.split('/').pop()) === f);
  }, file || null, { timeout: 8000 });
  return p.evaluate(() => ({
    file: decodeURIComponent(document.getElementById('kvv-image').src.split('/').pop()),
    caption: document.getElementById('kvv-caption').textContent,
    source: document.getElementById('kvv-root').getAttribute('data-source'),
  }));
}

async function thumbsLoaded(p) {
  return p.evaluate(async () => {
    const imgs = Array.from(document.querySelectorAll('.kvv-thumb img'));
    const t0 = Date.now();
    while (imgs.some((i) => !i.complete) && Date.now() - t0 < 5000) await new Promise((r) => setTimeout(r, 20));
    return imgs.map((i) => i.naturalWidth > 0);
  });
}

describe('gallery page (SimpleViewer)', () => {
  function svAlbum(extra) {
    const a = buildAlbum(Object.assign({
      title: 'Trip & "friends"', images: PHOTOS.map((x) => ({ ...x })), large: true, smallPos: 'left',
      linkUrl: 'https://example.org/', linkText: 'Home page', intro: '',
      footer: '\u00a9 2026 Anna - Powered by Kavlo',
    }, extra || {}));
    albums.push(a);
    return addSimpleViewer(a, { cols: 2, rows: 2 });
  }

  it('shows the images from disk, using the album data', async () => {
    const a = svAlbum();
    const p = await browser.newPage(DESKTOP);
    await p.goto(fileUrl(path.join(a.dir, 'index.html')));
    let s = await viewerImage(p);
    assert.equal(s.source, 'albumdef');
    assert.equal(s.file, '0001.jpg');
    assert.equal(await p.$eval('#kvv-caption b', (b) => b.textContent), 'Falls');
    assert.equal(await p.$eval('#kvv-caption a', (l) => l.getAttribute('href')), 'large/0001.jpg');
    assert.equal(await p.textContent('.kvv-title'), 'Trip & "friends"');
    // Footer: decoded from the page, with the album link, without the "Powered by" words.
    assert.equal(await p.$eval('#kvv-footer a', (l) => l.getAttribute('href')), 'https://example.org/');
    assert.match(await p.textContent('#kvv-footer'), /^\u00a9 2026 Anna\s+::\s+Home page$/);
    assert.ok((await thumbsLoaded(p)).every(Boolean));
    await screenshot(p, 'simpleviewer-file-desktop');

    await p.keyboard.press('ArrowRight');
    s = await viewerImage(p, '0002.jpg');
    assert.equal(await p.evaluate(() => location.hash), '#2');
    // From disk the matrix has its default 3 x 3 cells: all five on one page.
    assert.equal(await p.$$eval('.kvv-thumb', (t) => t.length), 5);
    assert.equal(await p.$('.kvv-pager'), null);
    await p.keyboard.press('End');
    s = await viewerImage(p, '0005.jpg');
    await p.reload();
    assert.equal((await viewerImage(p, '0005.jpg')).file, '0005.jpg');
    assert.deepEqual(p.problems, []);

    const ph = await browser.newPage(PHONE);
    await ph.goto(fileUrl(path.join(a.dir, 'index.html')));
    await viewerImage(ph);
    await ph.waitForTimeout(500);
    await screenshot(ph, 'simpleviewer-file-phone');
    assert.equal(await ph.evaluate(() => document.documentElement.scrollWidth <= innerWidth), true);
    await ph.close();
    await p.close();
  });

  it('reads gallery.xml over http', async () => {
    const a = svAlbum({ title: 'Page title' });
    // gallery.xml is what the viewer reads over http: make it differ from the page.
    const xml = path.join(a.dir, 'gallery.xml');
    fs.writeFileSync(xml, fs.readFileSync(xml, 'utf8').replace('title="Page title"', 'title="From the gallery file"').replace('frameWidth="1"', 'frameWidth="7"'));
    const server = await serve(a.dir);
    try {
      const p = await browser.newPage(DESKTOP);
      await p.goto(server.url + 'index.html#3');
      const s = await viewerImage(p);
      assert.deepEqual([s.source, s.file, s.caption.startsWith('Portrait')], ['xml', '0003.jpg', true]);
      assert.equal(await p.textContent('.kvv-title'), 'From the gallery file');
      assert.equal(await p.$eval('#kvv-image', (i) => getComputedStyle(i).borderTopWidth), '7px');
      assert.equal(await p.$eval('#kvv-caption a', (l) => l.textContent), 'Zoom');
      assert.ok((await thumbsLoaded(p)).every(Boolean));
      await p.waitForTimeout(500);
      await snap(p, 'simpleviewer-http');
      // The 2 x 2 matrix of gallery.xml pages along with the image.
      assert.equal(await p.textContent('.kvv-page-label'), '1 / 2');
      await p.keyboard.press('End');
      assert.equal((await viewerImage(p, '0005.jpg')).file, '0005.jpg');
      assert.equal(await p.textContent('.kvv-page-label'), '2 / 2');
      assert.deepEqual(await p.$$eval('.kvv-thumb', (t) => t.map((x) => x.getAttribute('href'))), ['#5']);
      await p.click('.kvv-page-prev');
      assert.deepEqual(await p.$$eval('.kvv-thumb', (t) => t.map((x) => x.getAttribute('href'))), ['#1', '#2', '#3', '#4']);
      assert.deepEqual(p.problems, []);
      await p.close();
    } finally {
      await server.close();
    }
  });

  it('falls back to the album data over http when gallery.xml is broken', async () => {
    // A caption holding "]]>" ends the CDATA section early and spoils the XML.
    const a = svAlbum({ images: [{ photo: 'orientation/landscape_1.jpg', major: 'a ]]> b' }, { photo: 'orientation/portrait_1.jpg', major: 'two' }] });
    const server = await serve(a.dir);
    try {
      const p = await browser.newPage(DESKTOP);
      await p.goto(server.url + 'index.html#2');
      const s = await viewerImage(p, '0002.jpg');
      assert.equal(s.source, 'albumdef');
      assert.match(s.caption, /^two/);
      assert.deepEqual(p.problems, []);
      await p.close();
    } finally {
      await server.close();
    }
  });

  it('greets with the introduction and copes with a "%" in the footer and awkward names', async () => {
    const a = buildAlbum({
      title: 'Intro <img src="x.png" onerror="window.__pwned=1">', intro: 'Hello <i>there</i>\nline two', footer: '100% sure & <b>bold</b>', small: false,
      images: [{ photo: 'orientation/landscape_1.jpg', name: 'a #1 & b?.jpg', major: '' }, { photo: 'orientation/portrait_1.jpg', name: 'Ærø 東京.jpg' }],
    });
    albums.push(a);
    addSimpleViewer(a);
    const p = await browser.newPage(DESKTOP);
    await p.goto(fileUrl(path.join(a.dir, 'index.html')));
    await p.waitForSelector('.kvv-intro');
    assert.equal(await p.$eval('.kvv-intro-text i', (i) => i.textContent), 'there');
    assert.equal(await p.$$eval('.kvv-intro-text br', (b) => b.length), 1);
    await snap(p, 'simpleviewer-intro');
    await p.click('.kvv-enter');
    assert.equal(await p.$('.kvv-intro'), null);
    assert.equal((await viewerImage(p, 'a #1 & b?.jpg')).file, 'a #1 & b?.jpg');
    assert.equal(await p.evaluate(() => window.__pwned), undefined, 'the title is text, never markup');
    assert.equal(await p.textContent('.kvv-title'), 'Intro');
    assert.equal(await p.$('.kvv-thumbs'), null, 'no thumbnails without thumbnail images');
    assert.match(await p.textContent('#kvv-footer'), /^100% sure & bold\s+::\s+Home$/);
    await p.keyboard.press('ArrowRight');
    assert.equal((await viewerImage(p, 'Ærø 東京.jpg')).file, 'Ærø 東京.jpg');
    assert.deepEqual(p.problems, []);
    await p.close();
  });
});

describe('both viewer pages', () => {
  it('say so when an image file is missing and go on with the next', async () => {
    const a = buildAlbum({ dirs: { medium: 'images' }, images: [{ photo: 'orientation/landscape_1.jpg', missing: true }, { photo: 'orientation/portrait_1.jpg' }] });
    albums.push(a);
    addAutoViewer(a);
    const b = buildAlbum({ images: [{ photo: 'orientation/landscape_1.jpg', missing: true }, { photo: 'orientation/portrait_1.jpg' }] });
    albums.push(b);
    addSimpleViewer(b);
    for (const [album, name] of [[a, 'autoviewer'], [b, 'simpleviewer']]) {
      const p = await browser.newPage(DESKTOP);
      await p.goto(fileUrl(path.join(album.dir, 'index.html')));
      await p.waitForSelector('.kvv-load-error', { state: 'visible' });
      assert.equal(await p.textContent('.kvv-load-error'), 'This image could not be loaded.', name);
      await snap(p, name + '-missing-image');
      await p.keyboard.press('ArrowRight');
      assert.equal((await viewerImage(p, '0002.jpg')).file, '0002.jpg');
      assert.equal(await p.isVisible('.kvv-load-error'), false, name);
      assert.ok(p.problems.every((x) => /0001\.jpg|Failed to load resource/.test(x)), p.problems.join('\n'));
      await p.close();
    }
  });
});

describe('slideshow page (AutoViewer)', () => {
  function avAlbum() {
    const a = buildAlbum({
      title: 'Slides', footer: '\u00a9 2026 - Powered by Kavlo', dirs: { medium: 'images' }, small: true,
      images: PHOTOS.slice(0, 4).map((x) => ({ ...x, major: x.major || '' })),
    });
    albums.push(a);
    return addAutoViewer(a);
  }

  it('plays the images from disk every displayTime seconds', async () => {
    const a = avAlbum();
    const p = await browser.newPage(DESKTOP);
    await p.clock.install();
    await p.goto(fileUrl(path.join(a.dir, 'index.html')));
    let s = await viewerImage(p);
    assert.deepEqual([s.source, s.file], ['albumdef', '0001.jpg']);
    assert.equal(s.caption, 'Milla Milla Falls & rain', 'captions are shown as plain text');
    assert.equal(await p.textContent('.kvv-title'), 'Slides');
    assert.equal((await p.textContent('#kvv-footer')).trim(), '\u00a9 2026');
    await p.clock.runFor(5200);
    assert.equal((await viewerImage(p, '0002.jpg')).file, '0002.jpg');
    await p.click('.kvv-play'); // pause
    await p.clock.runFor(12000);
    assert.equal((await viewerImage(p, '0002.jpg')).file, '0002.jpg');
    await p.keyboard.press('ArrowLeft');
    assert.equal((await viewerImage(p, '0001.jpg')).file, '0001.jpg');
    await p.keyboard.press('ArrowLeft'); // wraps to the last
    assert.equal((await viewerImage(p, '0004.jpg')).file, '0004.jpg');
    await p.clock.runFor(800);
    await snap(p, 'autoviewer-file');
    assert.deepEqual(p.problems, []);
    await p.close();
  });

  it('reads gallerydata.xml over http, with escaped captions shown as text', async () => {
    const a = avAlbum();
    const server = await serve(a.dir);
    try {
      const p = await browser.newPage(PHONE);
      await p.goto(server.url + 'index.html#1');
      const s = await viewerImage(p);
      assert.deepEqual([s.source, s.file], ['xml', '0001.jpg']);
      assert.equal(s.caption, 'Milla Milla Falls & rain');
      assert.equal(await p.$$eval('#kvv-caption *', (e) => e.length), 0);
      await p.waitForTimeout(900);
      await snap(p, 'autoviewer-http');
      assert.deepEqual(p.problems, []);
      await p.close();
    } finally {
      await server.close();
    }
  });

  it('ships the same viewer script for both pages', () => {
    const T = templatesDir();
    assert.equal(fs.readFileSync(path.join(T, 'autoviewer', 'swfobject.js'), 'utf8'),
      fs.readFileSync(path.join(T, 'simpleviewer', 'ext', 'js', 'swfobject.js'), 'utf8'));
    const swf = (d) => fs.readdirSync(d, { recursive: true }).filter((f) => String(f).endsWith('.swf'));
    assert.deepEqual(swf(path.join(T, 'simpleviewer')).concat(swf(path.join(T, 'autoviewer'))), []);
  });
});
