// web/bundle.py over a small site of its own: content-hashed names, pages that name them,
// precompressed copies of what is over 1 KB, and the same bytes from the same site.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { createHash } from 'node:crypto';
import { mkdtempSync, mkdirSync, writeFileSync, readFileSync, readdirSync, existsSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { spawnSync } from 'node:child_process';
import { gunzipSync, brotliDecompressSync } from 'node:zlib';
import { projectRoot } from './driver.mjs';

let scratch;
let site;
const files = {
  'page.js': Buffer.from('// the page script\n' + 'console.log("x");\n'.repeat(100)),
  'page.css': Buffer.from('body { color: #ddd; }\n'),
  'orrery3d.js': Buffer.from('var Module;\n' + '/* program */\n'.repeat(200)),
  'orrery3d.wasm': Buffer.concat([Buffer.from([0, 0x61, 0x73, 0x6d, 1, 0, 0, 0]), Buffer.alloc(4096, 7)]),
  'orrery3d.data': Buffer.alloc(64 * 1024, 0x41),
};
const page = (title) => '<!doctype html>\n<title>' + title + '</title>\n<link rel="stylesheet" href="page.css">\n' +
  '<script id="orrery-files" type="application/json">{}</script>\n' +
  '<script id="orrery-sizes" type="application/json">{}</script>\n<script src="page.js"></script>\n' +
  '<a href="https://example.org/page.js">elsewhere</a>\n';

const hashOf = (bytes) => createHash('sha256').update(bytes).digest('hex').slice(0, 12);
const published = (name) => name.replace(/\.([a-z]+)$/, '.' + hashOf(files[name]) + '.$1');

function bundle(...args) {
  return spawnSync('python3', [join(projectRoot, 'web', 'bundle.py'), ...args], { encoding: 'utf8', timeout: 120000 });
}

before(() => {
  scratch = mkdtempSync(join(tmpdir(), 'orrery-bundle-test-'));
  site = join(scratch, 'site');
  mkdirSync(site);
  for (const [name, bytes] of Object.entries(files)) writeFileSync(join(site, name), bytes);
  writeFileSync(join(site, 'index.html'), page('show'));
  writeFileSync(join(site, 'capture.html'), page('capture'));
});

after(() => rmSync(scratch, { recursive: true, force: true }));

test('every file but the pages is named by its content, and the pages name those files', () => {
  const out = join(scratch, 'published');
  const run = bundle(site, out);
  assert.equal(run.status, 0, run.stderr);
  assert.match(run.stdout, /bytes raw, \d+ as gzip, \d+ as brotli/);
  const names = readdirSync(out).filter((name) => !/\.(gz|br)$/.test(name)).sort();
  const expected = ['capture.html', 'index.html', ...Object.keys(files).map(published)].sort();
  assert.deepEqual(names, expected);
  for (const name of Object.keys(files)) assert.deepEqual(readFileSync(join(out, published(name))), files[name], name);
  for (const html of ['index.html', 'capture.html']) {
    const text = readFileSync(join(out, html), 'utf8');
    assert.match(text, new RegExp('href="' + published('page.css').replace(/\./g, '\\.') + '"'), html);
    assert.match(text, new RegExp('src="' + published('page.js').replace(/\./g, '\\.') + '"'), html);
    assert.match(text, /href="https:\/\/example\.org\/page\.js"/, html);  // not one of the site's files
    const list = JSON.parse(text.match(/<script id="orrery-files" type="application\/json">(.*?)<\/script>/s)[1]);
    assert.deepEqual(list, Object.fromEntries(Object.keys(files).sort().map((name) => [name, published(name)])), html);
    const sizes = JSON.parse(text.match(/<script id="orrery-sizes" type="application\/json">(.*?)<\/script>/s)[1]);
    assert.deepEqual(sizes, Object.fromEntries(Object.keys(files).sort().map((name) => [name, files[name].length])), html);
  }
});

test('files over 1 KB have gzip and Brotli copies beside them that decode to the file', () => {
  const out = join(scratch, 'compressed');
  assert.equal(bundle(site, out).status, 0);
  for (const name of readdirSync(out).filter((n) => !/\.(gz|br)$/.test(n))) {
    const bytes = readFileSync(join(out, name));
    const copies = existsSync(join(out, name + '.gz')) && existsSync(join(out, name + '.br'));
    assert.equal(copies, bytes.length > 1024, name + ' (' + bytes.length + ' bytes)');
    if (!copies) continue;
    assert.deepEqual(gunzipSync(readFileSync(join(out, name + '.gz'))), bytes, name);
    assert.deepEqual(brotliDecompressSync(readFileSync(join(out, name + '.br'))), bytes, name);
  }
  assert.ok(existsSync(join(out, published('orrery3d.data') + '.br')));
  assert.ok(!existsSync(join(out, published('page.css') + '.gz')));
});

test('the same site gives the same folder and the same archive, under one top folder', () => {
  const runs = [1, 2].map((n) => {
    const out = join(scratch, 'again-' + n);
    const tar = join(scratch, 'again-' + n, '..', 'orrery3d-web-9.9-' + n + '.tar.gz');
    assert.equal(bundle(site, out, '--tar', tar).status, 0);
    return { out, tar };
  });
  const listing = (dir) => readdirSync(dir).sort().map((name) => [name, createHash('sha256').update(readFileSync(join(dir, name))).digest('hex')]);
  assert.deepEqual(listing(runs[0].out), listing(runs[1].out));
  const entries = spawnSync('tar', ['-tzf', runs[0].tar], { encoding: 'utf8' }).stdout.trim().split('\n').sort();
  assert.deepEqual(entries, ['orrery3d-web-9.9-1/', ...readdirSync(runs[0].out).sort().map((n) => 'orrery3d-web-9.9-1/' + n)]);
  // Only the top folder's name differs between the two archives.
  const unpack = join(scratch, 'unpacked');
  mkdirSync(unpack);
  assert.equal(spawnSync('tar', ['-xzf', runs[1].tar, '-C', unpack]).status, 0);
  assert.deepEqual(listing(join(unpack, 'orrery3d-web-9.9-2')), listing(runs[0].out));
});

test('what cannot be bundled is refused with the reason', () => {
  const noPage = join(scratch, 'no-page');
  mkdirSync(noPage);
  writeFileSync(join(noPage, 'page.js'), 'x');
  let run = bundle(noPage, join(scratch, 'out-1'));
  assert.equal(run.status, 1);
  assert.match(run.stderr, /has no index\.html/);

  run = bundle(site, join(site, 'inside'));
  assert.equal(run.status, 1);
  assert.match(run.stderr, /may not lie inside/);
  assert.ok(!existsSync(join(site, 'inside')));

  const unlisted = join(scratch, 'unlisted');
  mkdirSync(unlisted);
  writeFileSync(join(unlisted, 'page.js'), 'x');
  writeFileSync(join(unlisted, 'index.html'), '<script src="page.js"></script>');
  run = bundle(unlisted, join(scratch, 'out-2'));
  assert.equal(run.status, 1);
  assert.match(run.stderr, /index\.html loads page\.js but has no #orrery-files list/);
});
