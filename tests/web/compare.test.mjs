// The frame comparison behind scripts/web-compare: its three measures and its threshold.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync, mkdirSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { PNG } from 'pngjs';
import { frameDifference, compareFolders } from './driver.mjs';

// A width x height frame of one grey level, then `patch` applied to it (x, y, [r, g, b]).
function frame(width, height, grey, patch = []) {
  const png = new PNG({ width, height });
  for (let i = 0; i < width * height; ++i) png.data.set([grey, grey, grey, 255], i * 4);
  for (const [x, y, rgb] of patch) png.data.set([...rgb, 255], (y * width + x) * 4);
  return png;
}

test('mean, pixels off and largest difference over the colour channels', () => {
  assert.deepEqual(frameDifference(frame(10, 10, 50), frame(10, 10, 50)), { mean: 0, percentOff: 0, max: 0 });
  assert.deepEqual(frameDifference(frame(10, 10, 50), frame(10, 10, 51)), { mean: 1, percentOff: 0, max: 1 });
  // One channel of one pixel in a hundred off by 9: over 8, so that pixel counts as off.
  const one = frameDifference(frame(10, 10, 50), frame(10, 10, 50, [[3, 4, [59, 50, 50]]]));
  assert.equal(one.percentOff, 1);
  assert.equal(one.max, 9);
  assert.ok(Math.abs(one.mean - 9 / 300) < 1e-12);
  // Off by exactly 8 is not off.
  assert.equal(frameDifference(frame(4, 4, 0), frame(4, 4, 8)).percentOff, 0);
  // Alpha is not compared.
  const clear = frame(4, 4, 20);
  clear.data[3] = 0;
  assert.equal(frameDifference(frame(4, 4, 20), clear).max, 0);
});

test('frames of different sizes are an error', () => {
  assert.throws(() => frameDifference(frame(4, 4, 0), frame(4, 5, 0)), /sizes differ: 4x4 and 4x5/);
});

test('folders are compared by file name against mean < 2 and < 1 % of pixels off', () => {
  const root = mkdtempSync(join(tmpdir(), 'orrery-compare-'));
  try {
    const a = join(root, 'a');
    const b = join(root, 'b');
    mkdirSync(a);
    mkdirSync(b);
    const put = (dir, name, png) => writeFileSync(join(dir, name), PNG.sync.write(png));
    const patch = (count) => Array.from({ length: count }, (_, i) => [i % 20, Math.floor(i / 20), [255, 0, 0]]);
    put(a, 't001.000.png', frame(20, 20, 100));
    put(b, 't001.000.png', frame(20, 20, 101));            // mean 1: passes
    put(a, 't002.000.png', frame(20, 20, 100));
    put(b, 't002.000.png', frame(20, 20, 102));            // mean 2: misses
    put(a, 't003.000.png', frame(20, 20, 100));
    put(b, 't003.000.png', frame(20, 20, 100, patch(3)));  // 0.75 % off: passes
    put(a, 't004.000.png', frame(20, 20, 100));
    put(b, 't004.000.png', frame(20, 20, 100, patch(4)));  // 1 % off: misses
    put(a, 't005.000.png', frame(20, 20, 100));            // no partner: misses
    const results = compareFolders(a, b);
    assert.deepEqual(results.map((r) => [r.name, r.pass]), [
      ['t001.000.png', true], ['t002.000.png', false], ['t003.000.png', true], ['t004.000.png', false], ['t005.000.png', false],
    ]);
    assert.match(results[4].error, /ENOENT/);
  } finally {
    rmSync(root, { recursive: true, force: true });
  }
});
