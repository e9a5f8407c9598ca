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

// Serves a folder on 127.0.0.1 on a free port; returns { url, close }.
async function serve(root) {
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
      res.writeHead(200, { 'Content-Type': types[path.extname(target).toLowerCase()] || 'application/octet-stream' });
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

module.exports = { launch, fileUrl, imagesSettled, screenshot, snap, serve, PHONE, DESKTOP };
