#!/usr/bin/env node
// SPDX-License-Identifier: MIT
'use strict';
// Every skin file of the album template set stands alone (the album copies only
// the chosen one), so the page structure is repeated in each. appearance_dim.css
// holds the master copy: this tool copies its structure section, everything from
// the structure marker on, into every other appearance_*.css, keeping each
// skin's own colour block. With --check it only reports skins that differ.
const fs = require('node:fs');
const path = require('node:path');

const MARKER = '/* ==== structure: shared by every skin (kept identical in all of them) ==== */';
const dir = process.argv.find((a) => a.startsWith('--dir='))?.slice(6) ||
  path.resolve(__dirname, '..', '..', '..', 'templates', 'js2', 'ext', 'css');
const check = process.argv.includes('--check');

function split(text, file) {
  const i = text.indexOf(MARKER);
  if (i < 0) throw new Error(file + ': structure marker missing');
  return [text.slice(0, i), text.slice(i)];
}

const master = split(fs.readFileSync(path.join(dir, 'appearance_dim.css'), 'utf8'), 'appearance_dim.css')[1];
const stale = [];
for (const f of fs.readdirSync(dir).filter((n) => /^appearance_.+\.css$/.test(n) && n !== 'appearance_dim.css')) {
  const file = path.join(dir, f);
  const text = fs.readFileSync(file, 'utf8');
  const [head, structure] = split(text.includes(MARKER) ? text : text.trimEnd() + '\n\n' + MARKER + '\n', f);
  if (structure === master) continue;
  stale.push(f);
  if (!check) fs.writeFileSync(file, head + master);
}
if (check && stale.length) { console.error('skins out of step with appearance_dim.css: ' + stale.join(', ')); process.exit(1); }
if (!check && stale.length) console.log('updated: ' + stale.join(', '));
