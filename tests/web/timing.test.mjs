// The show's clock on the page: it keeps the picture in step with the music, and a hidden page
// pauses both, which go on together from the same show time when it is shown again.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { musicDrift, pageUrl, pageVisibility, recordFrames, waitFor } from './driver.mjs';
import { deadlineMs, servedSite } from './fixture.mjs';

const served = servedSite();
const oneFrame = 1 / 60;

test('a hidden page pauses the show and its music, which go on in step when it is shown', async () => {
  const context = await served.browser.newContext({ viewport: { width: 1280, height: 720 } });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  try {
    await page.goto(pageUrl(served.server.url, 'index.html'));
    const orrery = () => page.evaluate(() => ({ ...window.orrery, onFrame: null }));
    const until = (what, cond) => waitFor(async () => cond(await orrery()), { timeoutMs: deadlineMs, what });
    await until('the setup form', (o) => o.state === 'setup');
    await page.locator('#setup [data-control-id="1"]').click();
    await recordFrames(page);
    await until('two seconds of show with music', (o) => o.showTime > 2 && o.musicTime !== null);

    const heard = () => page.evaluate(() => window.Module.orreryMusic.position());
    await pageVisibility.hide(page);
    const hidden = await orrery();
    const heardAtHiding = await heard();
    await new Promise((resolve) => setTimeout(resolve, 5000));
    const stillHidden = await orrery();
    // A frame already under way when the page was hidden may still be presented, at the time the
    // clock stopped at.
    assert.ok(stillHidden.frames - hidden.frames <= 1, (stillHidden.frames - hidden.frames) + ' frames while hidden');
    assert.ok(stillHidden.showTime - hidden.showTime < 0.1, 'show time ' + hidden.showTime + ' -> ' + stillHidden.showTime);
    assert.ok(Math.abs((await heard()) - heardAtHiding) < 0.1, 'the music played on while the page was hidden');

    const shownAt = await pageVisibility.show(page);
    await until('frames after the page was shown', (o) => o.frames >= stillHidden.frames + 3);
    // The first frame after the page was shown took its time between then and its present: the
    // show time may have moved on by that much, not by the time the page was hidden.
    const [presentedAt, showTime] = (await page.evaluate(() => window.orreryFrames))
      .find(([at]) => at > shownAt);
    const moved = showTime - stillHidden.showTime;
    const visibleSince = (presentedAt - shownAt) / 1000;
    assert.ok(moved >= 0 && moved - visibleSince < 0.1, 'show time moved ' + moved.toFixed(3) +
      ' s across the hidden time, ' + visibleSince.toFixed(3) + ' s of it after the page was shown');

    // Two more seconds: every frame's show time within one frame of what was heard.
    const seen = (await page.evaluate(() => window.orreryFrames.length));
    await until('two more seconds of show', (o) => o.showTime > stillHidden.showTime + 2);
    const frames = (await page.evaluate(() => window.orreryFrames)).slice(seen);
    const drift = musicDrift(frames);
    assert.equal(drift.withMusic, frames.length, 'frames without music after the page was shown');
    assert.ok(drift.maxMs < 1000 * oneFrame, 'music and show time ' + drift.maxMs.toFixed(1) + ' ms apart');
    assert.deepEqual(errors, []);
  } finally {
    await context.close();
  }
});

test('from the first frame with music on, show time and music stay within one frame', async () => {
  const context = await served.browser.newContext({ viewport: { width: 1280, height: 720 } });
  const page = await context.newPage();
  try {
    await page.goto(pageUrl(served.server.url, 'index.html'));
    await waitFor(() => page.evaluate(() => window.orrery.state === 'setup'), { timeoutMs: deadlineMs, what: 'the setup form' });
    await page.locator('#setup [data-control-id="1"]').click();
    await recordFrames(page);
    await waitFor(() => page.evaluate(() => window.orrery.showTime > 6), { timeoutMs: deadlineMs, what: 'six seconds of show' });
    const frames = await page.evaluate(() => window.orreryFrames);
    const drift = musicDrift(frames);
    // The music starts once it is decoded, a moment into the show; from then on every frame has it.
    const firstWithMusic = frames.findIndex(([, , music]) => music !== null);
    assert.ok(firstWithMusic >= 0 && frames[firstWithMusic][1] < 3, 'the music started at show time ' +
      (firstWithMusic >= 0 ? frames[firstWithMusic][1] : 'never'));
    assert.equal(drift.withMusic, frames.length - firstWithMusic, 'frames without music after it started');
    assert.ok(drift.maxMs < 1000 * oneFrame, 'music and show time ' + drift.maxMs.toFixed(1) + ' ms apart');
    // Show time only goes forward.
    for (let i = 1; i < frames.length; ++i) assert.ok(frames[i][1] >= frames[i - 1][1], 'show time went back at frame ' + i);
  } finally {
    await context.close();
  }
});
