// SPDX-License-Identifier: MIT
'use strict';
// End to end: albums made by the kavlo command line from real photographs,
// opened in Chromium from disk and over http.

const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFileSync, spawnSync } = require('node:child_process');
const { REPO, PHOTOS } = require('./lib/fixture');
const { launch, fileUrl, screenshot, snap, serve, PHONE, DESKTOP } = require('./lib/browser');

const PROGRAM = process.env.KAVLO_PROGRAM || path.join(REPO, 'build', 'app', 'kavlo');

// The command line builds albums once it knows the unattended terminal mode.
function cliReady() {
  if (!fs.existsSync(PROGRAM)) return 'no program at ' + PROGRAM;
  const help = spawnSync(PROGRAM, ['--help'], { encoding: 'utf8', timeout: 20000 });
  return /--no-gui/.test((help.stdout || '') + (help.stderr || '')) ? true : 'the kavlo command line cannot build albums yet';
}
const ready = cliReady();

let browser, work;
before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'kavlo-cli-'));
  if (ready === true) browser = await launch();
});
after(async () => {
  if (browser) await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
});

const SOURCES = [
  ['orientation/landscape_1.jpg', 'Falls at noon.jpg'],
  ['orientation/portrait_6.jpg', 'turned #6 (Exif).jpg'],
  ['cameras/Canon_PowerShot_S40.jpg', "Anna's 100% best & only.jpg"],
  ['large/canon_hdr_NO.jpg', 'Ærø ferry 東京.jpg'],
  ['orientation/landscape_3.jpg', 'C:\\new\\york.jpg'],
];

// Makes a photo folder and a settings file, runs kavlo on it unattended.
function generate(name, settings, env) {
  const dir = path.join(work, name);
  const cfg = path.join(work, name + '-config');
  fs.mkdirSync(dir, { recursive: true });
  fs.mkdirSync(path.join(cfg, 'kavlo'), { recursive: true });
  for (const [src, dst] of SOURCES) fs.copyFileSync(path.join(PHOTOS, src), path.join(dir, dst));
  const keys = Object.entries(settings).map(([k, v]) => '  ' + k.padEnd(15) + '= "' + v + '"\r\n').join('');
  fs.writeFileSync(path.join(cfg, 'kavlo', 'kavlo_settings.xml'),
    '<?xml version="1.0" encoding="utf-8"?>\r\n<resource>\r\n<values\r\n' + keys + '/>\r\n</resource>\r\n');
  const cleanEnv = Object.fromEntries(Object.entries(process.env).filter(([k]) => !/^KAVLO_|^DISPLAY$|^WAYLAND_DISPLAY$/.test(k)));
  execFileSync(PROGRAM, [dir, '-Automation', '--no-gui'], {
    env: Object.assign(cleanEnv, { XDG_CONFIG_HOME: cfg }, env || {}), timeout: 120000, stdio: ['ignore', 'ignore', 'pipe'],
  });
  const album = path.join(dir, 'album');
  assert.ok(fs.existsSync(path.join(album, 'ext', 'js', 'albumdef.js')), 'album written');
  return album;
}

async function allImagesLoad(p, count) {
  for (let i = 1; i <= count; i++) {
    await p.evaluate((h) => { location.hash = h; }, '#' + i);
    await p.waitForFunction((n) => {
      const img = document.getElementById('kv-image');
      return document.getElementById('kv-counter').textContent === n + ' / ' + window.nbImages &&
        decodeURIComponent(img.src).endsWith('/' + window.imageFilename[n - 1]) && img.complete && img.naturalWidth > 0;
    }, i, { timeout: 8000 });
  }
}

describe('albums made by the kavlo command line', { skip: ready === true ? false : ready }, () => {
  it('show every photo, with original file names, large images, French texts and the classic skin', async () => {
    const album = generate('plain', { orgfilenames: 'yes', large: 'yes', language: 'fr', appearance: 'classic', smallpos: 'bottom' },
      { KAVLO_FOOTER_NAME: 'Anna', KAVLO_LINK_TXT: 'Mon site', KAVLO_LINK_URL: 'https://example.org/a?b=1&c=2' });
    const p = await browser.newPage(DESKTOP);
    await p.goto(fileUrl(path.join(album, 'index.html')));
    await p.waitForSelector('#kv-app');
    const info = await p.evaluate(() => ({
      lang: document.documentElement.lang, files: window.imageFilename.slice(0, window.nbImages),
      link: document.querySelector('.kv-album-link') && document.querySelector('.kv-album-link').getAttribute('href'),
      footer: document.querySelector('.kv-footer-text').textContent,
    }));
    assert.equal(info.lang, 'fr');
    assert.equal(info.files.length, SOURCES.length);
    assert.ok(info.files.some((f) => f.includes("Anna's 100% best & only")), info.files.join(' | '));
    assert.equal(info.link, 'https://example.org/a?b=1&c=2');
    assert.match(info.footer, /^\u00a9 Anna \d{4} - Powered by Kavlo$/);
    // The start page carries the title, a preview image and the photos for visitors without scripts.
    const start = fs.readFileSync(path.join(album, 'index.html'), 'utf8');
    assert.match(start, /<title>[^<]+<\/title>\r\n/);
    assert.match(start, /<meta property="og:image" content="medium\/[^"]+\.jpg">/);
    assert.equal((start.match(/<li><img src="medium\//g) || []).length, SOURCES.length);
    assert.doesNotMatch(start, /%%KAVLO_/);
    await allImagesLoad(p, SOURCES.length);
    const thumbs = await p.$$eval('.kv-thumb img', (l) => l.map((i) => i.naturalWidth > 0));
    assert.deepEqual(thumbs, SOURCES.map(() => true));
    await p.evaluate(() => { location.hash = '#2'; });
    await p.click('#kv-image');
    await p.waitForFunction(() => { const i = document.querySelector('.kv-lightbox-image'); return i && i.complete && i.naturalWidth > 0; });
    await p.keyboard.press('Escape');
    await p.waitForTimeout(400);
    await screenshot(p, 'cli-album-desktop');
    assert.deepEqual(p.problems, []);
    const ph = await browser.newPage(PHONE);
    await ph.goto(fileUrl(path.join(album, 'index.html'), '#2'));
    await ph.waitForFunction(() => { const i = document.getElementById('kv-image'); return i && i.complete && i.naturalWidth > 0; });
    await ph.waitForTimeout(400);
    await screenshot(ph, 'cli-album-phone');
    await ph.close();
    await p.close();
  });

  it('make the gallery page when SimpleViewer is chosen, working from disk and over http', async () => {
    const album = generate('gallery', { simpleviewer: 'yes', large: 'yes' });
    assert.ok(fs.existsSync(path.join(album, 'gallery.xml')));
    assert.ok(fs.existsSync(path.join(album, 'index_html.html')));
    const p = await browser.newPage(DESKTOP);
    const loaded = () => p.waitForFunction(() => { const i = document.getElementById('kvv-image'); return i && i.complete && i.naturalWidth > 0; }, null, { timeout: 8000 });
    await p.goto(fileUrl(path.join(album, 'index.html')));
    await loaded();
    assert.equal(await p.getAttribute('#kvv-root', 'data-source'), 'albumdef');
    await p.waitForTimeout(600); // fade-in
    await snap(p, 'cli-simpleviewer');
    const server = await serve(album);
    try {
      await p.goto(server.url + 'index.html#4');
      await loaded();
      assert.equal(await p.getAttribute('#kvv-root', 'data-source'), 'xml');
      assert.deepEqual(await p.$$eval('.kvv-thumb img', (l) => l.map((i) => i.complete && i.naturalWidth > 0)), SOURCES.map(() => true));
      await p.goto(server.url + 'index_html.html#3');
      await p.waitForFunction(() => { const i = document.getElementById('kv-image'); return i && i.complete && i.naturalWidth > 0; });
    } finally {
      await server.close();
    }
    assert.deepEqual(p.problems, []);
    await p.close();
  });

  it('make the slideshow page when the footer asks for AutoViewer', async () => {
    const album = generate('slides', {}, { KAVLO_FOOTER: 'Summer autoviewer' });
    assert.ok(fs.existsSync(path.join(album, 'gallerydata.xml')));
    assert.ok(fs.existsSync(path.join(album, 'images')));
    const p = await browser.newPage(DESKTOP);
    await p.goto(fileUrl(path.join(album, 'index.html'), '#3'));
    await p.waitForFunction(() => { const i = document.getElementById('kvv-image'); return i && i.complete && i.naturalWidth > 0; }, null, { timeout: 8000 });
    assert.equal((await p.textContent('#kvv-footer')).trim(), 'Summer');
    await p.waitForTimeout(900);
    await snap(p, 'cli-autoviewer');
    // The regular album stays reachable, with its main images in "images".
    await p.goto(fileUrl(path.join(album, 'index_html.html'), '#2'));
    await p.waitForFunction(() => { const i = document.getElementById('kv-image'); return i && i.complete && i.naturalWidth > 0 && /\/images\//.test(i.src); });
    assert.deepEqual(p.problems, []);
    await p.close();
  });
});
