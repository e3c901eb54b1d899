// A published site (web/bundle.py) as its host serves it: a first visit receives the program and
// its data compressed, and a second visit in the same browser profile takes them from the
// browser's cache without a byte over the network. Runs against the site the other browser tests
// use; the build's own site is not a published one (no hashed names, nothing precompressed), and
// there these tests are skipped with that reason.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, statSync, existsSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { startServer, launchProfile, visitShow, defaultSite } from './driver.mjs';
import { deadlineMs } from './fixture.mjs';

const site = process.env.ORRERY_WEB_SITE || defaultSite;
// The plain names the published page lists, each with the name it is published as.
const listed = (() => {
  try {
    const page = readFileSync(join(site, 'index.html'), 'utf8');
    const match = page.match(/<script id="orrery-files" type="application\/json">(.*?)<\/script>/s);
    return match ? JSON.parse(match[1]) : {};
  } catch {
    return {};
  }
})();
const published = Object.keys(listed).length > 0;
const skip = published ? false : site + ' is not a published site (web/bundle.py names no files in its index.html)';

// The program's files and its data, which every visit needs.
const heavy = ['orrery3d.js', 'orrery3d.wasm', 'orrery3d-data.js', 'orrery3d.data'];

let server = null;
let scratch = null;
let profile = null;
before(async () => {
  if (skip) return;
  const url = process.env.ORRERY_WEB_URL;
  server = url ? { url: url.replace(/\/+$/, ''), stop: () => {} } : await startServer(site);
  scratch = mkdtempSync(join(tmpdir(), 'orrery-host-test-'));
  profile = await launchProfile(join(scratch, 'profile'));
});
after(async () => {
  if (profile) await profile.close();
  if (server) server.stop();
  if (scratch) rmSync(scratch, { recursive: true, force: true });
});

// The requests of a visit for the site's file `name`, by the name it is published as.
const requestsFor = (visit, name) => visit.requests.filter((r) => new URL(r.url).pathname.endsWith('/' + listed[name]));

test('a first visit receives the program and its data compressed', { skip }, async () => {
  const visit = await visitShow(profile, server.url, { timeoutMs: deadlineMs });
  for (const name of heavy) {
    const requests = requestsFor(visit, name);
    assert.equal(requests.length, 1, name + ': ' + JSON.stringify(visit.requests));
    const [request] = requests;
    assert.equal(request.status, 200, name);
    assert.ok(['br', 'gzip'].includes(request.encoding), name + ' came as ' + request.encoding);
    const raw = statSync(join(site, listed[name])).size;
    assert.ok(existsSync(join(site, listed[name] + '.gz')), name + ' has no .gz beside it');
    assert.ok(request.transferred > 0 && request.transferred < raw, name + ': ' + request.transferred + ' of ' + raw + ' bytes');
  }
});

test('a second visit in the same profile transfers no byte of the program or the data', { skip }, async () => {
  const visit = await visitShow(profile, server.url, { timeoutMs: deadlineMs });
  for (const name of heavy) {
    const transferred = requestsFor(visit, name).reduce((sum, r) => sum + r.transferred, 0);
    assert.equal(transferred, 0, name + ': ' + JSON.stringify(requestsFor(visit, name)));
  }
  // The page itself is asked for again (no-cache) and may come back as 304 Not Modified.
  const pages = visit.requests.filter((r) => new URL(r.url).pathname.endsWith('/index.html'));
  assert.equal(pages.length, 1);
  assert.ok([200, 304].includes(pages[0].status), 'index.html: ' + pages[0].status);
});
