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

// Holds back the data package until the returned function is called.
async function holdData(page) {
  let release;
  const held = new Promise((resolve) => { release = resolve; });
  await page.route(siteFile('orrery3d.data'), async (route) => {
    await held;
    await route.continue();
  });
  return release;
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
  const release = await holdData(page);
  await page.goto(pageUrl(served.server.url, 'index.html'));
  await page.waitForSelector('#loading', { state: 'visible', timeout: deadlineMs });
  assert.match(await page.textContent('#loading-text'), /^Loading\.\.\./);
  assert.equal(await state(page), 'loading');
  assert.equal(await visible(page, '#stage'), false);
  release();
  await waitFor(() => state(page).then((s) => s === 'setup'), { timeoutMs: deadlineMs, what: 'the setup form' });
  await page.waitForSelector('#loading', { state: 'hidden', timeout: deadlineMs });
}));

test('the progress bar counts the program and its data until they are complete', () => withPage(async (page) => {
  const release = await holdData(page);
  await page.goto(pageUrl(served.server.url, 'index.html'));
  const download = () => page.evaluate(() => window.orrery.download);
  // The program's .wasm arrives while the data package is held.
  await waitFor(async () => (await download()).received > 0, { timeoutMs: deadlineMs, what: 'the first bytes' });
  assert.equal(await visible(page, '#progress'), true);
  assert.match(await page.textContent('#loading-text'), /^Loading\.\.\. [0-9.]+ (of [0-9.]+ )?MB$/);
  release();
  await waitFor(() => state(page).then((s) => s === 'setup'), { timeoutMs: deadlineMs, what: 'the setup form' });
  const done = await download();
  const sizes = await page.evaluate(() => performance.getEntriesByType('resource')
    .filter((entry) => /orrery3d(\.[0-9a-f]{12})?\.(wasm|data)$/.test(entry.name))
    .map((entry) => entry.decodedBodySize));
  assert.equal(sizes.length, 2, 'the .wasm and the data package were each fetched once');
  assert.equal(done.total, sizes[0] + sizes[1]);
  assert.equal(done.received, done.total);
  const bar = await page.evaluate(() => {
    const progress = document.getElementById('progress');
    return { value: progress.value, max: progress.max };
  });
  assert.deepEqual(bar, { value: done.total, max: done.total });
}));

test('a failed download names the file, and Try again fetches it and goes on', () => withPage(async (page) => {
  let refusals = 0;
  await page.route(siteFile('orrery3d.wasm'), (route) => {
    if (refusals++ === 0) return route.fulfill({ status: 503, body: 'busy' });
    return route.continue();
  });
  await page.goto(pageUrl(served.server.url, 'index.html'));
  await page.waitForSelector('#download-failure', { state: 'visible', timeout: deadlineMs });
  assert.match(await page.textContent('#download-reason'), /^Could not download orrery3d\.wasm: the server answered 503/);
  assert.equal(await state(page), 'loading');
  assert.equal(await visible(page, '#failure'), false);
  await page.locator('#download-failure button', { hasText: 'Try again' }).click();
  await waitFor(() => state(page).then((s) => s === 'setup'), { timeoutMs: deadlineMs, what: 'the setup form' });
  assert.equal(await visible(page, '#download-failure'), false);
  assert.equal(refusals, 2);
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
    await page.waitForSelector('#download-failure', { state: 'visible', timeout: deadlineMs });
    assert.match(await page.textContent('#download-reason'), /orrery3d\.data: the server answered 404/);
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
