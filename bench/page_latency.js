// From a pointer motion in the page to the redrawn estimate on screen, in
// Chromium: drags marker 2 back and forth for a while, with the fit off and
// on, and reports the median and 95th percentile of the page's own
// measurement (pointer event to the end of the frame that drew the
// changes it caused), per second of the drag, so that a backlog would show
// as growth. Also the page load to the first complete picture.
'use strict';
const path = require('path');
const { startHost, launchBrowser, openEditor } = require('../tests/browser/harness');

const build = path.resolve(process.argv[2] || 'build');
const seconds = Number(process.env.DRAG_SECONDS || 10);

function quantile(xs, q) {
  if (!xs.length) return NaN;
  const s = [...xs].sort((a, b) => a - b);
  return s[Math.min(s.length - 1, Math.floor(q * s.length))];
}

async function drag(page, secondsLong) {
  const k = await page.evaluate(() => {
    const e = window.kestrel.editor;
    const ax = Object.entries(window.kestrel.objects()).find(([, o]) => o.type === 'axes')[0];
    return { T2: e.T2, T1: e.T1, T3: e.T3, ax: Number(ax), y: 0.9 * window.kestrel.objects()[ax].props.YLim[1] };
  });
  // High on the marker, where no other line crosses it. The limits do not
  // change during the drag, so the map from samples to pixels is taken once
  // and the page is left alone while it works.
  const [p0, p1] = await page.evaluate(([a, yy]) => [0, 1000].map((x) => window.kestrel.figurePixelOf(a, x, yy)), [k.ax, k.y]);
  const at = (x) => ({ clientX: p0.clientX + (x / 1000) * (p1.clientX - p0.clientX), clientY: p0.clientY });
  const start = at(k.T2);
  await page.mouse.move(start.clientX, start.clientY);
  await page.mouse.down();
  await page.evaluate(() => window.kestrel.stats.reset());
  const perSecond = [];
  const t0 = Date.now();
  let step = 0;
  while (Date.now() - t0 < secondsLong * 1000) {
    // A sweep of 400 samples each way, a sample or two per motion.
    const phase = (step++ % 400) / 400;
    const x = k.T2 + 200 * Math.sin(2 * Math.PI * phase);
    const p = at(x);
    await page.mouse.move(p.clientX, p.clientY);
    const sec = Math.floor((Date.now() - t0) / 1000);
    if (perSecond[sec] === undefined) perSecond[sec] = await page.evaluate(() => window.kestrel.stats.motionToPaint.length);
  }
  await page.mouse.up();
  await page.evaluate(() => window.kestrel.idle());
  const moved = await page.evaluate(() => window.kestrel.editor.T2);
  if (moved === k.T2) throw new Error('the drag did not move marker 2');
  const all = await page.evaluate(() => window.kestrel.stats.motionToPaint.slice());
  const trips = await page.evaluate(() => ['roundTrip', 'hostMs', 'drawMs', 'applyMs', 'encodeMs'].map((k) => window.kestrel.stats[k].slice()));
  const buckets = perSecond.map((from, i) => all.slice(from, perSecond[i + 1] ?? all.length));
  return { all, buckets, motions: step, roundTrip: trips[0], hostMs: trips[1], drawMs: trips[2], applyMs: trips[3], encodeMs: trips[4] };
}

// The same drag with the motions made inside the page at a mouse's report
// rate (125 Hz), so that the driver's per-move round trips to the browser
// take no share of the machine; the press and release are real.
async function dragInPage(page, secondsLong) {
  const k = await page.evaluate(() => {
    const e = window.kestrel.editor;
    const ax = Object.entries(window.kestrel.objects()).find(([, o]) => o.type === 'axes')[0];
    return { T2: e.T2, ax: Number(ax), y: 0.9 * window.kestrel.objects()[ax].props.YLim[1] };
  });
  const start = await page.evaluate(([a, x, y]) => window.kestrel.figurePixelOf(a, x, y), [k.ax, k.T2, k.y]);
  await page.mouse.move(start.clientX, start.clientY);
  await page.mouse.down();
  await page.evaluate(() => window.kestrel.stats.reset());
  const r = await page.evaluate(([a, t2, y, ms]) => new Promise((resolve) => {
    const canvas = document.getElementById('figure-canvas');
    const t0 = performance.now();
    const marks = [];
    let step = 0;
    const timer = setInterval(() => {
      const now = performance.now();
      const sec = Math.floor((now - t0) / 1000);
      if (marks[sec] === undefined) marks[sec] = window.kestrel.stats.motionToPaint.length;
      if (now - t0 > ms) {
        clearInterval(timer);
        resolve({ marks, motions: step });
        return;
      }
      const x = t2 + 200 * Math.sin((2 * Math.PI * (step++ % 400)) / 400);
      const p = window.kestrel.figurePixelOf(a, x, y);
      canvas.dispatchEvent(new PointerEvent('pointermove', { clientX: p.clientX, clientY: p.clientY, bubbles: true, pointerId: 1, buttons: 1 }));
    }, 8);
  }), [k.ax, k.T2, k.y, secondsLong * 1000]);
  await page.mouse.up();
  await page.evaluate(() => window.kestrel.idle());
  const all = await page.evaluate(() => window.kestrel.stats.motionToPaint.slice());
  const trips = await page.evaluate(() => ['roundTrip', 'hostMs', 'drawMs', 'applyMs', 'encodeMs'].map((key) => window.kestrel.stats[key].slice()));
  const buckets = r.marks.map((from, i) => all.slice(from, r.marks[i + 1] ?? all.length));
  return { all, buckets, motions: r.motions, roundTrip: trips[0], hostMs: trips[1], drawMs: trips[2], applyMs: trips[3], encodeMs: trips[4] };
}

function report(name, r) {
  const line = (xs) => `median ${quantile(xs, 0.5).toFixed(1)} ms, p95 ${quantile(xs, 0.95).toFixed(1)} ms, n=${xs.length}`;
  console.log(`${name}: ${line(r.all)} (${r.motions} pointer moves)`);
  console.log(`  round trip ${line(r.roundTrip)}\n  in the host: the event ${line(r.hostMs)}; the changes' message ${line(r.encodeMs)}\n  page: decoding ${line(r.applyMs)}; drawing ${line(r.drawMs)}`);
  console.log(`  per second: ${r.buckets.map((b) => quantile(b, 0.5).toFixed(1)).join(' ')}`);
}

(async () => {
  const host = await startHost(path.join(build, 'bin', 'kestrel-host'), path.join(build, 'lib', 'kestrel_mex.so'));
  const browser = await launchBrowser();
  try {
    const loads = [];
    for (let i = 0; i < 5; ++i) {
      const { page } = await openEditor(browser, host.url);
      loads.push(await page.evaluate(() => window.kestrel.stats.firstPaintMs));
      await page.close();
    }
    console.log(`page load to first complete picture: median ${quantile(loads, 0.5).toFixed(0)} ms of ${loads.map((x) => x.toFixed(0)).join(', ')}`);
    const { page } = await openEditor(browser, host.url);
    report(`drag, fit off, ${seconds} s, motions made in the page at 125 Hz`, await dragInPage(page, seconds));
    report(`drag, fit off, ${seconds} s, each motion sent by the driver`, await drag(page, seconds));
    await page.click('[data-tag="radiobutton1"]');
    await page.evaluate(() => window.kestrel.idle());
    report(`drag, fit on (block length 100), ${seconds} s, motions made in the page at 125 Hz`, await dragInPage(page, seconds));
    report(`drag, fit on (block length 100), ${seconds} s, each motion sent by the driver`, await drag(page, seconds));
    // The shortest block the fit takes: the most blocks per estimate.
    await page.fill('[data-tag="edit4"]', '8');
    await page.press('[data-tag="edit4"]', 'Enter');
    await page.evaluate(() => window.kestrel.idle());
    const lpoly = await page.evaluate(() => window.kestrel.editor.Lpoly);
    if (lpoly !== 8) throw new Error(`the block length is ${lpoly}, not 8`);
    report(`drag, fit on (block length 8), ${seconds} s, motions made in the page at 125 Hz`, await dragInPage(page, seconds));
  } finally {
    await browser.close();
    await host.stop();
  }
})().catch((e) => { console.error(e); process.exit(1); });
