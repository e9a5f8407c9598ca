// SPDX-License-Identifier: MIT
'use strict';
// The template set as files: the names the album writers copy, the placeholders
// each instantiated page holds, and the icon. No browser needed.

const { describe, it } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { templatesDir, ALBUM_SCRIPTS } = require('./lib/fixture');

const T = () => templatesDir();
const placeholders = (file) => [...new Set(fs.readFileSync(path.join(T(), file), 'utf8').match(/%%[A-Z_]+%%/g) || [])].sort();

describe('template set', () => {
  it('holds every file the album writers copy', () => {
    const files = [
      'js2/index.html', 'js2/autorun.inf', 'js2/ext/kavlo.ico', 'js2/ext/html/medium.html', 'js2/ext/html/small.html',
      'js2/ext/html/large.html', 'js2/ext/js/index.js', 'js2/ext/js/small.js', 'js2/ext/js/large.js',
      ...ALBUM_SCRIPTS.map((f) => 'js2/ext/js/' + f), 'js2/ext/css/appearance_dim.css', 'js2/ext/js/langdef_uk.js',
      'simpleviewer/index.html', 'simpleviewer/ext/js/swfobject.js', 'simpleviewer/space.png',
      'autoviewer/index.html', 'autoviewer/swfobject.js', 'autoviewer/kavlo.ico',
    ];
    for (const f of files) assert.ok(fs.statSync(path.join(T(), f)).size > 0, f);
  });

  it('uses exactly the placeholders the writers fill in', () => {
    assert.deepEqual(placeholders('js2/index.html'), ['%%KAVLO_DESCRIPTION%%', '%%KAVLO_NOSCRIPT%%', '%%KAVLO_PREVIEW%%',
      '%%KAVLO_RENDITIONS%%', '%%KAVLO_TITLE%%', '%%KAVLO_VERSION%%']);
    for (const page of ['js2/ext/html/medium.html', 'js2/ext/html/large.html']) {
      assert.deepEqual(placeholders(page), ['%%KAVLO_RENDITIONS%%', '%%KAVLO_VERSION%%'], page);
    }
    assert.deepEqual(placeholders('js2/ext/html/small.html'), ['%%KAVLO_VERSION%%']);
    assert.deepEqual(placeholders('simpleviewer/index.html'), ['%%BGCOLOR%%', '%%FOOTER%%', '%%FRAMECOLOR%%', '%%INTRO%%',
      '%%INTRO_PRESENT%%', '%%KAVLO_VERSION%%', '%%TEXTCOLOR%%', '%%TEXTCOLOR_FLASH%%', '%%TITLE%%']);
    assert.deepEqual(placeholders('autoviewer/index.html'), ['%%ALBUMFOOTER%%', '%%ALBUMTITLE%%', '%%BGCOLOR%%',
      '%%KAVLO_VERSION%%', '%%TEXTCOLOR%%']);
    // Copied files are not instantiated: a placeholder there would reach the visitor.
    const copied = ['index.js', 'small.js', 'large.js', ...ALBUM_SCRIPTS].map((f) => 'js2/ext/js/' + f);
    for (const f of [...copied, 'simpleviewer/ext/js/swfobject.js']) {
      assert.deepEqual(placeholders(f), [], f);
    }
  });

  it('has pages that load only files that exist in every album', () => {
    // Pages of the HTML album may refer to small.html/small.js/large.html only where those exist.
    const refs = (file) => [...fs.readFileSync(path.join(T(), file), 'utf8').matchAll(/(?:src|href)="([^"#:]+)"/g)].map((m) => m[1]);
    assert.deepEqual(refs('js2/index.html').sort(), ['ext/css/appearance.css', 'ext/js/albumdef.js', 'ext/js/index.js',
      'ext/js/langdef.js', 'ext/kavlo.ico', ...ALBUM_SCRIPTS.map((f) => 'ext/js/' + f)].sort());
    for (const page of ['medium', 'large']) {
      assert.ok(!refs('js2/ext/html/' + page + '.html').some((r) => /small\.js/.test(r)), page);
    }
    // Every script a page loads is one the writers copy into the albums that have that page.
    for (const [page, extra] of [['medium', []], ['small', ['small.js']], ['large', ['large.js']]]) {
      for (const r of refs('js2/ext/html/' + page + '.html').filter((x) => x.endsWith('.js'))) {
        assert.ok(['albumdef.js', 'langdef.js', ...ALBUM_SCRIPTS, ...extra].includes(path.basename(r)), page + ' loads ' + r);
      }
    }
  });

  it('ships a multi-size icon', () => {
    for (const f of ['js2/ext/kavlo.ico', 'autoviewer/kavlo.ico']) {
      const b = fs.readFileSync(path.join(T(), f));
      assert.deepEqual([b.readUInt16LE(0), b.readUInt16LE(2)], [0, 1], f + ' is an icon file');
      const n = b.readUInt16LE(4);
      const sizes = [];
      for (let i = 0; i < n; i++) {
        const e = 6 + 16 * i;
        sizes.push(b[e] || 256);
        const len = b.readUInt32LE(e + 8), off = b.readUInt32LE(e + 12);
        assert.ok(off + len <= b.length, f + ': image ' + i + ' inside the file');
      }
      for (const s of [16, 32, 48, 256]) assert.ok(sizes.includes(s), f + ' has ' + s + ' px');
    }
  });

  it('writes autorun.inf with CR LF line ends and the album start page', () => {
    const text = fs.readFileSync(path.join(T(), 'js2/autorun.inf'), 'latin1');
    assert.ok(!/[^\r]\n/.test(text), 'CR LF only');
    assert.match(text, /^\[autorun\]\r\n/);
    assert.match(text, /\r\nshellexecute=index\.html\r\n/);
  });
});
