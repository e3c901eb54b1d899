// web/serve.py over a folder of its own: types, precompressed copies chosen by Accept-Encoding,
// cache headers by name, conditional requests and the answers the page depends on.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, writeFileSync, rmSync } from 'node:fs';
import { request } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { spawnSync } from 'node:child_process';
import { gzipSync, brotliCompressSync } from 'node:zlib';
import { startServer, projectRoot } from './driver.mjs';

let root;
let server;
// Big and compressible: its precompressed copies are far smaller.
const data = Buffer.alloc(256 * 1024, 0x41);
const hashedData = 'orrery3d.0123456789ab.data';
const copies = { gzip: gzipSync(data, { level: 9 }), br: brotliCompressSync(data) };

before(async () => {
  root = mkdtempSync(join(tmpdir(), 'orrery-serve-test-'));
  writeFileSync(join(root, 'index.html'), '<!doctype html><title>t</title>');
  writeFileSync(join(root, 'orrery3d.wasm'), Buffer.from([0, 0x61, 0x73, 0x6d, 1, 0, 0, 0]));
  writeFileSync(join(root, 'orrery3d.data'), data);
  writeFileSync(join(root, 'orrery3d.js'), 'var x = 1;\n');
  writeFileSync(join(root, hashedData), data);
  writeFileSync(join(root, hashedData + '.gz'), copies.gzip);
  writeFileSync(join(root, hashedData + '.br'), copies.br);
  server = await startServer(root);
});

after(() => {
  if (server) server.stop();
  rmSync(root, { recursive: true, force: true });
});

// One request with node's http client, which hands over the body as it was sent (fetch would
// decode it). Resolves to { status, headers, body }.
function get(path, headers = {}) {
  return new Promise((resolve, reject) => {
    const url = new URL(server.url + path);
    const req = request({ host: url.hostname, port: url.port, path: url.pathname, headers }, (response) => {
      const chunks = [];
      response.on('data', (chunk) => chunks.push(chunk));
      response.on('end', () => resolve({ status: response.statusCode, headers: response.headers, body: Buffer.concat(chunks) }));
    });
    req.on('error', reject);
    req.end();
  });
}

test('files are sent with their types and no isolation headers, plain names no-cache', async () => {
  for (const [path, type] of [['/orrery3d.wasm', 'application/wasm'], ['/orrery3d.data', 'application/octet-stream'],
    ['/orrery3d.js', 'text/javascript'], ['/index.html', 'text/html'], ['/', 'text/html']]) {
    const response = await get(path, { 'Accept-Encoding': 'gzip, br' });
    assert.equal(response.status, 200, path);
    assert.ok(response.headers['content-type'].startsWith(type), path + ': ' + response.headers['content-type']);
    assert.equal(response.headers['cache-control'], 'no-cache', path);
    assert.equal(response.headers['cross-origin-opener-policy'], undefined, path);
    assert.equal(response.headers['cross-origin-embedder-policy'], undefined, path);
    // Nothing precompressed beside these: sent as they are, and no Vary.
    assert.equal(response.headers['content-encoding'], undefined, path);
    assert.equal(response.headers.vary, undefined, path);
  }
  const response = await get('/orrery3d.data');
  assert.equal(Number(response.headers['content-length']), data.length);
  assert.deepEqual(response.body, data);
});

test('a hashed name is cached for good and sent as the precompressed copy the browser takes', async () => {
  const cases = [
    ['gzip, deflate, br', 'br', copies.br],
    ['br', 'br', copies.br],
    ['gzip', 'gzip', copies.gzip],
    ['br;q=0, gzip;q=0.5', 'gzip', copies.gzip],
    ['*', 'br', copies.br],
    ['identity', undefined, data],
    ['gzip;q=0, br;q=0', undefined, data],
    [undefined, undefined, data],
  ];
  for (const [accept, coding, body] of cases) {
    const response = await get('/' + hashedData, accept === undefined ? {} : { 'Accept-Encoding': accept });
    const what = 'Accept-Encoding: ' + accept;
    assert.equal(response.status, 200, what);
    assert.equal(response.headers['content-encoding'], coding, what);
    assert.equal(response.headers['content-type'], 'application/octet-stream', what);
    assert.equal(response.headers['cache-control'], 'public, max-age=31536000, immutable', what);
    assert.equal(response.headers.vary, 'Accept-Encoding', what);
    assert.equal(Number(response.headers['content-length']), body.length, what);
    assert.deepEqual(response.body, body, what);
  }
});

test('a browser with a current copy is answered 304 without a body, by ETag or by date', async () => {
  for (const [path, accept] of [['/index.html', 'gzip'], ['/' + hashedData, 'br'], ['/' + hashedData, 'gzip']]) {
    const first = await get(path, { 'Accept-Encoding': accept });
    assert.equal(first.status, 200, path);
    const byTag = await get(path, { 'Accept-Encoding': accept, 'If-None-Match': first.headers.etag });
    assert.equal(byTag.status, 304, path);
    assert.equal(byTag.body.length, 0, path);
    assert.equal(byTag.headers.etag, first.headers.etag, path);
    const byDate = await get(path, { 'Accept-Encoding': accept, 'If-Modified-Since': first.headers['last-modified'] });
    assert.equal(byDate.status, 304, path);
    // Another tag (the file changed): the whole file again.
    const changed = await get(path, { 'Accept-Encoding': accept, 'If-None-Match': '"other"' });
    assert.equal(changed.status, 200, path);
    assert.deepEqual(changed.body, first.body, path);
  }
  // Each encoding has its own tag: a gzip copy's tag does not stand for the Brotli copy.
  const gz = await get('/' + hashedData, { 'Accept-Encoding': 'gzip' });
  const br = await get('/' + hashedData, { 'Accept-Encoding': 'br', 'If-None-Match': gz.headers.etag });
  assert.equal(br.status, 200);
  assert.equal(br.headers['content-encoding'], 'br');
});

test('a missing file is 404, also where only its compressed copy would be', async () => {
  const absent = await get('/nothing-here.js', { 'Accept-Encoding': 'gzip, br' });
  assert.equal(absent.status, 404);
  writeFileSync(join(root, 'only-copies.js.gz'), gzipSync(Buffer.from('x')));
  const copyOnly = await get('/only-copies.js', { 'Accept-Encoding': 'gzip' });
  assert.equal(copyOnly.status, 404);
});

test('a folder without index.html is refused with a reason', () => {
  const empty = mkdtempSync(join(tmpdir(), 'orrery-serve-empty-'));
  try {
    const run = spawnSync('python3', [join(projectRoot, 'web', 'serve.py'), '--port', '0', '--root', empty], { encoding: 'utf8', timeout: 30000 });
    assert.equal(run.status, 1);
    assert.match(run.stderr, /has no index\.html/);
  } finally {
    rmSync(empty, { recursive: true, force: true });
  }
});
