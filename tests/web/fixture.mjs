// What every browser test file shares: the site served on a free port and one headless chromium,
// started before the file's tests and ended after them, and the tests' deadline. The site is
// build-web/site, or ORRERY_WEB_SITE, served by web/serve.py; with ORRERY_WEB_URL the tests use
// the site a host already serves there instead (ORRERY_WEB_SITE then says which folder it is).
import { before, after } from 'node:test';
import { startServer, launchBrowser, defaultSite } from './driver.mjs';

export const deadlineMs = 1000 * Number(process.env.ORRERY_WEB_TEST_TIMEOUT || 600);

// { server, browser }, filled in before the file's first test.
export function servedSite() {
  const served = { server: null, browser: null };
  before(async () => {
    const url = process.env.ORRERY_WEB_URL;
    served.server = url ? { url: url.replace(/\/+$/, ''), stop: () => {} }
      : await startServer(process.env.ORRERY_WEB_SITE || defaultSite);
    served.browser = await launchBrowser();
  });
  after(async () => {
    if (served.browser) await served.browser.close();
    if (served.server) served.server.stop();
  });
  return served;
}
