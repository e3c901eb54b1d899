// web/serve.py over a folder of its own: the types, headers and answers the page depends on.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, writeFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { spawnSync } from 'node:child_process';
import { startServer, projectRoot } from './driver.mjs';

let root;
let server;
// Big and compressible: a server that compressed it would send far fewer bytes.
const data = Buffer.alloc(256 * 1024, 0x41);

before(async () => {
  root = mkdtempSync(join(tmpdir(), 'orrery-serve-test-'));
  writeFileSync(join(root, 'index.html'), '<!doctype html><title>t</title>');
  writeFileSync(join(root, 'orrery3d.wasm'), Buffer.from([0, 0x61, 0x73, 0x6d, 1, 0, 0, 0]));
  writeFileSync(join(root, 'orrery3d.data'), data);
  writeFileSync(join(root, 'orrery3d.js'), 'var x = 1;\n');
  server = await startServer(root);
});

after(() => {
  if (server) server.stop();
  rmSync(root, { recursive: true, force: true });
});

const get = (path, headers = {}) => fetch(server.url + path, { headers: { 'Accept-Encoding': 'gzip, br', ...headers } });

test('files are sent with their types, uncompressed, never cached, cross-origin isolated', async () => {
  for (const [path, type] of [['/orrery3d.wasm', 'application/wasm'], ['/orrery3d.data', 'application/octet-stream'],
    ['/orrery3d.js', 'text/javascript'], ['/index.html', 'text/html']]) {
    const response = await get(path);
    assert.equal(response.status, 200, path);
    assert.ok(response.headers.get('content-type').startsWith(type), path + ': ' + response.headers.get('content-type'));
    assert.equal(response.headers.get('cache-control'), 'no-store', path);
    assert.equal(response.headers.get('cross-origin-opener-policy'), 'same-origin', path);
    assert.equal(response.headers.get('cross-origin-embedder-policy'), 'require-corp', path);
    assert.equal(response.headers.get('content-encoding'), null, path);
    await response.arrayBuffer();
  }
  const response = await get('/orrery3d.data');
  assert.equal(Number(response.headers.get('content-length')), data.length);
  assert.deepEqual(Buffer.from(await response.arrayBuffer()), data);
});

test('a conditional request still gets the whole file, and a missing file 404', async () => {
  const first = await get('/orrery3d.data');
  await first.arrayBuffer();
  const modified = first.headers.get('last-modified');
  const again = await get('/orrery3d.data', modified ? { 'If-Modified-Since': modified } : {});
  assert.equal(again.status, 200);
  assert.equal((await again.arrayBuffer()).byteLength, data.length);
  const absent = await get('/nothing-here.js');
  assert.equal(absent.status, 404);
  await absent.arrayBuffer();
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
