// SPDX-License-Identifier: MIT
'use strict';
// Starts the system Chromium through playwright-core (no browser download) and
// gives each test a page that records console errors, script errors and
// failed requests, plus helpers for screenshots and a local http server.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const http = require('node:http');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');
const { outputDir } = require('./fixture');

const CHROMIUM = process.env.KAVLO_CHROMIUM || '/usr/bin/chromium';
const PHONE = { width: 390, height: 844 };
const DESKTOP = { width: 1440, height: 900 };

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kavlo-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: DESKTOP,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  return {
    context,
    async newPage(viewport) {
      const page = await context.newPage();
      if (viewport) await page.setViewportSize(viewport);
      page.problems = [];
      page.on('console', (m) => { if (m.type() === 'error') page.problems.push('console: ' + m.text()); });
      page.on('pageerror', (e) => page.problems.push('script: ' + e.message));
      page.on('requestfailed', (r) => page.problems.push('request: ' + r.url() + ' ' + (r.failure() || {}).errorText));
      return page;
    },
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

const ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Screens visitors use: viewport in CSS pixels and device pixels per CSS pixel.
const SCREENS = {
  phone: { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  laptop: { viewport: { width: 1366, height: 768 }, deviceScaleFactor: 1 },
  '4k': { viewport: { width: 1920, height: 1080 }, deviceScaleFactor: 2 },
};

// A browser whose pages each get a context of their own, so that each can have
// its own screen (SCREENS name or context options). page.problems as in launch().
async function launchScreens() {
  const b = await chromium.launch({ executablePath: CHROMIUM, headless: true, args: ARGS });
  return {
    browser: b,
    async newPage(screen) {
      const context = await b.newContext(typeof screen === 'string' ? SCREENS[screen] : screen || {});
      const page = await context.newPage();
      page.problems = [];
      page.on('console', (m) => { if (m.type() === 'error') page.problems.push('console: ' + m.text()); });
      page.on('pageerror', (e) => page.problems.push('script: ' + e.message));
      page.on('requestfailed', (r) => page.problems.push('request: ' + r.url() + ' ' + (r.failure() || {}).errorText));
      page.closeAll = () => context.close();
      return page;
    },
    close: () => b.close(),
  };
}

// A real horizontal swipe by one finger across the element (selector) from 85 %
// to 10 % of its width, through the browser's touch input, so that the page's
// touch-action decides whether the page sees it.
async function touchSwipe(page, selector) {
  const r = await page.$eval(selector, (e) => { const b = e.getBoundingClientRect(); return { x: b.left, y: b.top, w: b.width, h: b.height }; });
  const cdp = await page.context().newCDPSession(page);
  const y = r.y + r.h / 2;
  const at = (x) => [{ x, y, id: 1 }];
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: at(r.x + r.w * 0.85) });
  for (let k = 1; k <= 6; k++) await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: at(r.x + r.w * (0.85 - 0.125 * k)) });
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await cdp.detach();
}

function fileUrl(file, hash) {
  return pathToFileURL(file).href + (hash || '');
}

// Waits until every <img> that the page asked for has finished (loaded or failed).
async function imagesSettled(page, selector = 'img') {
  await page.waitForFunction((sel) => Array.from(document.querySelectorAll(sel))
    .filter((i) => i.getAttribute('src') && i.loading !== 'lazy' && !i.closest('[hidden]'))
    .every((i) => i.complete), selector, { timeout: 10000 });
}

async function screenshot(page, name) {
  await page.waitForTimeout(450); // let fades and smooth scrolling finish
  const file = path.join(outputDir(), name.replace(/[^A-Za-z0-9_.-]+/g, '_') + '.png');
  await page.screenshot({ path: file });
  return file;
}

// The page as a visitor sees it on a desktop and on a phone: NAME-desktop.png
// and NAME-phone.png. The page keeps its state; its viewport is restored after.
async function snap(page, name) {
  const original = page.viewportSize();
  await page.setViewportSize(DESKTOP);
  await screenshot(page, name + '-desktop');
  await page.setViewportSize(PHONE);
  await screenshot(page, name + '-phone');
  if (original) await page.setViewportSize(original);
}

// Serves a folder on 127.0.0.1 on a free port; returns { url, close }. With
// gzip, text files are sent compressed to clients that accept it, as web
// servers do.
async function serve(root, { gzip = false } = {}) {
  const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.css': 'text/css; charset=utf-8',
    '.xml': 'application/xml; charset=utf-8', '.jpg': 'image/jpeg', '.png': 'image/png', '.ico': 'image/x-icon', '.svg': 'image/svg+xml' };
  const server = http.createServer((req, res) => {
    let rel;
    try { rel = decodeURIComponent(new URL(req.url, 'http://x').pathname); } catch (e) { res.writeHead(400); res.end(); return; }
    const file = path.join(root, path.normalize(rel));
    if (!file.startsWith(root)) { res.writeHead(403); res.end(); return; }
    let target = file;
    try { if (fs.statSync(target).isDirectory()) target = path.join(target, 'index.html'); } catch (e) { /* 404 below */ }
    fs.readFile(target, (err, data) => {
      if (err) { res.writeHead(404); res.end('not found'); return; }
      const type = types[path.extname(target).toLowerCase()] || 'application/octet-stream';
      if (gzip && /^(text|application\/xml)/.test(type) && /\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
        res.writeHead(200, { 'Content-Type': type, 'Content-Encoding': 'gzip', Vary: 'Accept-Encoding' });
        res.end(require('node:zlib').gzipSync(data));
        return;
      }
      res.writeHead(200, { 'Content-Type': type });
      res.end(data);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const { port } = server.address();
  return {
    url: 'http://127.0.0.1:' + port + '/',
    close: () => new Promise((resolve) => { server.closeAllConnections && server.closeAllConnections(); server.close(resolve); }),
  };
}

module.exports = { touchSwipe, launchScreens, SCREENS, launch, fileUrl, imagesSettled, screenshot, snap, serve, PHONE, DESKTOP };
