// The setup form's layout at device pixel ratios 1, 1.5 and 2: every caption (and every check box's
// or radio button's mark) lies inside its control's box, each line of a caption on one line box,
// and no two controls overlap, but for group boxes around the controls they frame. The site is
// build-web/site, or ORRERY_WEB_SITE.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { pageUrl, waitFor } from './driver.mjs';
import { deadlineMs, servedSite } from './fixture.mjs';

const served = servedSite();
const slack = 0.5;  // CSS px: rounding of layout to device pixels

// The title and every control of the form: its name, box (inside the border, but a group box's
// legend sits on its border), the line boxes of its caption and the rects of its mark and legend.
function measureForm(page) {
  return page.evaluate(() => {
    const rect = (r) => ({ left: r.left, top: r.top, right: r.right, bottom: r.bottom });
    const measure = (element, name) => {
      const style = getComputedStyle(element);
      const border = rect(element.getBoundingClientRect());
      const group = element.matches('fieldset');
      const box = group ? border : {
        left: border.left + parseFloat(style.borderLeftWidth),
        top: border.top + parseFloat(style.borderTopWidth),
        right: border.right - parseFloat(style.borderRightWidth),
        bottom: border.bottom - parseFloat(style.borderBottomWidth),
      };
      const legend = element.querySelector('legend');
      const input = element.querySelector('input');
      let caption = '';
      const lines = [];
      const texts = document.createTreeWalker(legend || element, NodeFilter.SHOW_TEXT);
      for (let node; (node = texts.nextNode());) {
        caption += node.data;
        const range = document.createRange();
        range.selectNodeContents(node);
        for (const r of range.getClientRects()) if (r.width > 0) lines.push(rect(r));
      }
      return { name, group, caption: caption.trim(), border, box, lines,
        mark: input && rect(input.getBoundingClientRect()), legend: legend && rect(legend.getBoundingClientRect()) };
    };
    const form = document.querySelector('#setup form.dialog');
    return [measure(form.querySelector('h1'), 'title'),
      ...[...form.querySelectorAll('[data-control-id]')].map((element, i) =>
        measure(element, `${element.tagName.toLowerCase()} ${i} (id ${element.dataset.controlId})`))];
  });
}

const inside = (r, box) => r.left >= box.left - slack && r.top >= box.top - slack &&
  r.right <= box.right + slack && r.bottom <= box.bottom + slack;
const overlap = (a, b) => Math.min(a.right, b.right) - Math.max(a.left, b.left) > slack &&
  Math.min(a.bottom, b.bottom) - Math.max(a.top, b.top) > slack;
const show = (r) => `${r.left},${r.top} - ${r.right},${r.bottom}`;

// What is wrong with the form's captions, as sentences.
function captionFaults(controls) {
  const faults = [];
  for (const c of controls) {
    const where = `${c.name} "${c.caption}"`;
    for (const line of c.lines) {
      if (!inside(line, c.box)) faults.push(`${where}: caption at ${show(line)} outside its box ${show(c.box)}`);
    }
    if (c.mark && !inside(c.mark, c.box)) {
      faults.push(`${where}: mark at ${show(c.mark)} outside its box ${show(c.box)}`);
    }
    // Line boxes of one line share their top; those of the next line start a line height below.
    const lineTops = [];
    for (const line of c.lines) if (!lineTops.some((top) => Math.abs(top - line.top) < 1)) lineTops.push(line.top);
    const expected = c.caption ? c.caption.split('\n').length : 0;
    if (lineTops.length !== expected) faults.push(`${where}: ${lineTops.length} lines, not ${expected}`);
  }
  return faults;
}

// Controls that overlap: any two but group boxes, which may frame controls but not cut through
// them, nor have them over their caption.
function overlapFaults(controls) {
  const faults = [];
  const all = controls.filter((c) => c.name !== 'title');
  for (let i = 0; i < all.length; ++i) {
    for (let j = i + 1; j < all.length; ++j) {
      const [a, b] = [all[i], all[j]];
      if (!overlap(a.border, b.border)) continue;
      if (a.group === b.group) {
        faults.push(`${a.name} and ${b.name} overlap: ${show(a.border)} and ${show(b.border)}`);
        continue;
      }
      const [frame, framed] = a.group ? [a, b] : [b, a];
      if (!inside(framed.border, frame.border)) {
        faults.push(`${framed.name} cuts through the group box ${frame.name}`);
      } else if (frame.legend && overlap(framed.border, frame.legend)) {
        faults.push(`${framed.name} covers the caption of ${frame.name}`);
      }
    }
  }
  return faults;
}

for (const deviceScaleFactor of [1, 1.5, 2]) {
  test(`at device pixel ratio ${deviceScaleFactor} the setup form's captions fit their controls, which do not overlap`,
    async () => {
      const context = await served.browser.newContext({ deviceScaleFactor });
      try {
        const page = await context.newPage();
        await page.goto(pageUrl(served.server.url, 'index.html'));
        await waitFor(() => page.evaluate(() => window.orrery.state === 'setup'),
          { timeoutMs: deadlineMs, what: 'the setup form' });
        await page.evaluate(() => document.fonts.ready);
        assert.equal(await page.evaluate(() => window.devicePixelRatio), deviceScaleFactor);
        const controls = await measureForm(page);
        // The setup dialog's title and 18 controls, all captioned but the picture.
        assert.equal(controls.length, 19);
        assert.equal(controls.filter((c) => c.caption).length, 18);
        assert.deepEqual(captionFaults(controls), []);
        assert.deepEqual(overlapFaults(controls), []);
      } finally {
        await context.close();
      }
    });
}
