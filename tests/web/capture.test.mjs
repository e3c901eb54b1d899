// capture.html with the web capture tool: its frames come back out of the in-memory file system
// under the names it wrote, and its exit code and output are published.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { PNG } from 'pngjs';
import { runCapture, captureDir } from './driver.mjs';
import { deadlineMs as timeoutMs, servedSite } from './fixture.mjs';

const served = servedSite();

test('frames asked for with --at come back as PNG files of the asked size, named by show time', async () => {
  const result = await runCapture(served.browser, served.server.url,
    ['--size', '160x120', '--fps', '10', '--at', '1', '--at', '2.5', '--out', captureDir], { timeoutMs });
  assert.equal(result.exitCode, 0, result.stderr.join('\n'));
  assert.deepEqual(result.files.map((f) => f.name), ['t001.000.png', 't002.500.png']);
  for (const file of result.files) {
    const png = PNG.sync.read(file.bytes);
    assert.equal(png.width, 160, file.name);
    assert.equal(png.height, 120, file.name);
  }
});

test('a bad option ends the tool with exit code 2 and its reason on standard error', async () => {
  const result = await runCapture(served.browser, served.server.url, ['--no-such-option'], { timeoutMs });
  assert.equal(result.exitCode, 2);
  assert.ok(result.stderr.some((line) => line.includes('unknown option --no-such-option')), result.stderr.join('\n'));
  assert.deepEqual(result.files, []);
});

test('--help prints the usage on standard output and exits 0', async () => {
  const result = await runCapture(served.browser, served.server.url, ['--help'], { timeoutMs });
  assert.equal(result.exitCode, 0);
  assert.ok(result.stdout.some((line) => line.startsWith('usage: orrery3d-capture')), result.stdout.join('\n'));
});
