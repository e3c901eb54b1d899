// The show page in headless chromium: the setup form, a run at two resolutions ended with Esc,
// Cancel, a lost graphics device, and a missing soundtrack. Every wait is for a condition, with a generous deadline (the
// software rasteriser is slow). The site is build-web/site, or ORRERY_WEB_SITE.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { pageUrl, siteFile, waitFor } from './driver.mjs';
import { deadlineMs, servedSite } from './fixture.mjs';

const served = servedSite();

// A fresh page on index.html; what the page logs is kept for failure messages. With dataDelayMs
// the data package arrives that much later than the program.
async function openShow(params = {}, { dataDelayMs = 0 } = {}) {
  const context = await served.browser.newContext({ viewport: { width: 1280, height: 720 } });
  const page = await context.newPage();
  if (dataDelayMs > 0) {
    await page.route(siteFile('orrery3d.data'), async (route) => {
      await new Promise((resolve) => setTimeout(resolve, dataDelayMs));
      await route.continue();
    });
  }
  const log = [];
  page.on('console', (message) => log.push(message.text()));
  page.on('pageerror', (error) => log.push('page error: ' + error.message));
  await page.goto(pageUrl(served.server.url, 'index.html', params));
  const orrery = () => page.evaluate(() => ({ ...window.orrery }));
  const until = (what, cond) =>
    waitFor(async () => cond(await orrery()), { timeoutMs: deadlineMs, what: what + '\n' + log.slice(-20).join('\n') });
  const close = () => context.close();
  return { page, log, orrery, until, close };
}

async function waitForSetup(show) {
  await show.until('the setup form', (o) => o.state === 'setup');
  await show.page.waitForSelector('#setup form.dialog[data-dialog-id="101"]', { timeout: deadlineMs });
}

// What the form shows for one control: its kind, caption, checked and disabled states.
function describeControl(page, id) {
  return page.evaluate((controlId) => {
    const element = document.querySelector(`#setup [data-control-id="${controlId}"]`);
    if (!element) return null;
    const input = element.matches('input') ? element : element.querySelector('input');
    const legend = element.querySelector('legend');
    return {
      tag: element.tagName.toLowerCase(),
      type: input ? input.type : null,
      caption: (legend ? legend.textContent : element.textContent).trim(),
      checked: input ? input.checked : false,
      disabled: element.hasAttribute('disabled') || (input ? input.disabled : false),
    };
  }, id);
}

async function clickControl(page, id) {
  const element = page.locator(`#setup [data-control-id="${id}"]`);
  await element.click();
}

// Whether the canvas holds a picture other than black, read back through a 2D canvas (the window
// keeps its drawing buffer between frames, so what was presented is still there).
function canvasHasPicture(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const copy = document.createElement('canvas');
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext('2d');
    context.drawImage(canvas, 0, 0);
    const pixels = context.getImageData(0, 0, copy.width, copy.height).data;
    for (let i = 0; i < pixels.length; i += 4) {
      if (pixels[i] > 16 || pixels[i + 1] > 16 || pixels[i + 2] > 16) return true;
    }
    return false;
  });
}

function canvasSize(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    return { width: canvas.width, height: canvas.height };
  });
}

function isVisible(page, selector) {
  return page.evaluate((s) => {
    const element = document.querySelector(s);
    return !!element && !element.hidden && element.getClientRects().length > 0;
  }, selector);
}

async function waitForEnd(show, exitCode) {
  await show.until('the end of the program', (o) => o.state === 'ended');
  await show.page.waitForSelector('#ended', { state: 'visible', timeout: deadlineMs });
  assert.equal((await show.orrery()).exitCode, exitCode, show.log.join('\n'));
  assert.match(await show.page.textContent('#ended'), /The show has ended\./);
  assert.equal(await show.page.locator('#ended button', { hasText: 'Run again' }).count(), 1);
}

// Plays the show at the resolution chosen with `pick` (a control id, or none for the default),
// checks the window's size and picture, and ends it with Esc.
async function playAndEscape(pick, width, height) {
  const show = await openShow();
  try {
    await waitForSetup(show);
    assert.equal(await isVisible(show.page, '#loading'), false, 'Loading... stays up over the form');
    if (pick) await clickControl(show.page, pick);
    await clickControl(show.page, 1);
    await show.until('a few show frames', (o) => o.frames > 3);
    const state = await show.orrery();
    assert.equal(state.state, 'running');
    assert.equal(typeof state.firstFrameMs, 'number');
    assert.deepEqual(await canvasSize(show.page), { width, height });
    assert.equal(await isVisible(show.page, '#stage'), true);
    assert.equal(await show.page.locator('#setup form').count(), 0, 'the form outlives the dialog');
    await waitFor(() => canvasHasPicture(show.page), { timeoutMs: deadlineMs, what: 'a picture that is not all black' });
    await show.page.keyboard.press('Escape');
    await waitForEnd(show, 0);
    assert.equal(await isVisible(show.page, '#stage'), false);
  } finally {
    await show.close();
  }
}

test('the setup form shows the template\'s controls, captions and states', async () => {
  const show = await openShow();
  try {
    await waitForSetup(show);
    assert.equal((await show.page.textContent('#setup h1')).trim(), 'Project Kaede  Setup');
    const expected = [
      [1, 'button', null, 'Run demo', false, false],
      [2, 'button', null, 'Cancel', false, false],
      [1011, 'label', 'radio', '640x400', false, false],
      [1000, 'label', 'radio', '640x480', true, false],
      [1001, 'label', 'radio', '800x600', false, false],
      [1010, 'label', 'radio', '1024x768', false, true],
      [1020, 'label', 'radio', '1280x1024', false, true],
      [1017, 'label', 'checkbox', 'High Priority', false, false],
      [1018, 'label', 'checkbox', 'Use 32 bit Zbuffer', false, true],
      [1024, 'label', 'checkbox', 'Use 32 bit colors', true, false],
      [1026, 'label', 'checkbox', 'Fullscreen', false, false],
      [1019, 'label', 'checkbox', 'Use Fullscene AntiAliasing', false, true],
    ];
    for (const [id, tag, type, caption, checked, disabled] of expected) {
      const control = await describeControl(show.page, id);
      assert.ok(control, 'no control ' + id);
      assert.deepEqual(control, { tag, type, caption, checked, disabled }, 'control ' + id);
    }
    for (const [id, legend] of [[1009, 'Screen resolution'], [1016, 'Rendering Options']]) {
      const group = await describeControl(show.page, id);
      assert.ok(group, 'no group ' + id);
      assert.equal(group.caption, legend);
    }
    assert.equal((await show.orrery()).frames, 0);
    assert.equal(await isVisible(show.page, '#stage'), false);
  } finally {
    await show.close();
  }
});

test('Run demo plays the show at 640x480 and Esc ends it with exit code 0', () => playAndEscape(null, 640, 480));

test('800x600 picked in the form gives an 800x600 drawing buffer', () => playAndEscape(1001, 800, 600));

test('Cancel ends the program with exit code 0 and shows nothing', async () => {
  const show = await openShow();
  try {
    await waitForSetup(show);
    await clickControl(show.page, 2);
    await waitForEnd(show, 0);
    const state = await show.orrery();
    assert.equal(state.frames, 0);
    assert.equal(await show.page.evaluate(() => document.getElementById('stage').hidden), true);
    assert.equal(await show.page.locator('#setup form').count(), 0);
  } finally {
    await show.close();
  }
});

// WEBGL_lose_context takes the context away as a GPU reset would.
test('a lost graphics device ends the show and its music; Run again starts a fresh program', async () => {
  const show = await openShow();
  const errors = [];
  show.page.on('pageerror', (error) => errors.push(error.message));
  try {
    await waitForSetup(show);
    await clickControl(show.page, 1);
    await show.until('show frames with music', (o) => o.showTime > 1 && o.musicTime !== null);
    await show.page.evaluate(() =>
      document.getElementById('canvas').getContext('webgl2').getExtension('WEBGL_lose_context').loseContext());
    await show.until('the end of the program', (o) => o.state === 'ended');
    const ended = await show.orrery();
    assert.equal(ended.deviceLost, true);
    assert.equal(ended.exitCode, 4, show.log.join('\n'));
    assert.match(await show.page.textContent('#lost'), /The graphics device was lost\./);
    assert.equal(await isVisible(show.page, '#lost'), true);
    assert.equal(await isVisible(show.page, '#ended'), false);
    assert.equal(await isVisible(show.page, '#stage'), false);
    assert.ok(show.log.some((line) => /graphics device was lost/.test(line)), 'the program did not say why it ended');
    const music = () => show.page.evaluate(() => ({
      position: window.Module.orreryMusic.position(),
      state: window.Module.orreryMusic.context.state,
    }));
    await waitFor(async () => (await music()).state !== 'running', { timeoutMs: deadlineMs, what: 'the music to stop' });
    assert.equal((await music()).position, null);
    await new Promise((resolve) => setTimeout(resolve, 500));
    assert.equal((await show.orrery()).frames, ended.frames, 'frames after the end');
    assert.deepEqual(errors, [], 'unhandled errors in the page');

    await show.page.locator('#lost button', { hasText: 'Run again' }).click();
    await waitFor(() => show.page.evaluate(() => window.orrery.state === 'setup').catch(() => false),
      { timeoutMs: deadlineMs, what: 'the setup form after Run again' });
    await waitForSetup(show);
    await clickControl(show.page, 1);
    await show.until('frames of the new run', (o) => o.frames > 3 && o.state === 'running' && !o.deviceLost);
    await waitFor(() => canvasHasPicture(show.page), { timeoutMs: deadlineMs, what: 'a picture that is not all black' });
    assert.deepEqual(errors, [], 'unhandled errors in the page');
  } finally {
    await show.close();
  }
});

// The data package is held back so that it lands after the program has loaded: the file must
// still be gone when main runs.
test('without demo.mp3 an error box names it, and OK ends the program with exit code 3', async () => {
  const show = await openShow({ omit: 'demo.mp3' }, { dataDelayMs: 3000 });
  try {
    await waitForSetup(show);
    await clickControl(show.page, 1);
    const box = show.page.locator('#messages .message-box[role="alertdialog"]');
    await box.waitFor({ state: 'visible', timeout: deadlineMs });
    const text = await box.locator('.text').textContent();
    assert.match(text, /Could not play MP3/);
    assert.match(text, /demo\.mp3/);
    assert.match(await box.locator('.caption').textContent(), /Orrery3D Error/);
    const shown = (await show.orrery()).messages;
    assert.equal(shown.length, 1);
    assert.match(shown[0].text, /Could not play MP3/);
    await box.locator('button', { hasText: 'OK' }).click();
    await waitForEnd(show, 3);
    assert.equal(await box.count(), 0, 'the box stays after OK');
    // The loading frame is the only present before the soundtrack is started.
    assert.ok((await show.orrery()).frames <= 1, 'show frames were drawn');
  } finally {
    await show.close();
  }
});
