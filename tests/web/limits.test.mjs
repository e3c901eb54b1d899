// ?webgl-limits=minimum on the capture page: the program's WebGL 2 context answers no more than
// WebGL 2's guaranteed minimums, the program sees them (its device sizes merged draws by the
// vertex uniform vectors it reads) and says so, and the show still draws the same frames.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { PNG } from 'pngjs';
import { runCapture, captureDir, frameDifference } from './driver.mjs';
import { deadlineMs as timeoutMs, servedSite } from './fixture.mjs';

const served = servedSite();

const cappedLine = "webgl_context: limits capped to WebGL 2's minimums";
// What the device prints when it reads 256 vertex uniform vectors: fewer instances per merged draw.
const smallerBatches = /^gpu\/renderer: 256 vertex uniform vectors hold (\d+) instances per merged draw/;

// Runs the capture tool with `args` on a page whose address carries webgl-limits=`limits`
// (undefined: none), as pageUrl adds it from ORRERY_WEB_LIMITS, whatever the suite runs under.
async function captureWithLimits(limits, args) {
  const saved = process.env.ORRERY_WEB_LIMITS;
  if (limits === undefined) delete process.env.ORRERY_WEB_LIMITS;
  else process.env.ORRERY_WEB_LIMITS = limits;
  try {
    return await runCapture(served.browser, served.server.url, args, { timeoutMs });
  } finally {
    if (saved === undefined) delete process.env.ORRERY_WEB_LIMITS;
    else process.env.ORRERY_WEB_LIMITS = saved;
  }
}

// A city frame a minute into the show: snow, steam and smoke, particles drawn as merged draws.
const cityFrame = ['--size', '160x120', '--fps', '10', '--at', '60', '--out', captureDir];

function onlyFrame(result) {
  assert.equal(result.exitCode, 0, result.stderr.join('\n'));
  assert.deepEqual(result.files.map((f) => f.name), ['t060.000.png']);
  return PNG.sync.read(result.files[0].bytes);
}

test('capped, the program reads the minimums, says so once, and draws the frame it draws uncapped', async () => {
  const capped = await captureWithLimits('minimum', cityFrame);
  const cappedFrame = onlyFrame(capped);
  assert.equal(capped.stderr.filter((line) => line.includes(cappedLine)).length, 1, capped.stderr.join('\n'));
  const batch = capped.stderr.map((line) => smallerBatches.exec(line)).find((match) => match);
  assert.ok(batch, 'the device did not see 256 vertex uniform vectors:\n' + capped.stderr.join('\n'));
  assert.ok(Number(batch[1]) >= 2 && Number(batch[1]) < 64, batch[0]);

  const uncapped = await captureWithLimits(undefined, cityFrame);
  const uncappedFrame = onlyFrame(uncapped);
  assert.ok(!uncapped.stderr.some((line) => line.includes(cappedLine)), uncapped.stderr.join('\n'));
  assert.ok(!uncapped.stderr.some((line) => smallerBatches.test(line)), uncapped.stderr.join('\n'));

  // Not black (the picture is a band across the middle at this size), and the same picture
  // within what web-compare allows.
  let lit = 0;
  for (let p = 0; p < cappedFrame.data.length; p += 4) {
    if (cappedFrame.data[p] + cappedFrame.data[p + 1] + cappedFrame.data[p + 2] > 30) ++lit;
  }
  assert.ok(lit > (cappedFrame.width * cappedFrame.height) / 10, lit + ' lit pixels');
  const d = frameDifference(cappedFrame, uncappedFrame);
  assert.ok(d.mean < 2 && d.percentOff < 1, JSON.stringify(d));
});

test('a value other than minimum leaves the limits as they are and says why', async () => {
  const result = await captureWithLimits('tiny', ['--size', '64x48', '--fps', '10', '--at', '0.5', '--out', captureDir]);
  assert.equal(result.exitCode, 0, result.stderr.join('\n'));
  assert.ok(result.stderr.some((line) => line.includes('?webgl-limits takes only "minimum"')), result.stderr.join('\n'));
  assert.ok(!result.stderr.some((line) => line.includes(cappedLine) || smallerBatches.test(line)), result.stderr.join('\n'));
});
