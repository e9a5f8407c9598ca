// SPDX-License-Identifier: MIT
'use strict';
// The help page and the skin examples page, laid out as they are installed:
// readme.html and skins/ beside the program, the template set in templates/.

const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { templatesDir, helpDir } = require('./lib/fixture');
const { launch, fileUrl, screenshot, snap, PHONE, DESKTOP } = require('./lib/browser');

let browser, install;
before(async () => {
  install = fs.mkdtempSync(path.join(os.tmpdir(), 'kavlo-install-'));
  const help = helpDir();
  fs.cpSync(path.join(help, 'readme.html'), path.join(install, 'readme.html'));
  fs.cpSync(path.join(help, 'skins'), path.join(install, 'skins'), { recursive: true });
  fs.cpSync(templatesDir(), path.join(install, 'templates'), { recursive: true });
  browser = await launch();
});
after(async () => {
  await browser.close();
  fs.rmSync(install, { recursive: true, force: true });
});

describe('help page', () => {
  it('covers the program, its command line and environment, with working links', async () => {
    const p = await browser.newPage(DESKTOP);
    await p.goto(fileUrl(path.join(install, 'readme.html')));
    const text = await p.textContent('main');
    for (const word of ['kavlo [FOLDER] [-Automation]', '--no-gui', '--help', '--version', 'KAVLO_FOOTER', 'KAVLO_FOOTER_NAME',
      'KAVLO_LINK_TXT', 'KAVLO_LINK_URL', 'autoviewer', 'philipsxml', 'Watermark', 'Caption extraction', 'Options', 'album editor']) {
      assert.ok(text.includes(word), 'mentions ' + word);
    }
    const links = await p.$$eval('a[href]', (as) => as.map((a) => a.getAttribute('href')));
    for (const href of links) {
      if (href.startsWith('#')) assert.ok(await p.$(href), 'anchor ' + href);
      else if (!/^[a-z]+:/.test(href)) assert.ok(fs.existsSync(path.join(install, href.split('#')[0])), 'file ' + href);
    }
    assert.ok(links.includes('skins/index.html'));
    assert.equal(await p.$eval('nav img', (i) => i.naturalWidth > 0), true, 'icon from the template set ' + p.problems.join(' '));
    await screenshot(p, 'help-desktop');
    const ph = await browser.newPage(PHONE);
    await ph.goto(fileUrl(path.join(install, 'readme.html')));
    assert.equal(await ph.evaluate(() => document.documentElement.scrollWidth <= innerWidth), true);
    await screenshot(ph, 'help-phone');
    await ph.close();
    assert.deepEqual(p.problems, []);
    await p.close();
  });
});

describe('skin examples page', () => {
  it('shows a live album in every skin of the template set, from disk', async () => {
    const skins = fs.readdirSync(path.join(install, 'templates/js2/ext/css'))
      .filter((f) => /^appearance_.+\.css$/.test(f)).map((f) => f.slice(11, -4)).sort();
    const p = await browser.newPage(DESKTOP);
    await p.goto(fileUrl(path.join(install, 'skins/index.html')));
    const shown = (await p.$$eval('iframe[data-skin]', (f) => f.map((x) => x.getAttribute('data-skin')))).sort();
    assert.deepEqual(shown, skins);
    const backgrounds = new Set();
    for (const skin of skins) {
      const el = await p.$('iframe[data-skin="' + skin + '"]');
      await el.scrollIntoViewIfNeeded();
      const frame = await el.contentFrame();
      await frame.waitForFunction(() => { const i = document.getElementById('kv-image'); return i && i.complete && i.naturalWidth > 0; }, null, { timeout: 8000 });
      assert.equal(await frame.$$eval('.kv-thumb img', (l) => l.length), 4);
      await frame.click('.kv-tools .kv-next');
      await frame.waitForFunction(() => /dunes\.svg$/.test(document.getElementById('kv-image').src));
      backgrounds.add(await frame.evaluate(() => getComputedStyle(document.body).backgroundColor));
    }
    assert.equal(backgrounds.size, skins.length);
    await p.evaluate(() => window.scrollTo(0, 0));
    await p.waitForTimeout(500);
    await snap(p, 'skins-page');
    assert.deepEqual(p.problems, []);
    await p.close();
  });
});
