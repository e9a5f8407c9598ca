// SPDX-License-Identifier: MIT
'use strict';
// Builds test albums the way Kavlo's album writer does: the template files are
// copied or instantiated into the album folder, albumdef.js is written line by
// line in the writer's exact form (CR LF line ends), and real photographs are
// copied in under the album's image names. Lets the tests try settings and file
// names directly, independent of the command line.

const fs = require('node:fs');
const path = require('node:path');
const os = require('node:os');
const { execFileSync } = require('node:child_process');

const REPO = path.resolve(__dirname, '..', '..', '..');
// The repository's test photos (KAVLO_TESTDATA names another folder holding photos/).
const PHOTOS = path.join(process.env.KAVLO_TESTDATA || path.join(REPO, 'tests', 'data'), 'photos');
const VERSION = 'test-1.0';

// The template set under test: KAVLO_TEMPLATES (the test stage points it at the
// copy beside the built program), else the source tree.
function templatesDir() {
  return process.env.KAVLO_TEMPLATES || path.join(REPO, 'templates');
}

// The folder holding readme.html and skins/: KAVLO_HELP, else the source tree.
function helpDir() {
  return process.env.KAVLO_HELP || path.join(REPO, 'help');
}

function outputDir() {
  const d = process.env.KAVLO_BROWSER_OUTPUT || path.join(REPO, 'build', 'test-output', 'browser');
  fs.mkdirSync(d, { recursive: true });
  return d;
}

// Pixel size of a JPEG from its first frame header.
function jpegSize(file) {
  const b = fs.readFileSync(file);
  let i = 2;
  while (i + 9 < b.length) {
    if (b[i] !== 0xff) { i++; continue; }
    const m = b[i + 1];
    if (m === 0xd8 || m === 0x01 || (m >= 0xd0 && m <= 0xd7) || m === 0xff) { i += m === 0xff ? 1 : 2; continue; }
    const len = b.readUInt16BE(i + 2);
    if ((m >= 0xc0 && m <= 0xcf) && m !== 0xc4 && m !== 0xc8 && m !== 0xcc) {
      return { w: b.readUInt16BE(i + 7), h: b.readUInt16BE(i + 5) };
    }
    i += 2 + len;
  }
  throw new Error('no frame header in ' + file);
}

function fitBox(bw, bh, w, h) {
  const s = Math.min(bw / w, bh / h);
  return { w: Math.max(1, Math.round(w * s)), h: Math.max(1, Math.round(h * s)) };
}

// jsEscape as the writer applies it: quotes escaped, CR and LF become blanks.
function jsEscape(s) {
  return String(s).replace(/'/g, "\\'").replace(/"/g, '\\"').replace(/\n/g, ' ').replace(/\r/g, ' ');
}

// The start page's texts as the album writer makes them (see startPageReplacements).
function pageText(s) {
  return String(s).replace(/&(?!#?[A-Za-z0-9]{1,11};)/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
    .replace(/"/g, '&quot;').replace(/%/g, '&#37;');
}
function plainCaption(html) {
  return String(html).replace(/<[^>]*>?/g, ' ').replace(/\s+/g, ' ').trim();
}
function fileUrlOf(folder, file) {
  const enc = (t) => encodeURIComponent(t).replace(/[!'()*]/g, (c) => '%' + c.charCodeAt(0).toString(16).toUpperCase());
  return folder.split('/').map(enc).join('/') + '/' + enc(file);
}
function startPage(o, images, S, dirs) {
  let description = plainCaption(o.intro.replace(/\r?\n/g, '<br>'));
  for (const im of images) if (!description) description = plainCaption(im.major);
  if (!description) description = o.title;
  if (Buffer.byteLength(description) > 300) description = Buffer.from(description).subarray(0, 300).toString('utf8').replace(/\uFFFD+$/, '') + '\u2026';
  let list = '\n<ol class="kv-plain-list">\n';
  images.slice(0, 1000).forEach((im, i) => {
    const m = S.medium[i];
    list += '<li><img src="' + pageText(fileUrlOf(dirs.medium, im.name)) + '" alt="' + pageText(plainCaption(im.major) || plainCaption(im.minor)) + '"' +
      (m && m.w > 0 ? ' width="' + m.w + '" height="' + m.h + '"' : '') + ' loading="lazy"></li>\n';
  });
  list += '</ol>\n';
  return {
    '%%KAVLO_VERSION%%': VERSION,
    '%%KAVLO_TITLE%%': pageText(o.title || 'Photo album'),
    '%%KAVLO_DESCRIPTION%%': pageText(description),
    '%%KAVLO_PREVIEW%%': images.length ? pageText(fileUrlOf(dirs.medium, images[0].name)) : '',
    '%%KAVLO_NOSCRIPT%%': list,
    '%%KAVLO_RENDITIONS%%': o.renditions ? '<script src="ext/js/renditions.js"></script>' : '',
  };
}

function numberArray(name, list) {
  let s = 'var ' + name.padEnd(14) + '= new Array( ';
  s += list.map((n) => String(n)).join(', ');
  if (list.length === 1) s += ", '' ";
  return s + ' );\n';
}

function instantiate(src, dst, map) {
  let text = fs.readFileSync(src, 'utf8').replace(/\r\n/g, '\n');
  for (const key of Object.keys(map).sort()) text = text.split(key).join(map[key]);
  fs.writeFileSync(dst, text.replace(/\n/g, '\r\n'));
}

function copy(src, dst) { fs.copyFileSync(src, dst); }

// A copy of photo src scaled to fit a box x box square (never enlarged), made
// once per run with vipsthumbnail (Debian's libvips-tools) and kept in a cache.
const SCALED = path.join(os.tmpdir(), 'kavlo-fixture-scaled-' + process.pid);
function scaled(src, box) {
  const out = path.join(SCALED, path.basename(path.dirname(src)) + '-' + path.basename(src, '.jpg') + '-' + box + '.jpg');
  if (!fs.existsSync(out)) {
    fs.mkdirSync(SCALED, { recursive: true });
    execFileSync('vipsthumbnail', [src, '--size', box + 'x' + box + '>', '-o', out + '[Q=85,optimize_coding,strip]']);
  }
  return out;
}
process.on('exit', () => fs.rmSync(SCALED, { recursive: true, force: true }));

// Steps of extra renditions (long-side boxes) of albums given a list of steps.
const RENDITION_STEPS = [1280, 1920, 2560, 3264];

// The program whose album writer makes the image files, the renditions and
// ext/js/renditions.js of albums with `renditions: true` (KAVLO_PROGRAM, else the
// build tree's); without one that knows the renditions key they are made here.
const PROGRAM = process.env.KAVLO_PROGRAM || path.join(REPO, 'build', 'app', 'kavlo');
let programKnowsRenditions;
function programReady() {
  if (programKnowsRenditions === undefined) {
    programKnowsRenditions = false;
    try {
      programKnowsRenditions = /\brenditions\b/.test(execFileSync(PROGRAM, ['--help'], { encoding: 'utf8', timeout: 20000 }));
    } catch (e) { /* no program */ }
  }
  return programKnowsRenditions;
}

// The album the program makes of these photos with these settings: one run per
// distinct set in a process, kept with the scaled copies.
const programAlbums = {};
function programAlbum(images, o, dirs) {
  const settings = {
    small: o.small ? 'yes' : 'no', shsize: o.sizes.small[0], svsize: o.sizes.small[1],
    mhsize: o.sizes.medium[0], mvsize: o.sizes.medium[1], large: o.large ? 'yes' : 'no',
    lhsize: o.sizes.large[0], lvsize: o.sizes.large[1], sdir: dirs.small, mdir: dirs.medium,
    ldir: dirs.large, renditions: 'yes',
  };
  const key = JSON.stringify([images.map((im) => im.photo), settings]);
  if (programAlbums[key]) return programAlbums[key];
  const work = path.join(SCALED, 'program-' + Object.keys(programAlbums).length);
  const photos = path.join(work, 'photos'), cfg = path.join(work, 'config');
  fs.mkdirSync(photos, { recursive: true });
  fs.mkdirSync(path.join(cfg, 'kavlo'), { recursive: true });
  // Listed by name, the copies keep the album's order.
  images.forEach((im, i) => copy(path.join(PHOTOS, im.photo), path.join(photos, 'p' + String(i + 1).padStart(6, '0') + '.jpg')));
  const keys = Object.entries(settings).map(([k, v]) => '  ' + k.padEnd(15) + '= "' + v + '"\r\n').join('');
  fs.writeFileSync(path.join(cfg, 'kavlo', 'kavlo_settings.xml'),
    '<?xml version="1.0" encoding="utf-8"?>\r\n<resource>\r\n<values\r\n' + keys + '/>\r\n</resource>\r\n');
  const env = Object.fromEntries(Object.entries(process.env).filter(([k]) => !/^KAVLO_|^DISPLAY$|^WAYLAND_DISPLAY$/.test(k)));
  execFileSync(PROGRAM, [photos, '-Automation', '--no-gui', '--quiet'], {
    env: Object.assign(env, { XDG_CONFIG_HOME: cfg }), timeout: 300000, stdio: ['ignore', 'ignore', 'pipe'],
  });
  return (programAlbums[key] = path.join(photos, 'album'));
}

// Copies the program's files of every image into the album under the album's names:
// the three sizes (their pixel sizes into S), the rendition folders named by
// ext/js/renditions.js, the 2x thumbnails, and renditions.js itself.
function programFiles(dir, images, o, dirs, S) {
  const made = programAlbum(images, o, dirs);
  const script = fs.readFileSync(path.join(made, 'ext/js/renditions.js'), 'utf8');
  const data = JSON.parse(script.replace(/^var renditions = /, '').replace(/;\s*$/, ''));
  const folders = data.dirs.concat(data.thumb2xDir ? [data.thumb2xDir] : []);
  images.forEach((im, i) => {
    const own = String(i + 1).padStart(4, '0') + '.jpg';
    for (const kind of ['small', 'medium', 'large']) {
      if ((kind === 'small' && !o.small) || (kind === 'large' && !o.large)) continue;
      const file = path.join(made, dirs[kind], own);
      fs.mkdirSync(path.join(dir, dirs[kind]), { recursive: true });
      if (!im.missing) copy(file, path.join(dir, dirs[kind], im.name));
      S[kind].push(jpegSize(file));
    }
    for (const folder of folders) {
      const file = path.join(made, folder, own);
      if (!fs.existsSync(file)) continue;
      fs.mkdirSync(path.join(dir, folder), { recursive: true });
      if (!im.missing) copy(file, path.join(dir, folder, im.name));
    }
  });
  fs.copyFileSync(path.join(made, 'ext/js/renditions.js'), path.join(dir, 'ext/js/renditions.js'));
}

function crlf(s) { return s.replace(/\r?\n/g, '\r\n'); }

// The page scripts every album carries (one concern each), as the album writer
// copies them; small.js and large.js come only with thumbnails and large images.
const ALBUM_SCRIPTS = ['common.js', 'data.js', 'html.js', 'captions.js', 'intro.js', 'strip.js', 'viewer.js',
  'zoom.js', 'lightbox.js', 'navigation.js', 'slideshow.js', 'medium.js'];

const DEFAULT_PHOTOS = [
  'orientation/landscape_1.jpg', 'cameras/Canon_PowerShot_S40.jpg', 'orientation/portrait_1.jpg',
  'large/canon_hdr_NO.jpg', 'cameras/Reconyx_HC500_Hyperfire.jpg', 'cameras/Nikon_D70.jpg'
];

/**
 * Builds an album folder and returns { dir, images, ... }.
 * opts: title, intro, footer, small (default true), large (default false), smallPos,
 * language ('uk'), skin ('dim'), linkUrl, linkText, dirs {small, medium, large},
 * images: [{ photo, name, major, minor }] or a count of default photos,
 * renditions: true (or a list of long-side boxes) for an album with extra
 * renditions, ext/js/renditions.js and 2x thumbnails; its image files are then
 * real scaled copies at the sizes albumdef.js states. With true they are the
 * files and renditions.js of the program's album writer (KAVLO_PROGRAM) when the
 * program has renditions; a list of boxes is made here (vipsthumbnail). link: true hard-links the
 * image files instead of copying them (for albums of thousands of photos).
 */
function buildAlbum(opts = {}) {
  const o = Object.assign({
    title: 'Holiday', intro: '', footer: '\u00a9 2026 - Powered by Kavlo', small: true, large: false,
    smallPos: 'left', language: 'uk', skin: 'dim', linkUrl: '', linkText: '',
    dirs: { small: 'small', medium: 'medium', large: 'large' },
    sizes: { small: [80, 80], medium: [552, 552], large: [1024, 1024] }
  }, opts);
  const dirs = Object.assign({ small: 'small', medium: 'medium', large: 'large' }, opts.dirs || {});
  let images = o.images;
  if (images === undefined || typeof images === 'number') {
    const n = typeof images === 'number' ? images : 4;
    images = [];
    for (let i = 0; i < n; i++) {
      images.push({ photo: DEFAULT_PHOTOS[i % DEFAULT_PHOTOS.length], major: 'Caption ' + (i + 1), minor: '' });
    }
  }
  images = images.map((im, i) => Object.assign({ name: String(i + 1).padStart(4, '0') + '.jpg', major: '', minor: '' }, im));

  const dir = opts.dir || fs.mkdtempSync(path.join(os.tmpdir(), 'kavlo-album-'));
  const T = path.join(opts.templates || templatesDir(), 'js2');
  for (const d of ['ext', 'ext/css', 'ext/html', 'ext/js', 'ext/xml']) fs.mkdirSync(path.join(dir, d), { recursive: true });
  const map = { '%%KAVLO_VERSION%%': VERSION,
    '%%KAVLO_RENDITIONS%%': o.renditions ? '<script src="../js/renditions.js"></script>' : '' };
  copy(path.join(T, 'ext/js/index.js'), path.join(dir, 'ext/js/index.js'));
  copy(path.join(T, 'autorun.inf'), path.join(dir, 'autorun.inf'));
  instantiate(path.join(T, 'ext/html/medium.html'), path.join(dir, 'ext/html/medium.html'), map);
  // (Template sets of earlier versions, measured as a baseline, have fewer scripts.)
  for (const f of ALBUM_SCRIPTS) if (fs.existsSync(path.join(T, 'ext/js', f))) copy(path.join(T, 'ext/js', f), path.join(dir, 'ext/js', f));
  if (o.small) {
    instantiate(path.join(T, 'ext/html/small.html'), path.join(dir, 'ext/html/small.html'), map);
    copy(path.join(T, 'ext/js/small.js'), path.join(dir, 'ext/js/small.js'));
  }
  if (o.large) {
    instantiate(path.join(T, 'ext/html/large.html'), path.join(dir, 'ext/html/large.html'), map);
    if (fs.existsSync(path.join(T, 'ext/js/large.js'))) copy(path.join(T, 'ext/js/large.js'), path.join(dir, 'ext/js/large.js'));
  }
  copy(path.join(T, 'ext/kavlo.ico'), path.join(dir, 'ext/kavlo.ico'));
  copy(path.join(T, 'ext/css/appearance_' + o.skin + '.css'), path.join(dir, 'ext/css/appearance.css'));
  copy(path.join(T, 'ext/js/langdef_' + o.language + '.js'), path.join(dir, 'ext/js/langdef.js'));

  // Images: the real photo copied under the album name into each size folder
  // (scaled copies at the stated sizes in albums with renditions).
  const S = { small: [], medium: [], large: [] };
  const real = !!o.renditions;
  const fromProgram = o.renditions === true && programReady();
  const sizeOf = {};
  const put = o.link ? (a, b) => fs.linkSync(a, b) : copy;
  if (fromProgram) programFiles(dir, images, o, dirs, S);
  for (const im of fromProgram ? [] : images) {
    const src = path.join(PHOTOS, im.photo);
    const size = sizeOf[src] || (sizeOf[src] = jpegSize(src));
    for (const kind of ['small', 'medium', 'large']) {
      if (kind === 'small' && !o.small) continue;
      if (kind === 'large' && !o.large) continue;
      const folder = path.join(dir, dirs[kind]);
      fs.mkdirSync(folder, { recursive: true });
      const file = real ? scaled(src, o.sizes[kind][0]) : src;
      if (!im.missing) put(file, path.join(folder, im.name));
      S[kind].push(real ? jpegSize(file) : fitBox(o.sizes[kind][0], o.sizes[kind][1], size.w, size.h));
    }
  }
  if (o.renditions && !fromProgram) writeRenditions(dir, images, o, S);
  instantiate(path.join(T, 'index.html'), path.join(dir, 'index.html'), startPage(o, images, S, dirs));

  const minmax = (list, key) => [Math.min(...list.map((s) => s[key])), Math.max(...list.map((s) => s[key]))];
  let js = '';
  js += "var title         = '" + jsEscape(o.title) + "';\n";
  js += "var intro         = '" + jsEscape(o.intro.replace(/\r?\n/g, '<br>')) + "';\n";
  js += "var footer        = '" + jsEscape(o.footer) + "';\n";
  js += 'var nbImages      = ' + images.length + ';\n';
  js += "var smallDir      = '" + dirs.small + "';\n";
  js += "var mediumDir     = '" + dirs.medium + "';\n";
  js += "var largeDir      = '" + dirs.large + "';\n";
  js += 'var smallImages   = ' + (o.small ? 1 : 0) + ';\n';
  js += 'var largeImages   = ' + (o.large ? 1 : 0) + ';\n';
  js += 'var currentImage  = ' + (o.intro !== '' ? -1 : 0) + ';\n';
  js += 'var imageFilename = new Array( ' + images.map((im) => "'" + jsEscape(im.name) + "'").join(', ') + ' );\n';
  const block = (kind, cap) => {
    const list = S[kind];
    js += numberArray(kind + 'Width', list.map((s) => s.w));
    js += numberArray(kind + 'Height', list.map((s) => s.h));
    const [minW, maxW] = list.length ? minmax(list, 'w') : [0, 0];
    const [minH, maxH] = list.length ? minmax(list, 'h') : [0, 0];
    js += ('var min' + cap + 'W').padEnd(18) + '= ' + minW + ';\n';
    js += ('var min' + cap + 'H').padEnd(18) + '= ' + minH + ';\n';
    js += ('var max' + cap + 'W').padEnd(18) + '= ' + maxW + ';\n';
    js += ('var max' + cap + 'H').padEnd(18) + '= ' + maxH + ';\n';
  };
  if (o.small) block('small', 'Small');
  if (S.medium.length) block('medium', 'Medium');
  if (o.large) block('large', 'Large');
  js += 'var majorCaption  = new Array( ' + images.map((im) => "'" + jsEscape(im.major) + "'").join(', ') + ' );\n';
  js += 'var minorCaption  = new Array( ' + images.map((im) => "'" + jsEscape(im.minor) + "'").join(', ') + ' );\n';
  js += "var smallPos      = '" + (o.small ? o.smallPos : 'none') + "';\n";
  js += 'var clinks_href   = new Array();\n';
  js += 'var clinks_txt    = new Array();\n';
  js += "var slink_href    = '" + jsEscape(o.linkUrl) + "';\n";
  js += "var slink_txt     = '" + jsEscape(o.linkText) + "';\n";
  fs.writeFileSync(path.join(dir, 'ext/js/albumdef.js'), crlf(js));
  return { dir, images, sizes: S, dirs, options: o };
}

// ext/js/renditions.js and its files: step k of image i exists when the photo is
// larger than step k-1's box (the main size before the first), at most the photo's size.
function writeRenditions(dir, images, o, S) {
  const steps = Array.isArray(o.renditions) ? o.renditions : RENDITION_STEPS;
  const dirs = steps.map((b) => 'hd/' + b);
  const rows = images.map((im, i) => {
    const src = path.join(PHOTOS, im.photo);
    const size = jpegSize(src);
    let below = Math.max(o.sizes.medium[0], S.medium[i] ? Math.max(S.medium[i].w, S.medium[i].h) : 0);
    return steps.map((box, k) => {
      const long = Math.max(size.w, size.h);
      const exists = long > below;
      below = box;
      if (!exists) return null;
      const file = scaled(src, box);
      fs.mkdirSync(path.join(dir, dirs[k]), { recursive: true });
      if (!im.missing) copy(file, path.join(dir, dirs[k], im.name));
      const s = jpegSize(file);
      return [s.w, s.h];
    });
  });
  const thumbs = o.small ? images.map((im, i) => {
    const src = path.join(PHOTOS, im.photo);
    const file = scaled(src, o.sizes.small[0] * 2);
    const s = jpegSize(file);
    if (s.w <= S.small[i].w) return null;
    fs.mkdirSync(path.join(dir, 'small2x'), { recursive: true });
    copy(file, path.join(dir, 'small2x', im.name));
    return [s.w, s.h];
  }) : [];
  const pair = (p) => (p ? '[' + p[0] + ', ' + p[1] + ']' : 'null');
  let js = 'var renditions = {\n';
  js += '  "dirs": [' + dirs.map((d) => JSON.stringify(d)).join(', ') + '],\n';
  js += '  "sizes": [\n' + rows.map((r) => '    [' + r.map(pair).join(', ') + ']').join(',\n') + (rows.length ? '\n' : '') + '  ],\n';
  js += '  "thumb2xDir": ' + JSON.stringify(o.small ? 'small2x' : '') + ',\n';
  js += '  "thumb2x": [' + thumbs.map(pair).join(', ') + ']\n};\n';
  fs.writeFileSync(path.join(dir, 'ext/js/renditions.js'), crlf(js));
}

function xmlEscape(s) {
  return String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
}

function stripPowered(footer) {
  let f = footer;
  for (const w of [' - Powered by Kavlo', '- Powered by Kavlo', ' Powered by Kavlo', 'Powered by Kavlo']) f = f.split(w).join('');
  return f;
}

/**
 * Turns an album made by buildAlbum into a SimpleViewer album as the gallery
 * writer does: start page kept as index_html.html, viewer files copied, the
 * gallery page instantiated and gallery.xml written.
 * opts: textColor, frameColor, bgColor (rrggbb), frameWidth, stagePadding, cols, rows.
 */
function addSimpleViewer(album, opts = {}) {
  const o = Object.assign({ bgColor: '191919', textColor: 'ffffff', frameColor: '555555', frameWidth: 1, stagePadding: 35, cols: 3, rows: 3 }, opts);
  const a = album.options, dir = album.dir;
  const T = path.join(templatesDir(), 'simpleviewer');
  copy(path.join(dir, 'index.html'), path.join(dir, 'index_html.html'));
  copy(path.join(T, 'ext/js/swfobject.js'), path.join(dir, 'ext/js/swfobject.js'));
  copy(path.join(T, 'space.png'), path.join(dir, 'ext/space.png'));
  let footer = stripPowered(a.footer);
  if (a.linkUrl) footer += (footer ? ' &nbsp; :: &nbsp; ' : '') + '<a href="' + a.linkUrl + '"><u>' + a.linkText + '</u></a>';
  if (a.intro) footer += (footer ? ' &nbsp; :: &nbsp; ' : '') + '<a href="index.html"><u>Home</u></a>';
  footer = footer.replace(/</g, '%3C').replace(/>/g, '%3E').replace(/"/g, '%22').replace(/&/g, '%26');
  instantiate(path.join(T, 'index.html'), path.join(dir, 'index.html'), {
    '%%KAVLO_VERSION%%': VERSION, '%%BGCOLOR%%': '#' + o.bgColor, '%%TEXTCOLOR%%': '#' + o.textColor,
    '%%TEXTCOLOR_FLASH%%': '0x' + o.textColor, '%%FRAMECOLOR%%': '#' + o.frameColor, '%%TITLE%%': a.title,
    '%%INTRO%%': a.intro.replace(/\r?\n/g, '<br/>'), '%%INTRO_PRESENT%%': a.intro ? '1' : '0', '%%FOOTER%%': footer,
  });
  const pos = a.smallPos === 'none' ? 'left' : a.smallPos;
  let x = '<?xml version="1.0" encoding="utf-8"?>\n';
  x += '<simpleviewerGallery maxImageWidth="' + a.sizes.medium[0] + '" maxImageHeight="' + a.sizes.medium[1] + '" ' +
    'textColor="0x' + o.textColor + '" frameColor="0x' + o.frameColor + '" frameWidth="' + o.frameWidth + '" ' +
    'stagePadding="' + o.stagePadding + '" thumbnailColumns="' + (a.small ? o.cols : 0) + '" thumbnailRows="' + (a.small ? o.rows : 0) + '" ' +
    'navPosition="' + pos + '" title="' + xmlEscape(a.title) + '" enableRightClickOpen="false" ' +
    'backgroundImagePath="ext/kavlo_sv.swf" imagePath="' + album.dirs.medium + '/" thumbPath="' + album.dirs.small + '/">\n';
  for (const im of album.images) {
    x += '  <image>\n    <name>' + xmlEscape(im.name) + '</name>\n';
    if (a.large) x += '    <caption><![CDATA[' + im.major + (im.major ? '<br/><br/>' : '') + '<a target="_blank" href="' + album.dirs.large + '/' + im.name + '"><u>Zoom</u></a>]]></caption>\n';
    else if (im.major) x += '    <caption><![CDATA[' + im.major + ']]></caption>\n';
    else x += '    <caption></caption>\n';
    x += '  </image>\n';
  }
  x += '</simpleviewerGallery>';
  fs.writeFileSync(path.join(dir, 'gallery.xml'), crlf(x));
  return album;
}

/**
 * Adds the AutoViewer pages to an album made by buildAlbum with
 * dirs.medium 'images', as the AutoViewer writer does.
 */
function addAutoViewer(album, opts = {}) {
  const o = Object.assign({ bgColor: '191919', textColor: 'ffffff', frameColor: '555555', frameWidth: 1, padding: 35 }, opts);
  const a = album.options, dir = album.dir;
  const T = path.join(templatesDir(), 'autoviewer');
  copy(path.join(dir, 'index.html'), path.join(dir, 'index_html.html'));
  copy(path.join(T, 'swfobject.js'), path.join(dir, 'ext/swfobject.js'));
  copy(path.join(T, 'kavlo.ico'), path.join(dir, 'kavlo.ico'));
  instantiate(path.join(T, 'index.html'), path.join(dir, 'index.html'), {
    '%%KAVLO_VERSION%%': VERSION, '%%BGCOLOR%%': '#' + o.bgColor, '%%TEXTCOLOR%%': '#' + o.textColor,
    '%%ALBUMTITLE%%': a.title, '%%ALBUMFOOTER%%': stripPowered(a.footer),
  });
  let x = '<?xml version="1.0" encoding="utf-8"?>\n';
  x += '<gallery title="' + xmlEscape(a.title) + '" frameColor="0x' + o.frameColor + '" frameWidth="' + o.frameWidth + '" ' +
    'imagePadding="' + o.padding + '" displayTime="5" imagePath="' + album.dirs.medium + '/" thumbPath="' + album.dirs.small + '/">\n';
  album.images.forEach((im, i) => {
    const s = album.sizes.medium[i];
    x += '  <image>\n    <name>' + xmlEscape(im.name) + '</name>\n';
    x += im.major ? '    <caption><![CDATA[' + xmlEscape(im.major) + ']]></caption>\n' : '    <caption></caption>\n';
    x += '    <width>' + s.w + '</width>\n    <height>' + s.h + '</height>\n  </image>\n';
  });
  x += '</gallery>';
  fs.writeFileSync(path.join(dir, 'gallerydata.xml'), crlf(x));
  return album;
}

function removeAlbum(album) {
  if (album && album.dir && album.dir.startsWith(os.tmpdir())) fs.rmSync(album.dir, { recursive: true, force: true });
}

module.exports = { programReady, ALBUM_SCRIPTS, buildAlbum, addSimpleViewer, addAutoViewer, removeAlbum, templatesDir, helpDir, outputDir, jpegSize, jsEscape, instantiate, crlf, REPO, PHOTOS, VERSION };
