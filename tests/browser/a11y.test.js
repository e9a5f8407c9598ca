// SPDX-License-Identifier: MIT
'use strict';
// Accessibility of the album pages, the help page and the skins page: axe-core
// finds no violations (contrast of links included), the skip link and the
// one-stop thumbnail strip work from the keyboard.

const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { buildAlbum, removeAlbum, helpDir, templatesDir } = require('./lib/fixture');
const { launch, fileUrl, imagesSettled, screenshot, DESKTOP, PHONE } = require('./lib/browser');

const AXE = require.resolve('axe-core/axe.min.js');
let browser;
const albums = [];
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); albums.forEach(removeAlbum); });

async function violations(p) {
  await p.addScriptTag({ path: AXE });
  const r = await p.evaluate(() => window.axe.run(document, { resultTypes: ['violations'] }));
  return r.violations.map((v) => v.id + ': ' + v.nodes.map((n) => n.target.join(' ')).slice(0, 4).join(', '));
}

async function settled(p) {
  await p.waitForSelector('#kv-app');
  await imagesSettled(p);
  await p.waitForTimeout(450);
}

describe('accessibility', () => {
  it('album pages have no axe violations in any skin', async () => {
    const a = buildAlbum({ large: true, intro: 'Welcome to <i>our</i> trip', linkUrl: 'https://example.org/', linkText: 'More',
      images: [{ photo: 'orientation/landscape_1.jpg', major: 'Lake at <b>dawn</b> <a href="https://example.org/">link</a>', minor: 'f/8' },
        { photo: 'orientation/portrait_1.jpg', major: '' }, { photo: 'cameras/Canon_PowerShot_S40.jpg', major: 'Flowers' }] });
    albums.push(a);
    const skins = fs.readdirSync(path.join(templatesDir(), 'js2/ext/css')).filter((f) => /^appearance_.+\.css$/.test(f)).map((f) => f.slice(11, -4));
    for (const skin of skins) {
      fs.copyFileSync(path.join(templatesDir(), 'js2/ext/css/appearance_' + skin + '.css'), path.join(a.dir, 'ext/css/appearance.css'));
      for (const vp of [DESKTOP, PHONE]) {
        const p = await browser.newPage(vp);
        const pages = [['index.html', ''], ['index.html', '#1'], ['ext/html/medium.html', '#2'], ['ext/html/large.html', '#1'], ['ext/html/small.html', '']];
        for (const [file, hash] of pages) {
          await p.goto(fileUrl(path.join(a.dir, file), hash));
          await settled(p);
          assert.deepEqual(await violations(p), [], skin + ' ' + vp.width + ' ' + file + hash);
        }
        await p.goto(fileUrl(path.join(a.dir, 'index.html'), '#1'));
        await settled(p);
        await p.click('.kv-large-button');
        await p.waitForFunction(() => document.getElementById('kv-lightbox').open);
        await p.waitForTimeout(400);
        assert.deepEqual(await violations(p), [], skin + ' large view');
        await p.close();
      }
    }
  });

  it('help and skins pages have no axe violations, links included', async () => {
    const p = await browser.newPage(DESKTOP);
    for (const file of ['readme.html', 'skins/index.html']) {
      if (!fs.existsSync(path.join(helpDir(), file))) continue;
      await p.goto(fileUrl(path.join(helpDir(), file)));
      await p.waitForTimeout(800);
      assert.deepEqual(await violations(p), [], file);
    }
    await p.close();
  });

  it('without scripts, the start page lists the photos with their captions', async () => {
    const a = buildAlbum({ title: 'Trip & "friends"', images: [{ photo: 'orientation/landscape_1.jpg', major: 'Lake at <b>dawn</b>' },
      { photo: 'orientation/portrait_1.jpg', major: '', minor: 'f/8' }, { photo: 'cameras/Canon_PowerShot_S40.jpg', major: '' }] });
    albums.push(a);
    const p = await browser.newPage(PHONE);
    const cdp = await p.context().newCDPSession(p);
    await cdp.send('Emulation.setScriptExecutionDisabled', { value: true });
    await p.goto(fileUrl(path.join(a.dir, 'index.html')));
    const list = await p.$$eval('.kv-plain-list img', (l) => l.map((i) => ({ alt: i.alt, ok: i.complete && i.naturalWidth > 0, w: i.getBoundingClientRect().width })));
    assert.deepEqual(list.map((x) => x.alt), ['Lake at dawn', 'f/8', '']);
    assert.ok(list.every((x) => x.w > 0 && x.w <= PHONE.width), JSON.stringify(list));
    await p.evaluate(() => window.scrollTo(0, 0));
    await p.waitForFunction(() => document.querySelector('.kv-plain-list img').complete);
    assert.equal(await p.title(), 'Trip & "friends"');
    assert.equal(await p.getAttribute('meta[property="og:image"]', 'content'), 'medium/0001.jpg');
    assert.equal(await p.getAttribute('meta[name="description"]', 'content'), 'Lake at dawn');
    assert.equal(await p.$('#kv-app'), null, 'no scripts ran');
    await screenshot(p, 'noscript-phone');
    await p.close();
  });

  it('skip link and one-stop thumbnail strip work from the keyboard', async () => {
    const a = buildAlbum({ images: 8 });
    albums.push(a);
    const p = await browser.newPage(DESKTOP);
    await p.goto(fileUrl(path.join(a.dir, 'index.html'), '#3'));
    await settled(p);
    await p.keyboard.press('Tab');
    assert.equal(await p.evaluate(() => document.activeElement.className), 'kv-skip');
    await screenshot(p, 'a11y-skip-link-desktop');
    await p.keyboard.press('Enter');
    assert.equal(await p.evaluate(() => document.activeElement.id), 'kv-main');
    assert.equal(await p.evaluate(() => location.hash), '#3');
    // From the page start, Tab reaches the strip once: at the current photo's thumbnail.
    await p.evaluate(() => document.activeElement.blur());
    const stops = [];
    for (let i = 0; i < 40; i++) {
      await p.keyboard.press('Tab');
      const stop = await p.evaluate(() => { const e = document.activeElement; return e.classList.contains('kv-thumb') ? 'thumb' + e.getAttribute('href') : e.className || e.tagName; });
      if (i > 0 && stop === stops[0]) break; // once round the page
      stops.push(stop);
    }
    assert.deepEqual(stops.filter((s) => s.startsWith('thumb')), ['thumb#3'], stops.join(' '));
    // Arrow keys move inside the strip without changing the photo; Enter shows it.
    await p.focus('.kv-thumb[href="#3"]');
    await p.keyboard.press('ArrowDown');
    await p.keyboard.press('ArrowDown');
    assert.equal(await p.evaluate(() => document.activeElement.getAttribute('href')), '#5');
    assert.equal(await p.evaluate(() => location.hash), '#3');
    await p.keyboard.press('End');
    assert.equal(await p.evaluate(() => document.activeElement.getAttribute('href')), '#8');
    await p.keyboard.press('Enter');
    await p.waitForFunction(() => document.getElementById('kv-counter').textContent === '8 / 8');
    assert.deepEqual(p.problems, []);
    await p.close();
  });
});
