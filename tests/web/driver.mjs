// Drives the web build of the show in headless chromium, for scripts/web (captures, benchmarks),
// scripts/web-compare and the browser tests. As a program:
//   node driver.mjs capture --site DIR --out DIR [capture options...]   PNG frames into DIR
//   node driver.mjs bench --site DIR [capture options...]               prints the JSON line
//   node driver.mjs compare DIR_A DIR_B                                 compares PNG frames by name
//   node driver.mjs visits --url URL [--loads N]                        bytes and times of visits
//   node driver.mjs sync --site DIR [--seconds N] [--hide-at S]        music against picture, per frame
// Exits non-zero with the reason on standard error when something fails.
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync, existsSync, mkdirSync, readdirSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, dirname, resolve, basename } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { PNG } from 'pngjs';

const here = dirname(fileURLToPath(import.meta.url));
export const projectRoot = resolve(here, '..', '..');
export const defaultSite = join(projectRoot, 'build-web', 'site');

// Folder in the capture tool's in-memory file system that its frames go to.
export const captureDir = '/capture';

export const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';
export const chromiumArgs = ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'];

// Polls cond() every intervalMs until it is true; rejects with `what` after timeoutMs.
export async function waitFor(cond, { timeoutMs, what, intervalMs = 100 }) {
  const deadline = Date.now() + timeoutMs;
  for (;;) {
    if (await cond()) return;
    if (Date.now() > deadline) throw new Error('timed out after ' + timeoutMs / 1000 + ' s waiting for ' + what);
    await new Promise((r) => setTimeout(r, intervalMs));
  }
}

// Starts web/serve.py over `site` on a free port. Resolves to { url, stop() }.
export async function startServer(site = defaultSite) {
  const scratch = mkdtempSync(join(tmpdir(), 'orrery-serve-'));
  const portFile = join(scratch, 'port');
  const server = spawn('python3', [join(projectRoot, 'web', 'serve.py'), '--port', '0', '--root', site, '--port-file', portFile],
    { stdio: ['ignore', 'ignore', 'pipe'] });
  let errors = '';
  let exited = null;
  server.stderr.on('data', (chunk) => { errors += chunk; process.stderr.write(chunk); });
  server.on('exit', (code) => { exited = code; });
  const stop = () => {
    if (exited === null) server.kill();
    rmSync(scratch, { recursive: true, force: true });
  };
  try {
    await waitFor(() => existsSync(portFile) || exited !== null, { timeoutMs: 30000, what: 'the web server to listen' });
  } catch (error) {
    stop();
    throw error;
  }
  if (exited !== null) {
    stop();
    throw new Error('the web server did not start (exit code ' + exited + ')' + (errors ? ': ' + errors.trim() : ''));
  }
  const port = Number(readFileSync(portFile, 'utf8').trim());
  return { url: 'http://127.0.0.1:' + port, stop };
}

export async function launchBrowser() {
  return chromium.launch({ executablePath: chromiumPath, headless: true, args: chromiumArgs });
}

// A browser with a profile of its own in `profileDir` (kept on disk: its HTTP cache outlives
// the pages, as a viewer's does between visits). Resolves to the browser context.
export async function launchProfile(profileDir) {
  return chromium.launchPersistentContext(profileDir, { executablePath: chromiumPath, headless: true, args: chromiumArgs });
}

// The URL pattern of the site's file `name`: under its plain name (the build's own site) or under
// the name a published site gives it (web/bundle.py: name.<12 hex digits>.ext).
export function siteFile(name) {
  const escape = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
  const dot = name.lastIndexOf('.');
  return new RegExp('/' + escape(name.slice(0, dot)) + '(\\.[0-9a-f]{12})?' + escape(name.slice(dot)) + '$');
}

// The page's address with ?args= (a list of words) and other parameters. ORRERY_WEB_LIMITS=minimum
// in the environment adds webgl-limits=minimum to every page (the program's WebGL 2 context then
// offers only WebGL 2's guaranteed minimums) unless the caller sets webgl-limits itself.
export function pageUrl(base, page, { args, ...params } = {}) {
  const search = new URLSearchParams();
  if (args && args.length) search.set('args', args.join(' '));
  if (process.env.ORRERY_WEB_LIMITS) search.set('webgl-limits', process.env.ORRERY_WEB_LIMITS);
  for (const [key, value] of Object.entries(params)) search.set(key, value);
  const query = search.toString();
  return base + '/' + page + (query ? '?' + query : '');
}

// One visit of the show page in `context`, as a viewer makes it: open index.html, wait for the
// setup form, and with `run` click Run demo and wait for the first presented frame. Resolves to
//   { requests: [{ url, status, encoding, transferred }], setupMs, firstFrameMs }
// where transferred counts the bytes that came over the network for that request (0 when the
// browser's cache answered it) and the times are milliseconds since the page was opened.
export async function visitShow(context, baseUrl, { run = false, timeoutMs = 600000 } = {}) {
  const page = await context.newPage();
  try {
    const cdp = await context.newCDPSession(page);
    await cdp.send('Network.enable');
    const requests = new Map();
    const entry = (id) => {
      if (!requests.has(id)) requests.set(id, { url: null, status: null, encoding: null, transferred: 0 });
      return requests.get(id);
    };
    cdp.on('Network.requestWillBeSent', (event) => { entry(event.requestId).url = event.request.url; });
    cdp.on('Network.responseReceived', (event) => {
      const request = entry(event.requestId);
      request.url = event.response.url;
      request.status = event.response.status;
      const headers = Object.fromEntries(Object.entries(event.response.headers).map(([k, v]) => [k.toLowerCase(), v]));
      request.encoding = headers['content-encoding'] || null;
    });
    cdp.on('Network.loadingFinished', (event) => { entry(event.requestId).transferred = event.encodedDataLength; });
    await page.goto(pageUrl(baseUrl, 'index.html'));
    const orrery = () => page.evaluate(() => ({ ...window.orrery }));
    await waitFor(async () => (await orrery()).state === 'setup', { timeoutMs, what: 'the setup form' });
    if (run) {
      await page.locator('#setup [data-control-id="1"]').click();
      await waitFor(async () => (await orrery()).firstFrameMs !== null, { timeoutMs, what: 'the first frame' });
    }
    const state = await orrery();
    return { requests: [...requests.values()].filter((r) => r.url), setupMs: state.setupMs, firstFrameMs: state.firstFrameMs };
  } finally {
    await page.close();
  }
}

// Runs the web capture tool with `args` in a new page and waits for it to exit. Resolves to
// { exitCode, stdout, stderr, files: [{name, bytes}] } (files: what it wrote into captureDir).
// Rejects when the tool could not run or did not end within timeoutMs.
export async function runCapture(browser, baseUrl, args, { timeoutMs, onStderr } = {}) {
  const page = await browser.newPage();
  try {
    let streamed = 0;
    await page.goto(pageUrl(baseUrl, 'capture.html', { args }));
    const pageCrash = new Promise((_, reject) => page.on('crash', () => reject(new Error('the capture page crashed'))));
    const finished = (async () => {
      await waitFor(async () => {
        const state = await page.evaluate(() => ({ done: window.captureDone === true, stderr: window.captureStderr || [] }));
        if (onStderr) for (; streamed < state.stderr.length; ++streamed) onStderr(state.stderr[streamed]);
        return state.done;
      }, { timeoutMs: timeoutMs || 3600000, what: 'the capture to end', intervalMs: 500 });
    })();
    await Promise.race([finished, pageCrash]);
    const result = await page.evaluate((dir) => {
      let files = [];
      let listError = null;
      if (window.captureExit === 0 && window.captureError === null) {
        try {
          files = window.readCaptureFiles(dir);
        } catch (error) {
          listError = String(error && error.message ? error.message : error);
        }
      }
      return { exitCode: window.captureExit, error: window.captureError, listError,
        stdout: window.captureStdout, stderr: window.captureStderr, files };
    }, captureDir);
    if (onStderr) for (; streamed < result.stderr.length; ++streamed) onStderr(result.stderr[streamed]);
    if (result.error) throw new Error(result.error);
    return {
      exitCode: result.exitCode,
      stdout: result.stdout,
      stderr: result.stderr,
      listError: result.listError,
      files: result.files.map(({ name, base64 }) => ({ name, bytes: Buffer.from(base64, 'base64') })),
    };
  } finally {
    await page.close();
  }
}

// Reads a PNG file into { width, height, data } (RGBA bytes).
export function readPng(path) {
  return PNG.sync.read(readFileSync(path));
}

// How far two frames of the same size lie apart over their red, green and blue channels:
// mean absolute difference (1/255 units), the percentage of pixels where some channel differs by
// more than `offBy`, and the largest channel difference.
export function frameDifference(a, b, offBy = 8) {
  if (a.width !== b.width || a.height !== b.height) {
    throw new Error('sizes differ: ' + a.width + 'x' + a.height + ' and ' + b.width + 'x' + b.height);
  }
  let sum = 0;
  let max = 0;
  let off = 0;
  const pixels = a.width * a.height;
  for (let p = 0; p < pixels * 4; p += 4) {
    let pixelMax = 0;
    for (let c = 0; c < 3; ++c) {
      const d = Math.abs(a.data[p + c] - b.data[p + c]);
      sum += d;
      if (d > pixelMax) pixelMax = d;
    }
    if (pixelMax > offBy) ++off;
    if (pixelMax > max) max = pixelMax;
  }
  return { mean: sum / (pixels * 3), percentOff: (100 * off) / pixels, max };
}

// Compares every PNG of dirA with the file of the same name in dirB. Resolves to
// [{ name, mean, percentOff, max, pass }] or [{ name, error }]; pass: mean < 2 and < 1 % off.
export function compareFolders(dirA, dirB) {
  const names = readdirSync(dirA).filter((n) => n.endsWith('.png')).sort();
  return names.map((name) => {
    try {
      const d = frameDifference(readPng(join(dirA, name)), readPng(join(dirB, name)));
      return { name, ...d, pass: d.mean < 2 && d.percentOff < 1 };
    } catch (error) {
      return { name, error: error.message, pass: false };
    }
  });
}

// --- the program ------------------------------------------------------------------------------

// For each of `loads` fresh browser profiles, a first visit and a second one: each opens the page,
// waits for the setup form, runs the show and waits for its first frame. Prints one line a visit
// with the bytes that came over the network and the times since the page was opened.
async function printVisits(url, loads, timeoutMs) {
  const scratch = mkdtempSync(join(tmpdir(), 'orrery-visits-'));
  try {
    console.log('load  visit   bytes over the network   setup form (ms)   first frame (ms)');
    for (let load = 1; load <= loads; ++load) {
      const context = await launchProfile(join(scratch, 'profile-' + load));
      try {
        for (const visit of ['first', 'second']) {
          const result = await visitShow(context, url, { run: true, timeoutMs });
          const bytes = result.requests.reduce((sum, r) => sum + r.transferred, 0);
          console.log(String(load).padStart(4) + '  ' + visit.padEnd(6) + ' ' + String(bytes).padStart(24) + ' ' +
            result.setupMs.toFixed(0).padStart(17) + ' ' + result.firstFrameMs.toFixed(0).padStart(18));
        }
      } finally {
        await context.close();
      }
    }
  } finally {
    rmSync(scratch, { recursive: true, force: true });
  }
}

// Records, on every frame the show page presents from now on, its show time and the music's
// position at that moment (window.orrery.showTime / musicTime) into window.orreryFrames.
export function recordFrames(page) {
  return page.evaluate(() => {
    window.orreryFrames = [];
    window.orrery.onFrame = () => {
      if (window.orrery.showTime !== null) {
        window.orreryFrames.push([performance.now(), window.orrery.showTime, window.orrery.musicTime]);
      }
    };
  });
}

// How far the music's position and the show time lay apart over recorded frames
// ([ms, showTime, musicTime]) that had music: { frames, withMusic, maxMs, meanMs, p95Ms, worst }
// with worst the three farthest apart as [showTime, ms].
export function musicDrift(frames) {
  const gaps = frames.filter(([, , music]) => music !== null).map(([, show, music]) => [show, 1000 * Math.abs(show - music)]);
  const sorted = gaps.map(([, gap]) => gap).sort((a, b) => a - b);
  const mean = sorted.reduce((sum, gap) => sum + gap, 0) / Math.max(sorted.length, 1);
  return {
    frames: frames.length,
    withMusic: gaps.length,
    maxMs: sorted.length ? sorted[sorted.length - 1] : null,
    meanMs: sorted.length ? mean : null,
    p95Ms: sorted.length ? sorted[Math.floor(0.95 * (sorted.length - 1))] : null,
    worst: [...gaps].sort((a, b) => b[1] - a[1]).slice(0, 3),
  };
}

// Hides the page as a browser does for a background tab: headless chromium under playwright
// keeps every page visible (a foreground tab), so the document's visibility is set by hand and
// the change announced. show(page) makes it visible again. Both resolve to the page's
// performance.now() at the change.
export const pageVisibility = {
  hide: (page) => page.evaluate(() => {
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => 'hidden' });
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
    document.dispatchEvent(new Event('visibilitychange'));
    return performance.now();
  }),
  show: (page) => page.evaluate(() => {
    delete document.visibilityState;
    delete document.hidden;
    document.dispatchEvent(new Event('visibilitychange'));
    return performance.now();
  }),
};

// Plays the show on index.html in headless chromium for `seconds` of real time (its end when
// null) and prints how far music and picture lay apart; with hideAt, hides the page for 5 s at
// that show time first.
async function printSync(site, seconds, hideAt, timeoutMs) {
  const server = await startServer(site);
  const browser = await launchBrowser();
  try {
    const page = await browser.newPage();
    await page.goto(pageUrl(server.url, 'index.html'));
    await waitFor(() => page.evaluate(() => window.orrery.state === 'setup'), { timeoutMs, what: 'the setup form' });
    await page.locator('#setup [data-control-id="1"]').click();
    await recordFrames(page);
    const started = Date.now();
    const done = () => page.evaluate(() => window.orrery.state === 'ended');
    if (hideAt !== null) {
      await waitFor(() => page.evaluate((t) => window.orrery.showTime >= t, hideAt), { timeoutMs, what: 'show time ' + hideAt });
      await pageVisibility.hide(page);
      await new Promise((r) => setTimeout(r, 5000));
      await pageVisibility.show(page);
    }
    await waitFor(async () => (await done()) || (seconds !== null && Date.now() - started > 1000 * seconds),
      { timeoutMs, what: 'the show to end', intervalMs: 1000 });
    const frames = await page.evaluate(() => window.orreryFrames);
    const drift = musicDrift(frames);
    const last = frames[frames.length - 1];
    console.log(JSON.stringify({ ...drift, lastShowTime: last ? last[1] : null, lastMusicTime: last ? last[2] : null }));
  } finally {
    await browser.close();
    server.stop();
  }
}

function takeOption(args, name) {
  const i = args.indexOf(name);
  if (i < 0) return null;
  if (i + 1 >= args.length) throw new Error('missing value after ' + name);
  const value = args[i + 1];
  args.splice(i, 2);
  return value;
}

async function withCapture(site, args, timeoutMs) {
  const server = await startServer(site);
  let browser = null;
  try {
    browser = await launchBrowser();
    return await runCapture(browser, server.url, args, {
      timeoutMs,
      onStderr: (line) => process.stderr.write(line + '\n'),
    });
  } finally {
    if (browser) await browser.close();
    server.stop();
  }
}

async function main(argv) {
  const [mode, ...rest] = argv;
  const args = [...rest];
  const timeoutMs = 1000 * Number(process.env.ORRERY_WEB_TIMEOUT || 3600);
  if (mode === 'compare') {
    if (args.length !== 2) throw new Error('usage: driver.mjs compare DIR_A DIR_B');
    const results = compareFolders(args[0], args[1]);
    if (results.length === 0) throw new Error('no PNG files in ' + args[0]);
    let failed = 0;
    console.log('frame          mean   >8/255 %     max');
    for (const r of results) {
      if (r.error) {
        console.log(r.name.padEnd(14) + ' ' + r.error);
      } else {
        console.log(r.name.padEnd(14) + ' ' + r.mean.toFixed(3).padStart(6) + ' ' + r.percentOff.toFixed(3).padStart(10) + '  ' +
          String(r.max).padStart(6) + (r.pass ? '' : '   MISSES (mean < 2, < 1 % off)'));
      }
      if (!r.pass) ++failed;
    }
    if (failed) throw new Error(failed + ' of ' + results.length + ' frames miss the threshold');
    return;
  }
  if (mode === 'visits') {
    const url = takeOption(args, '--url');
    if (!url) throw new Error('visits needs --url URL');
    await printVisits(url, Number(takeOption(args, '--loads') || 3), timeoutMs);
    return;
  }
  if (mode === 'sync') {
    const seconds = takeOption(args, '--seconds');
    const hideAt = takeOption(args, '--hide-at');
    const site = resolve(takeOption(args, '--site') || defaultSite);
    await printSync(site, seconds === null ? null : Number(seconds), hideAt === null ? null : Number(hideAt), timeoutMs);
    return;
  }
  if (mode !== 'capture' && mode !== 'bench') {
    throw new Error('usage: driver.mjs capture|bench --site DIR [--out DIR] [capture options...] | compare A B');
  }
  const site = resolve(takeOption(args, '--site') || defaultSite);
  if (mode === 'capture') {
    const out = takeOption(args, '--out');
    if (!out) throw new Error('capture needs --out DIR');
    const result = await withCapture(site, [...args, '--out', captureDir], timeoutMs);
    if (result.exitCode !== 0) throw new Error('the capture tool exited with code ' + result.exitCode);
    if (result.listError) throw new Error('cannot read ' + captureDir + ': ' + result.listError);
    if (result.files.length === 0) throw new Error('the capture tool wrote no files');
    mkdirSync(out, { recursive: true });
    for (const file of result.files) writeFileSync(join(out, basename(file.name)), file.bytes);
    console.log('web: ' + result.files.length + ' frames in ' + resolve(out));
  } else {
    const result = await withCapture(site, [...args, '--bench'], timeoutMs);
    if (result.exitCode !== 0) throw new Error('the capture tool exited with code ' + result.exitCode);
    const json = result.stdout.filter((line) => line.trim().startsWith('{'));
    if (json.length === 0) throw new Error('the benchmark printed no JSON line');
    console.log(json[json.length - 1]);
  }
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  main(process.argv.slice(2)).catch((error) => {
    console.error('web: ' + error.message);
    process.exit(1);
  });
}
