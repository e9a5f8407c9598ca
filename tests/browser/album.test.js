// SPDX-License-Identifier: MIT
'use strict';
// The HTML album opened from disk in Chromium: images, navigation, deep links,
// introduction, strip positions, captions, awkward file names, the extra pages.

const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { buildAlbum, removeAlbum } = require('./lib/fixture');
const { launch, fileUrl, imagesSettled, screenshot, snap, PHONE, DESKTOP } = require('./lib/browser');

let browser;
const albums = [];
function album(opts) { const a = buildAlbum(opts); albums.push(a); return a; }

before(async () => { browser = await launch(); });
after(async () => { await browser.close(); albums.forEach(removeAlbum); });

async function open(a, hash, viewport, page) {
  const p = page || await browser.newPage(viewport || DESKTOP);
  await p.goto(fileUrl(path.join(a.dir, 'index.html'), hash));
  await p.waitForSelector('#kv-app');
  await imagesSettled(p);
  return p;
}

// Main image state: which file is shown and whether it decoded.
function shown(p) {
  return p.evaluate(() => {
    const img = document.getElementById('kv-image');
    return {
      file: decodeURIComponent((img.currentSrc || img.src).split('/').pop()),
      loaded: img.complete && img.naturalWidth > 0,
      hash: location.hash,
      counter: document.getElementById('kv-counter').textContent,
      intro: !document.getElementById('kv-intro').hidden,
    };
  });
}

async function waitShown(p, file) {
  await p.waitForFunction((f) => {
    const img = document.getElementById('kv-image');
    return decodeURIComponent(img.src.split('/').pop()) === f && img.complete && img.naturalWidth > 0;
  }, file, { timeout: 5000 });
  return shown(p);
}

// Scrolls every lazy thumbnail into view and reports those that did not decode.
async function brokenThumbnails(p, selector) {
  return p.evaluate(async (sel) => {
    const bad = [];
    for (const img of document.querySelectorAll(sel)) {
      img.scrollIntoView({ block: 'nearest', inline: 'nearest' });
      const t0 = Date.now();
      while (!(img.complete && img.currentSrc) && Date.now() - t0 < 5000) await new Promise((r) => setTimeout(r, 20));
      if (!(img.naturalWidth > 0)) bad.push(img.src);
    }
    return bad;
  }, selector);
}

describe('album view', () => {
  it('shows every image and thumbnail and navigates by buttons, keys and deep links', async () => {
    const a = album({ images: 6, large: true, smallPos: 'left', linkUrl: 'https://example.org/', linkText: 'More photos' });
    const p = await open(a);
    let s = await waitShown(p, '0001.jpg');
    assert.equal(s.counter, '1 / 6');
    assert.equal(s.intro, false);
    assert.deepEqual(await brokenThumbnails(p, '.kv-thumb img'), []);
    await snap(p, 'album-left');

    await p.click('.kv-tools .kv-next');
    s = await waitShown(p, '0002.jpg');
    assert.equal(s.hash, '#2');
    await p.keyboard.press('ArrowRight');
    assert.equal((await waitShown(p, '0003.jpg')).hash, '#3');
    await p.keyboard.press('ArrowLeft');
    await waitShown(p, '0002.jpg');
    await p.keyboard.press('End');
    assert.equal((await waitShown(p, '0006.jpg')).counter, '6 / 6');
    assert.equal(await p.isDisabled('.kv-tools .kv-next'), true);
    await p.keyboard.press('Home');
    await waitShown(p, '0001.jpg');
    assert.equal(await p.isDisabled('.kv-tools .kv-prev'), true);
    await p.keyboard.press('PageDown');
    await waitShown(p, '0002.jpg');
    await p.keyboard.press('PageUp');
    await waitShown(p, '0001.jpg');

    // Clicking a thumbnail; the current one is marked and scrolled into the strip.
    await p.click('.kv-strip li:nth-child(5) a');
    await waitShown(p, '0005.jpg');
    const mark = await p.evaluate(() => {
      const cur = document.querySelectorAll('.kv-thumb[aria-current="true"]');
      const strip = document.getElementById('kv-strip').getBoundingClientRect();
      const r = cur[0].getBoundingClientRect();
      return { n: cur.length, href: cur[0].getAttribute('href'), inside: r.top >= strip.top - 1 && r.bottom <= strip.bottom + 1 };
    });
    assert.deepEqual(mark, { n: 1, href: '#5', inside: true });

    // The deep link survives a reload; steps replace the history entry, so the
    // back button leaves the album (to the page before it) and forward returns.
    await p.reload();
    await p.waitForSelector('#kv-app');
    assert.equal((await waitShown(p, '0005.jpg')).counter, '5 / 6');
    assert.equal(await p.evaluate(() => history.length), 2);
    await p.goBack();
    assert.equal(p.url(), 'about:blank');
    await p.goForward();
    await p.waitForSelector('#kv-app');
    await waitShown(p, '0005.jpg');

    // A deep link opened directly, and nonsense hashes fall back to the first image.
    await p.goto(fileUrl(path.join(a.dir, 'index.html'), '#4'));
    await waitShown(p, '0004.jpg');
    await p.goto(fileUrl(path.join(a.dir, 'index.html'), '#99'));
    await waitShown(p, '0001.jpg');

    // Album link from slink_href/slink_txt in the footer.
    assert.deepEqual(await p.$eval('.kv-album-link', (l) => [l.textContent, l.getAttribute('href')]), ['More photos', 'https://example.org/']);
    assert.deepEqual(p.problems, []);
    await p.close();
  });

  it('preloads the next image and plays a slideshow', async () => {
    const a = album({ images: 4 });
    const p = await browser.newPage(DESKTOP);
    await p.clock.install();
    const requested = [];
    p.on('request', (r) => requested.push(decodeURIComponent(r.url())));
    await open(a, '#2', DESKTOP, p);
    await waitShown(p, '0002.jpg');
    await p.waitForFunction(() => true);
    assert.ok(requested.some((u) => u.endsWith('/medium/0003.jpg')), 'next image requested ahead: ' + requested.join(' '));

    await p.click('.kv-play');
    assert.equal(await p.getAttribute('.kv-play', 'aria-pressed'), 'true');
    await p.clock.runFor(5200);
    await waitShown(p, '0003.jpg');
    await p.clock.runFor(5200);
    await waitShown(p, '0004.jpg');
    await snap(p, 'slideshow-playing');
    await p.clock.runFor(5200);
    await waitShown(p, '0001.jpg'); // wraps around
    await p.click('.kv-play');
    assert.equal(await p.getAttribute('.kv-play', 'aria-pressed'), 'false');
    await p.clock.runFor(11000);
    assert.equal((await shown(p)).file, '0001.jpg');
    assert.deepEqual(p.problems, []);
    await p.close();
  });

  it('opens the large image by click and by button and closes it with Escape', async () => {
    const a = album({ images: 3, large: true });
    const p = await open(a, '#2');
    await waitShown(p, '0002.jpg');
    await p.click('#kv-image');
    await p.waitForFunction(() => document.getElementById('kv-lightbox').open);
    await p.waitForFunction(() => { const i = document.querySelector('.kv-lightbox-image'); return i.complete && i.naturalWidth > 0; });
    assert.match(await p.getAttribute('.kv-lightbox-image', 'src'), /large\/0002\.jpg$/);
    await p.keyboard.press('ArrowRight');
    await p.waitForFunction(() => /large\/0003\.jpg$/.test(document.querySelector('.kv-lightbox-image').src));
    await snap(p, 'album-large-view');
    await p.keyboard.press('Escape');
    await p.waitForFunction(() => !document.getElementById('kv-lightbox').open);
    await p.click('.kv-large-button');
    await p.waitForFunction(() => document.getElementById('kv-lightbox').open);
    assert.deepEqual(p.problems, []);
    await p.close();
  });

  it('lays the album out on a phone without horizontal scrolling and swipes between images', async () => {
    const a = album({ images: 5, smallPos: 'left', intro: '' });
    const p = await browser.newPage({ ...PHONE, hasTouch: true });
    await open(a, '', PHONE, p);
    await waitShown(p, '0001.jpg');
    const fits = await p.evaluate(() => ({
      page: document.documentElement.scrollWidth <= window.innerWidth,
      image: document.getElementById('kv-image').getBoundingClientRect().right <= window.innerWidth,
    }));
    assert.deepEqual(fits, { page: true, image: true });
    await screenshot(p, 'album-phone');
    // A leftward swipe on the stage goes to the next image.
    await p.evaluate(() => {
      const st = document.getElementById('kv-stage');
      const r = st.getBoundingClientRect();
      const y = r.top + r.height / 2;
      const ev = (type, x) => st.dispatchEvent(new PointerEvent(type, { pointerType: 'touch', clientX: x, clientY: y, bubbles: true }));
      ev('pointerdown', r.left + r.width * 0.8);
      ev('pointerup', r.left + r.width * 0.2);
    });
    await waitShown(p, '0002.jpg');
    assert.deepEqual(p.problems, []);
    await p.close();
  });

  it('works from the keyboard alone, with a visible focus ring', async () => {
    const a = album({ images: 3, large: true });
    const p = await open(a);
    await waitShown(p, '0001.jpg');
    // Tab through the page until the toolbar's next button has the focus.
    let found = false;
    for (let i = 0; i < 12 && !found; i++) {
      await p.keyboard.press('Tab');
      found = await p.evaluate(() => document.activeElement.matches('.kv-tools .kv-next'));
    }
    assert.ok(found, 'next button reachable by Tab');
    const ring = await p.evaluate(() => {
      const cs = getComputedStyle(document.activeElement);
      return { style: cs.outlineStyle, width: parseFloat(cs.outlineWidth) };
    });
    assert.notEqual(ring.style, 'none');
    assert.ok(ring.width >= 2);
    await screenshot(p, 'keyboard-focus-desktop');
    await p.keyboard.press('Enter');
    await waitShown(p, '0002.jpg');
    // Thumbnails are links: Tab reaches them and Enter opens the image.
    const thumb = await p.$('.kv-strip li:nth-child(3) a');
    await thumb.focus();
    await p.keyboard.press('Enter');
    await waitShown(p, '0003.jpg');
    // The large view opens from its button and Escape gives the focus back.
    await p.focus('.kv-large-button');
    await p.keyboard.press('Enter');
    await p.waitForFunction(() => document.getElementById('kv-lightbox').open);
    await p.keyboard.press('Escape');
    await p.waitForFunction(() => !document.getElementById('kv-lightbox').open);
    assert.equal(await p.evaluate(() => document.activeElement.classList.contains('kv-large-button')), true);
    assert.deepEqual(p.problems, []);
    await p.close();
  });

  it('reserves the image box from the known sizes so nothing jumps while loading', async () => {
    const a = album({ images: 2, intro: '' });
    const p = await browser.newPage(DESKTOP);
    // Layout shifts of the whole page load, as the browser measures them.
    await p.addInitScript(() => {
      window.__shift = 0;
      new PerformanceObserver((list) => {
        for (const e of list.getEntries()) if (!e.hadRecentInput) window.__shift += e.value;
      }).observe({ type: 'layout-shift', buffered: true });
    });
    await open(a, '', DESKTOP, p);
    await waitShown(p, '0001.jpg');
    await p.waitForTimeout(300);
    const shift = await p.evaluate(() => window.__shift);
    assert.ok(shift < 0.01, 'layout shift ' + shift);
    const box = await p.evaluate(() => {
      const img = document.getElementById('kv-image');
      return { w: parseFloat(img.style.width), h: parseFloat(img.style.height), aw: +img.getAttribute('width'), ah: +img.getAttribute('height') };
    });
    assert.equal(box.w, a.sizes.medium[0].w);
    assert.equal(box.h, a.sizes.medium[0].h);
    assert.deepEqual([box.aw, box.ah], [a.sizes.medium[0].w, a.sizes.medium[0].h]);
    await p.close();
  });
});

describe('introduction', () => {
  it('appears exactly when currentImage is -1 and leads into the images', async () => {
    const a = album({ images: 3, intro: 'Welcome to <i>our</i> trip.\nSecond line.' });
    const p = await open(a);
    let s = await shown(p);
    assert.equal(s.intro, true);
    assert.equal(await p.isVisible('#kv-figure'), false);
    assert.equal(await p.$eval('.kv-intro-text i', (e) => e.textContent), 'our');
    assert.equal(await p.$$eval('.kv-intro-text br', (e) => e.length), 1);
    await screenshot(p, 'intro-desktop');
    const ph = await open(a, '', PHONE);
    await screenshot(ph, 'intro-phone');
    await ph.close();

    await p.click('#kv-enter');
    s = await waitShown(p, '0001.jpg');
    assert.equal(s.intro, false);
    // Back to the introduction with the previous button and with the back button.
    await p.keyboard.press('ArrowLeft');
    await p.waitForFunction(() => !document.getElementById('kv-intro').hidden);
    assert.equal((await shown(p)).hash, '#intro');
    await p.goto(fileUrl(path.join(a.dir, 'index.html'), '#2'));
    await waitShown(p, '0002.jpg');
    assert.equal((await shown(p)).intro, false);
    await p.close();

    const b = album({ images: 2, intro: '' });
    const q = await open(b);
    s = await waitShown(q, '0001.jpg');
    assert.equal(s.intro, false);
    await q.goto(fileUrl(path.join(b.dir, 'index.html'), '#intro'));
    s = await waitShown(q, '0001.jpg');
    assert.equal(s.intro, false);
    assert.deepEqual(q.problems, []);
    await q.close();
  });
});

describe('thumbnail strip', () => {
  for (const pos of ['left', 'right', 'top', 'bottom']) {
    it('sits ' + pos + ' of the image', async () => {
      const a = album({ images: 5, smallPos: pos });
      const p = await open(a);
      await waitShown(p, '0001.jpg');
      const r = await p.evaluate(() => {
        const box = (id) => { const b = document.getElementById(id).getBoundingClientRect(); return { l: b.left, r: b.right, t: b.top, b: b.bottom }; };
        return { strip: box('kv-strip'), stage: box('kv-stage') };
      });
      const where = { left: r.strip.r <= r.stage.l + 1, right: r.strip.l >= r.stage.r - 1, top: r.strip.b <= r.stage.t + 1, bottom: r.strip.t >= r.stage.b - 1 };
      assert.equal(where[pos], true, JSON.stringify(r));
      for (const other of Object.keys(where)) if (other !== pos) assert.equal(where[other], false, other + ' ' + JSON.stringify(r));
      await snap(p, 'strip-' + pos);
      assert.deepEqual(p.problems, []);
      await p.close();
    });
  }

  it('is absent without thumbnails, and the album needs no small page then', async () => {
    const a = album({ images: 3, small: false, smallPos: 'top' });
    assert.equal(fs.existsSync(path.join(a.dir, 'ext/html/small.html')), false);
    const p = await open(a);
    await waitShown(p, '0001.jpg');
    assert.equal(await p.$('#kv-strip'), null);
    assert.equal(await p.$('.kv-overview'), null);
    await snap(p, 'strip-none');
    assert.deepEqual(p.problems, []);
    await p.close();
  });
});

describe('captions', () => {
  it('renders the major caption as HTML and the minor caption as literal text', async () => {
    const a = album({
      images: [
        { photo: 'orientation/landscape_1.jpg', major: 'Lake at <b>dawn</b>', minor: 'f/8 <b>1/250s</b> & ISO 100' },
        { photo: 'orientation/portrait_1.jpg', major: 'It\'s "fine" <img src="nothing.png" onerror="window.__pwned=1"><script>window.__pwned=2</script>', minor: '' },
        { photo: 'orientation/landscape_1.jpg', major: '<a href="javascript:window.__pwned=3">link</a>', minor: '' },
      ],
      title: 'Caption <b>test</b> & it\'s',
    });
    const p = await open(a);
    await waitShown(p, '0001.jpg');
    assert.equal(await p.$eval('#kv-major b', (b) => b.textContent), 'dawn');
    assert.equal(await p.getAttribute('#kv-image', 'title'), 'f/8 <b>1/250s</b> & ISO 100');
    // The caption is on show under the photo: the alternative text does not repeat it.
    assert.equal(await p.getAttribute('#kv-image', 'alt'), 'Photo 1');
    assert.equal(await p.getAttribute('#kv-figure figcaption', 'id'), 'kv-caption');
    await p.click('.kv-info-button');
    assert.equal(await p.$eval('#kv-minor', (m) => m.textContent), 'f/8 <b>1/250s</b> & ISO 100');
    assert.equal(await p.$$eval('#kv-minor *', (m) => m.length), 0);
    assert.equal(await p.$eval('#kv-title', (t) => t.textContent), 'Caption <b>test</b> & it\'s');
    await snap(p, 'captions');

    await p.keyboard.press('ArrowRight');
    await waitShown(p, '0002.jpg');
    await p.keyboard.press('ArrowRight');
    await waitShown(p, '0003.jpg');
    await p.waitForTimeout(100);
    assert.equal(await p.evaluate(() => window.__pwned), undefined);
    assert.equal(await p.$eval('#kv-major a', (l) => l.hasAttribute('href')), false);
    assert.equal(await p.isHidden('.kv-info-button'), true);
    await p.close();
  });
});

describe('file names', () => {
  it('loads images whose names hold blanks, %, ?, #, &, apostrophes and non-ASCII letters', async () => {
    const names = ['my photo 1.jpg', '100% fun.jpg', 'what?.jpg', 'a#b.jpg', 'Tom & Jerry.jpg', "it's here.jpg", 'Ærø Ünïcödé 東京.jpg', 'x+y=z;.jpg'];
    const a = album({
      images: names.map((name, i) => ({ name, photo: i % 2 ? 'orientation/portrait_1.jpg' : 'orientation/landscape_1.jpg', major: name })),
      large: true, dirs: { small: 'thumbs & co', medium: 'main #1', large: 'große' },
    });
    const p = await open(a);
    for (let i = 0; i < names.length; i++) {
      await p.goto(fileUrl(path.join(a.dir, 'index.html'), '#' + (i + 1)));
      await p.waitForSelector('#kv-app');
      await waitShown(p, names[i]);
    }
    assert.deepEqual(await brokenThumbnails(p, '.kv-thumb img'), []);
    assert.deepEqual(p.problems, []);
    await snap(p, 'awkward-names');

    // The same names through the overview page and the large-image page.
    await p.goto(fileUrl(path.join(a.dir, 'ext/html/small.html')));
    await p.waitForSelector('#kv-grid');
    assert.deepEqual(await brokenThumbnails(p, '#kv-grid img'), []);
    for (let i = 0; i < names.length; i++) {
      await p.goto(fileUrl(path.join(a.dir, 'ext/html/large.html'), '#' + (i + 1)));
      await p.waitForFunction(() => { const m = document.getElementById('kv-image'); return m && m.complete && m.naturalWidth > 0; }, null, { timeout: 5000 });
    }
    assert.deepEqual(p.problems, []);
    await p.close();
  });
});

describe('other pages', () => {
  it('overview, medium and large pages show the album and lead back to it', async () => {
    const a = album({ images: 5, large: true });
    const p = await browser.newPage(DESKTOP);
    await p.goto(fileUrl(path.join(a.dir, 'ext/html/small.html')));
    await p.waitForSelector('#kv-grid');
    assert.equal(await p.$$eval('#kv-grid a', (l) => l.length), 5);
    assert.deepEqual(await brokenThumbnails(p, '#kv-grid img'), []);
    await snap(p, 'overview');
    await p.click('#kv-grid li:nth-child(3) a');
    await p.waitForSelector('#kv-image');
    await waitShown(p, '0003.jpg');

    await p.goto(fileUrl(path.join(a.dir, 'ext/html/medium.html'), '#4'));
    await waitShown(p, '0004.jpg');
    assert.equal(await p.$('#kv-strip'), null);
    assert.match(await p.getAttribute('.kv-back', 'href'), /\.\.\/\.\.\/index\.html#4$/);

    await p.goto(fileUrl(path.join(a.dir, 'ext/html/large.html'), '#2'));
    await p.waitForFunction(() => { const m = document.getElementById('kv-image'); return m && m.complete && m.naturalWidth > 0; });
    assert.match(await p.getAttribute('#kv-image', 'src'), /large\/0002\.jpg$/);
    await p.keyboard.press('ArrowRight');
    await p.waitForFunction(() => /0003\.jpg$/.test(document.getElementById('kv-image').src));
    assert.match(await p.getAttribute('.kv-back', 'href'), /index\.html#3$/);
    await snap(p, 'large-page');
    assert.deepEqual(p.problems, []);
    await p.close();
  });

  it('says so when an image file is missing, and the other images still show', async () => {
    const a = album({ images: [{ photo: 'orientation/landscape_1.jpg' }, { photo: 'orientation/portrait_1.jpg', missing: true }, { photo: 'orientation/landscape_1.jpg' }] });
    const p = await open(a, '#2');
    await p.waitForSelector('.kv-load-error', { state: 'visible' });
    assert.equal(await p.textContent('.kv-load-error'), 'This image could not be loaded.');
    await snap(p, 'missing-image');
    await p.keyboard.press('ArrowRight');
    await waitShown(p, '0003.jpg');
    assert.equal(await p.isVisible('.kv-load-error'), false);
    assert.ok(p.problems.length > 0 && p.problems.every((x) => /0002\.jpg|Failed to load resource/.test(x)), p.problems.join('\n'));
    await p.close();
  });

  it('sizes the image from the picture itself when the album data has no sizes', async () => {
    const a = album({ images: 2 });
    const def = path.join(a.dir, 'ext/js/albumdef.js');
    fs.writeFileSync(def, fs.readFileSync(def, 'utf8').split('\r\n').filter((l) => !/medium(Width|Height)|M(in|ax)Medium/i.test(l)).join('\r\n'));
    const p = await open(a);
    await waitShown(p, '0001.jpg');
    const r = await p.evaluate(() => {
      const i = document.getElementById('kv-image').getBoundingClientRect();
      const s = document.getElementById('kv-stage').getBoundingClientRect();
      return { inside: i.top >= s.top && i.bottom <= s.bottom && i.left >= s.left && i.right <= s.right, w: i.width };
    });
    assert.ok(r.inside && r.w > 100, JSON.stringify(r));
    await snap(p, 'no-sizes');
    assert.deepEqual(p.problems, []);
    await p.close();
  });

  it('handles a one-image album, whose arrays carry an extra empty element', async () => {
    const a = album({ images: 1, large: true, linkUrl: 'javascript:alert(1)', linkText: 'bad link' });
    const def = fs.readFileSync(path.join(a.dir, 'ext/js/albumdef.js'), 'utf8');
    assert.match(def, /var smallWidth {4}= new Array\( \d+, '' {2}\);\r\n/);
    const p = await open(a);
    await waitShown(p, '0001.jpg');
    assert.equal(await p.$$eval('.kv-thumb', (t) => t.length), 1);
    assert.equal((await shown(p)).counter, '1 / 1');
    assert.equal(await p.isDisabled('.kv-play'), true);
    assert.equal(await p.$('.kv-album-link'), null, 'a script address is not offered as the album link');
    await snap(p, 'one-image');
    assert.deepEqual(p.problems, []);
    await p.close();
  });

  it('says so when the album data is missing or the album is empty', async () => {
    const a = album({ images: 2 });
    fs.unlinkSync(path.join(a.dir, 'ext/js/albumdef.js'));
    const p = await browser.newPage(DESKTOP);
    await p.goto(fileUrl(path.join(a.dir, 'index.html')));
    assert.equal(await p.textContent('.kv-message'), 'The album data could not be read.');
    assert.ok(p.problems.every((x) => /albumdef\.js|Failed to load resource/.test(x)), p.problems.join('\n'));
    await snap(p, 'no-album-data');

    // A caption that ends in a backslash leaves albumdef.js unparsable.
    const c = album({ images: 2 });
    const def = path.join(c.dir, 'ext/js/albumdef.js');
    fs.writeFileSync(def, fs.readFileSync(def, 'utf8').replace("'Caption 1'", "'Caption 1\\'"));
    p.problems.length = 0;
    await p.goto(fileUrl(path.join(c.dir, 'index.html')));
    assert.equal(await p.textContent('.kv-message'), 'The album data could not be read.');
    assert.ok(p.problems.length >= 1 && p.problems.every((x) => /SyntaxError|Invalid or unexpected token|missing \)/i.test(x)), p.problems.join('\n'));

    const b = album({ images: [] });
    p.problems.length = 0;
    await p.goto(fileUrl(path.join(b.dir, 'index.html')));
    assert.equal(await p.textContent('.kv-message'), 'This album contains no images.');
    assert.deepEqual(p.problems, []);
    await p.close();
  });
});
