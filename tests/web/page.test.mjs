// The page's own behaviour around the program: "Loading..." until the setup form, the reason
// shown when the program or its data cannot be loaded, and "Run again".
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { pageUrl, siteFile, waitFor } from './driver.mjs';
import { deadlineMs, servedSite } from './fixture.mjs';

const served = servedSite();

async function withPage(body) {
  const context = await served.browser.newContext();
  const page = await context.newPage();
  try {
    await body(page);
  } finally {
    await context.close();
  }
}

const visible = (page, selector) => page.evaluate((s) => {
  const element = document.querySelector(s);
  return !!element && !element.hidden && element.getClientRects().length > 0;
}, selector);

// null while the page is between documents (a reload).
const state = (page) => page.evaluate(() => window.orrery.state).catch(() => null);

// Answers requests for the site's file `file` with 404.
function missing(page, file) {
  return page.route(siteFile(file), (route) => route.fulfill({ status: 404, body: 'not here' }));
}

async function expectFailure(page, pattern) {
  await page.waitForSelector('#failure', { state: 'visible', timeout: deadlineMs });
  const reason = (await page.textContent('#failure-reason')).trim();
  assert.match(reason, pattern);
  assert.equal(await visible(page, '#loading'), false);
  assert.equal(await visible(page, '#ended'), false);
  assert.notEqual(await state(page), 'ended');
}

test('"Loading..." shows until the setup form appears', () => withPage(async (page) => {
  // The data package is held until the page has been seen loading.
  let release;
  const held = new Promise((resolve) => { release = resolve; });
  await page.route(siteFile('orrery3d.data'), async (route) => {
    await held;
    await route.continue();
  });
  await page.goto(pageUrl(served.server.url, 'index.html'));
  await page.waitForSelector('#loading', { state: 'visible', timeout: deadlineMs });
  assert.match(await page.textContent('#loading'), /^Loading\.\.\./);
  assert.equal(await state(page), 'loading');
  assert.equal(await visible(page, '#stage'), false);
  release();
  await waitFor(() => state(page).then((s) => s === 'setup'), { timeoutMs: deadlineMs, what: 'the setup form' });
  await page.waitForSelector('#loading', { state: 'hidden', timeout: deadlineMs });
}));

test('a program whose WebAssembly cannot be fetched shows why in the page', () => withPage(async (page) => {
  await missing(page, 'orrery3d.wasm');
  await page.goto(pageUrl(served.server.url, 'index.html'));
  await expectFailure(page, /aborted/);
}));

test('a missing program script or data package shows why in the page', async () => {
  await withPage(async (page) => {
    await missing(page, 'orrery3d.js');
    await page.goto(pageUrl(served.server.url, 'index.html'));
    await expectFailure(page, /could not load orrery3d\.js/);
  });
  await withPage(async (page) => {
    await missing(page, 'orrery3d.data');
    await page.goto(pageUrl(served.server.url, 'index.html'));
    await expectFailure(page, /orrery3d\.data|Not Found/);
  });
});

test('"Run again" after the end loads the page anew, back to the setup form', () => withPage(async (page) => {
  await page.goto(pageUrl(served.server.url, 'index.html'));
  const until = (what, wanted) =>
    waitFor(() => state(page).then((s) => s === wanted), { timeoutMs: deadlineMs, what });
  await until('the setup form', 'setup');
  await page.locator('#setup [data-control-id="2"]').click();
  await until('the end', 'ended');
  await page.locator('#ended button', { hasText: 'Run again' }).click();
  await until('the setup form after Run again', 'setup');
  assert.equal(await visible(page, '#ended'), false);
  assert.equal(await page.evaluate(() => window.orrery.exitCode), null);
}));
