// SPDX-License-Identifier: MIT
'use strict';
// The caption sanitiser (html.js) against known ways of smuggling script into
// HTML, run in the album page itself: nothing runs, only allowed formatting and
// web or mail links come out, and benign captions render unchanged.

const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const path = require('node:path');
const { buildAlbum, removeAlbum } = require('./lib/fixture');
const { launch, fileUrl, DESKTOP } = require('./lib/browser');

let browser, album, page;
before(async () => {
  browser = await launch();
  album = buildAlbum({ images: 1 });
  page = await browser.newPage(DESKTOP);
  await page.goto(fileUrl(path.join(album.dir, 'index.html')));
  await page.waitForSelector('#kv-app');
});
after(async () => { await browser.close(); removeAlbum(album); });

const P = 'window.__pwned=1';
const BYPASSES = {
  'svg animate rewriting a link': '<svg><a xlink:href="#"><animate attributeName="href" values="javascript:' + P + '"/><text x="10" y="20">click</text></a></svg>',
  'svg set of an event handler': '<svg><set attributeName="onmouseover" to="' + P + '"/><rect width="10" height="10"/></svg>',
  'svg animate inside a kept link': '<a href="https://example.org/">ok<svg><animate attributeName="href" values="javascript:' + P + '"/></svg></a>',
  'iframe srcdoc': '<iframe srcdoc="<script>parent.__pwned=1</script>"></iframe>',
  'entity-encoded javascript: link': '<a href="&#106;&#97;&#118;&#97;&#115;&#99;&#114;&#105;&#112;&#116;&#58;' + P + '">x</a>',
  'hex entities and a tab in the scheme': '<a href="jav&#x09;ascript&#x3A;' + P + '">x</a>',
  'mixed case and blanks': '<a href=" JaVaScRiPt:' + P + '">x</a>',
  'data: link': '<a href="data:text/html,&lt;script&gt;parent.__pwned=1&lt;/script&gt;">x</a>',
  'data: picture': '<img src="data:image/svg+xml,&lt;svg onload=&quot;' + P + '&quot;/&gt;">',
  'vbscript link': '<a href="vbscript:msgbox(1)">x</a>',
  'noscript mutation': '<noscript><p title="</noscript><img src=x onerror=' + P + '>"></noscript>',
  'style mutation': '<style><img src=x onerror=' + P + '></style>',
  'template content': '<template><img src=x onerror=' + P + '></template>',
  'math/mglyph mutation': '<math><mtext><table><mglyph><style><img src=x onerror=' + P + '>',
  'nested form mutation': '<form><math><mtext></form><form><mglyph><style></math><img src onerror=' + P + '>',
  'event handler attributes': '<b onclick="' + P + '" onmouseover="' + P + '">bold</b><details open ontoggle="' + P + '">d</details>',
  'broken image handler': '<img src=x onerror="' + P + '">',
  'style attribute overlay': '<a href="https://example.org/" style="position:fixed;inset:0">cover</a><span style="background:url(javascript:' + P + ')">s</span>',
  'object and embed': '<object data="javascript:' + P + '"></object><embed src="javascript:' + P + '">',
  'base and meta refresh': '<base href="javascript:/"><meta http-equiv="refresh" content="0;url=javascript:' + P + '">',
  'deep nesting': '<b>'.repeat(5000) + 'deep' + '</b>'.repeat(5000),
};

// Runs html through K.setHtml into a caption element of the page and reports
// what came out: elements and attributes outside the allow-list, link
// addresses, and whether anything ran.
async function sanitise(html) {
  return page.evaluate(async (h) => {
    window.__pwned = undefined;
    const el = document.getElementById('kv-major');
    window.Kavlo.setHtml(el, h);
    el.querySelectorAll('details').forEach((d) => d.dispatchEvent(new Event('toggle')));
    el.querySelectorAll('*').forEach((e) => { e.dispatchEvent(new MouseEvent('mouseover', { bubbles: true })); });
    await new Promise((r) => setTimeout(r, 150));
    const allowed = /^(a|abbr|b|bdi|bdo|big|blockquote|br|cite|code|del|dfn|div|em|font|hr|i|ins|kbd|li|mark|ol|p|q|s|samp|small|span|strike|strong|sub|sup|time|tt|u|ul|var|wbr)$/;
    const bad = [];
    for (const e of el.querySelectorAll('*')) {
      if (e.namespaceURI !== 'http://www.w3.org/1999/xhtml' || !allowed.test(e.localName)) bad.push('<' + e.localName + '>');
      for (const a of e.attributes) if (!/^(title|lang|dir|href|target|rel|color|size|face)$/.test(a.name)) bad.push(e.localName + '[' + a.name + ']');
    }
    const links = [...el.querySelectorAll('[href]')].map((a) => a.getAttribute('href'));
    return { pwned: window.__pwned, bad, links, text: el.textContent, html: el.innerHTML };
  }, html);
}

describe('caption sanitiser', () => {
  it('runs nothing and keeps only allowed formatting for known bypasses', async () => {
    for (const [name, html] of Object.entries(BYPASSES)) {
      const r = await sanitise(html);
      assert.equal(r.pwned, undefined, name + ' ran script');
      assert.deepEqual(r.bad, [], name + ': ' + r.html.slice(0, 200));
      for (const l of r.links) assert.match(l, /^(https?:|mailto:|[^:]*$)/i, name + ' kept link ' + l);
    }
    assert.equal((await sanitise(BYPASSES['deep nesting'])).text, 'deep');
    assert.equal((await sanitise(BYPASSES['style attribute overlay'])).links[0], 'https://example.org/');
    assert.deepEqual(page.problems.filter((x) => !/Failed to load resource|net::ERR_FILE_NOT_FOUND/.test(x)), []);
  });

  it('renders benign captions unchanged', async () => {
    const benign = [
      'Lake at <b>dawn</b>, <i>Queensland</i>',
      'Anna &amp; Tom <em>at</em> <strong>home</strong><br>second line',
      '<a href="https://example.org/a?b=1&amp;c=2">more photos</a> or <a href="mailto:me@example.org">write</a>',
      '<p>One</p><p><u>Two</u> <small>small print</small> <span lang="fr" title="lac">lac</span></p>',
      'H<sub>2</sub>O, 10<sup>3</sup> m, <font color="#ff0000">red</font>, <abbr title="International Organization">ISO</abbr> 100',
      'Plain text with &lt;brackets&gt; &amp; quotes "like" this',
    ];
    for (const html of benign) {
      const r = await sanitise(html);
      const expected = await page.evaluate((h) => { const d = document.createElement('div'); d.innerHTML = h; return d.innerHTML; }, html);
      assert.equal(r.html, expected, html);
    }
    // Formatting outside the list is dropped, its text kept.
    assert.equal((await sanitise('a <center>b <h1>c</h1></center> d')).html, 'a b c d');
    // Links opening a new window get no hold on the album page.
    assert.equal((await sanitise('<a href="https://example.org/" target="_blank">x</a>')).html,
      '<a href="https://example.org/" target="_blank" rel="noopener noreferrer">x</a>');
    // Alternative texts and titles take the same text.
    assert.equal(await page.evaluate(() => window.Kavlo.plainText('A<script>alert(1)</script> <b>bold</b><br>line')), 'A bold line');
  });
});
