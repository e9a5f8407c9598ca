// SPDX-License-Identifier: MIT
'use strict';
// Every language file and every skin of the template set, loaded into an album.

const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');
const { execFileSync } = require('node:child_process');
const { buildAlbum, removeAlbum, templatesDir } = require('./lib/fixture');
const { launch, fileUrl, imagesSettled, screenshot, snap, PHONE, DESKTOP } = require('./lib/browser');

// The language table of the options dialog: code and the language it must be.
const LANGUAGES = {
  uk: 'en', dk: 'da', de: 'de', it: 'it', es: 'es', se: 'sv', no: 'nb', is: 'is', ru: 'ru', fi: 'fi',
  fr: 'fr', nl: 'nl', hu: 'hu', pt: 'pt', ee: 'et', il: 'he', cz: 'cs', tr: 'tr', tw: 'zh-Hant', lt: 'lt',
  ro: 'ro', hr: 'hr', gr: 'el', si: 'sl', esp: 'eo', pl: 'pl', sk: 'sk', jp: 'ja',
};
const JS = () => path.join(templatesDir(), 'js2', 'ext', 'js');
const CSS = () => path.join(templatesDir(), 'js2', 'ext', 'css');

function loadLanguage(code) {
  const file = path.join(JS(), 'langdef_' + code + '.js');
  const text = fs.readFileSync(file, 'utf8');
  const ctx = {};
  vm.runInNewContext(text, ctx, { filename: file });
  return { text, lang: ctx.kavloLanguage };
}

let browser;
const albums = [];
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); albums.forEach(removeAlbum); });

describe('language files', () => {
  it('exist for every code of the language table with the same keys, all translated', () => {
    const english = loadLanguage('uk').lang.text;
    const keys = Object.keys(english).sort();
    assert.ok(keys.length >= 20);
    for (const [code, bcp] of Object.entries(LANGUAGES)) {
      const { text, lang } = loadLanguage(code);
      assert.equal(Buffer.from(text, 'utf8').toString('utf8'), text, code + ' is UTF-8');
      assert.equal(lang.code, bcp, code);
      assert.equal(lang.dir, code === 'il' ? 'rtl' : 'ltr', code);
      assert.deepEqual(Object.keys(lang.text).sort(), keys, code + ': keys differ from English');
      for (const k of keys) {
        assert.equal(typeof lang.text[k], 'string', code + '.' + k);
        assert.notEqual(lang.text[k].trim(), '', code + '.' + k + ' is empty');
        // Placeholders survive translation.
        for (const ph of english[k].match(/\{\w+\}/g) || []) assert.ok(lang.text[k].includes(ph), code + '.' + k + ' lacks ' + ph);
      }
      if (code !== 'uk') {
        const same = keys.filter((k) => lang.text[k] === english[k] && !['zoom'].includes(k));
        assert.ok(same.length <= 2, code + ' left untranslated: ' + same.join(', '));
      }
    }
  });

  it('hold exactly the texts the album scripts ask for', () => {
    const keys = new Set(Object.keys(loadLanguage('uk').lang.text));
    const used = new Set();
    const scripts = fs.readdirSync(JS()).filter((f) => f.endsWith('.js') && !f.startsWith('langdef_')).map((f) => path.join(JS(), f))
      .concat([path.join(templatesDir(), 'simpleviewer', 'ext', 'js', 'swfobject.js')]);
    for (const f of scripts) {
      for (const m of fs.readFileSync(f, 'utf8').matchAll(/\bt\('(\w+)'/g)) used.add(m[1]);
    }
    assert.deepEqual([...used].filter((k) => !keys.has(k)), [], 'asked for but missing in the language files');
    assert.deepEqual([...keys].filter((k) => !used.has(k)), [], 'never shown');
  });

  it('each load in the album with no console error and label every control', async () => {
    const a = buildAlbum({ images: 3, large: true, intro: 'Hello' });
    albums.push(a);
    const p = await browser.newPage(DESKTOP);
    for (const code of Object.keys(LANGUAGES)) {
      fs.copyFileSync(path.join(JS(), 'langdef_' + code + '.js'), path.join(a.dir, 'ext/js/langdef.js'));
      await p.goto('about:blank');
      await p.goto(fileUrl(path.join(a.dir, 'index.html'), '#2'));
      await p.waitForSelector('#kv-app');
      const { lang } = loadLanguage(code);
      const seen = await p.evaluate(() => ({
        lang: document.documentElement.lang,
        dir: document.documentElement.dir,
        next: document.querySelector('.kv-tools .kv-next').getAttribute('aria-label'),
        play: document.querySelector('.kv-play').getAttribute('aria-label'),
        large: document.querySelector('.kv-large-button').getAttribute('aria-label'),
        strip: document.getElementById('kv-strip').getAttribute('aria-label'),
        thumb: document.querySelector('.kv-thumb').getAttribute('aria-label'),
      }));
      assert.deepEqual(seen, {
        lang: lang.code, dir: lang.dir, next: lang.text.next, play: lang.text.play, large: lang.text.large,
        strip: lang.text.thumbnails, thumb: lang.text.imageOf.replace('{n}', '1').replace('{total}', '3'),
      }, code);
      assert.deepEqual(p.problems, [], code);
      if (code === 'il' || code === 'jp' || code === 'ru') {
        await p.waitForFunction(() => document.querySelector('.kv-frame.kv-loaded'));
        await p.waitForTimeout(400); // fade-in
        await snap(p, 'language-' + code);
      }
    }
    await p.close();
  });

  it('mirrors the page and the arrow keys for Hebrew', async () => {
    const a = buildAlbum({ images: 3, language: 'il' });
    albums.push(a);
    const p = await browser.newPage(DESKTOP);
    await p.goto(fileUrl(path.join(a.dir, 'index.html')));
    await p.waitForSelector('#kv-app');
    await imagesSettled(p);
    const boxes = await p.evaluate(() => ({
      strip: document.getElementById('kv-strip').getBoundingClientRect().left,
      stage: document.getElementById('kv-stage').getBoundingClientRect().left,
    }));
    assert.ok(boxes.strip > boxes.stage, 'the "left" strip sits at the start side, which is the right in Hebrew');
    // The first image must be on show (and the page ready for keys) before navigating.
    await p.waitForFunction(() => {
      const img = document.getElementById('kv-image');
      return img && img.complete && img.naturalWidth > 0 && document.querySelector('.kv-frame.kv-loaded');
    });
    await p.keyboard.press('ArrowLeft');
    await p.waitForFunction(() => location.hash === '#2');
    await p.keyboard.press('ArrowRight');
    await p.waitForFunction(() => location.hash === '#1');
    const ph = await browser.newPage(PHONE);
    await ph.goto(fileUrl(path.join(a.dir, 'index.html')));
    await ph.waitForSelector('#kv-app');
    await imagesSettled(ph);
    await screenshot(ph, 'language-il-phone');
    await ph.close();
    await p.close();
  });
});

describe('skins', () => {
  const skins = () => fs.readdirSync(CSS()).filter((f) => /^appearance_.+\.css$/.test(f)).map((f) => f.slice(11, -4));

  it('include dim, light, dark and classic, with one shared page structure', () => {
    for (const s of ['dim', 'light', 'dark', 'classic']) assert.ok(skins().includes(s), s);
    execFileSync(process.execPath, [path.join(__dirname, 'tools', 'sync-skins.js'), '--check', '--dir=' + CSS()]);
  });

  it('each stand alone in the album and look different', async () => {
    const a = buildAlbum({ large: true, smallPos: 'bottom',
      images: [
        { photo: 'orientation/landscape_1.jpg', major: 'Milla Milla Falls, <i>Queensland</i>', minor: 'Canon PowerShot, f/4, 1/60 s' },
        { photo: 'cameras/Canon_PowerShot_S40.jpg', major: 'Frangipani' },
        { photo: 'orientation/portrait_1.jpg', major: 'The falls in portrait' },
        { photo: 'large/canon_hdr_NO.jpg', major: 'Evening light' },
        { photo: 'cameras/Reconyx_HC500_Hyperfire.jpg', major: '' },
      ] });
    albums.push(a);
    const backgrounds = new Set();
    for (const skin of skins()) {
      fs.copyFileSync(path.join(CSS(), 'appearance_' + skin + '.css'), path.join(a.dir, 'ext/css/appearance.css'));
      for (const vp of [DESKTOP, PHONE]) {
        const p = await browser.newPage(vp);
        await p.goto(fileUrl(path.join(a.dir, 'index.html')));
        await p.waitForSelector('#kv-app');
        await imagesSettled(p);
        await p.waitForFunction(() => document.querySelector('.kv-frame.kv-loaded'));
        await p.waitForTimeout(400); // fade-in
        if (vp === DESKTOP) backgrounds.add(await p.evaluate(() => getComputedStyle(document.body).backgroundColor));
        const styled = await p.evaluate(() => getComputedStyle(document.querySelector('.kv-button')).width);
        assert.notEqual(styled, 'auto', skin + ' styles the buttons');
        await screenshot(p, 'skin-' + skin + '-' + (vp === DESKTOP ? 'desktop' : 'phone'));
        assert.deepEqual(p.problems, [], skin);
        await p.close();
      }
    }
    assert.equal(backgrounds.size, skins().length, 'every skin has its own background');
  });
});
