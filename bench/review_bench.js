// The review of many records, measured as a person meets it, in Chromium:
// a folder of 10,000 records (hard links to a few files) opened as a review
// (host start to the address, then the page to its first complete picture
// with the whole list), PageDown to the next record completely drawn (fit
// off, 5000 samples), the list scrolled through by the wheel (frame
// intervals), what a save adds to an action's round trip (a slider value in
// the review beside the same value in a session without one), and the
// host's memory after many records visited. Then a review of a one-hour
// recording at 96 kHz (a 16-bit WAV file of 345.6 million samples, 691 MB,
// with 20,000 clicks in its click list): from the host's start to the first
// record drawn in the page, PageDown through its cuts, and the host's
// memory (RECORDING_MINUTES=0 leaves this part out).
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { startHost, launchBrowser, openEditor } = require('../tests/browser/harness');

const build = path.resolve(process.argv[2] || 'build');
const host = path.join(build, 'bin', 'kestrel-host');
const lib = path.join(build, 'lib', 'kestrel_mex.so');
const COUNT = Number(process.env.REVIEW_RECORDS || 10000);
const MINUTES = Number(process.env.RECORDING_MINUTES ?? 60);

const q = (xs, p) => { const s = [...xs].sort((a, b) => a - b); return s[Math.min(s.length - 1, Math.floor(p * s.length))]; };
const ms = (x) => `${x.toFixed(1)} ms`;
const rss = (pid) => Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${pid}/status`, 'utf8'))[1]) / 1024;

function makeRecords(dir) {
  const src = path.join(dir, 'src');
  const many = path.join(dir, 'many');
  fs.mkdirSync(src);
  fs.mkdirSync(many);
  execFileSync('/usr/bin/python3', ['-c', `
import numpy as np, scipy.io as sio
rng = np.random.default_rng(3)
for k in range(5):
    t = np.arange(5000); cl = 400 + 200 * k
    s = 0.02 * rng.standard_normal(5000) + np.exp(-((t - cl - 200) / 80.0) ** 2) * np.sin(t / 5.0)
    sio.savemat('${src}/r%d.mat' % k, {'s': s.reshape(-1, 1), 'cl': float(cl)})
`]);
  for (let i = 1; i <= COUNT; ++i) fs.linkSync(path.join(src, `r${i % 5}.mat`), path.join(many, `rec${i}.mat`));
  return { src, many };
}

async function valueTrips(page, n) {
  return page.evaluate(async (count) => {
    const objs = window.kestrel.objects();
    const slider = Number(Object.entries(objs).find(([, o]) => o.props.Tag === 'slider10')[0]);
    const trips = [];
    for (let i = 0; i < count; ++i) {
      const t0 = performance.now();
      await window.kestrel.send({ type: 'value', handle: slider, value: 101 + 2 * (i % 50) + 2 });
      trips.push(performance.now() - t0);
      await new Promise((r) => setTimeout(r, 20));
    }
    return trips;
  }, n);
}

async function pageDowns(page, n) {
  const downs = [];
  for (let i = 0; i < n; ++i) {
    downs.push(await page.evaluate(() => new Promise((resolve) => {
      const before = window.kestrel.review.current;
      const t = performance.now();
      document.dispatchEvent(new KeyboardEvent('keydown', { key: 'PageDown', bubbles: true }));
      const wait = () => {
        if (window.kestrel.review.current === before) return requestAnimationFrame(wait);
        window.kestrel.idle().then(() => resolve(performance.now() - t));
      };
      wait();
    })));
  }
  return downs;
}

async function recording(browser, tmp) {
  const wav = path.join(tmp, 'hour.wav');
  const clicks = Math.round(20000 * MINUTES / 60);
  const t0 = Date.now();
  execFileSync('/usr/bin/python3', ['-c', `
import wave, numpy as np
rate, minutes, clicks = 96000, ${MINUTES}, ${clicks}
n = rate * 60 * minutes
at = np.linspace(3000, n - 3000, clicks).astype(np.int64)
with wave.open('${wav}', 'wb') as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
    rng = np.random.default_rng(1)
    block = 1 << 22
    for start in range(0, n, block):
        t = np.arange(start, min(n, start + block))
        x = 300 * rng.standard_normal(t.size)
        for c in at[(at > start - 2000) & (at < start + t.size)]:
            k = (t >= c) & (t < c + 2000)
            x[k] += 9000 * np.sin((t[k] - c) / 5.0) * np.exp(-(t[k] - c) / 300.0)
        w.writeframes(np.clip(x, -32768, 32767).astype('<i2').tobytes())
with open('${wav.replace('.wav', '.clicks.csv')}', 'w') as f:
    f.write('sample\\n' + '\\n'.join(str(int(c) + 1) for c in at) + '\\n')
`]);
  const size = fs.statSync(wav).size / 1e6;
  console.log(`recording: ${MINUTES} min at 96 kHz, ${size.toFixed(0)} MB, ${clicks} clicks (written in ${((Date.now() - t0) / 1000).toFixed(1)} s)`);
  const t1 = Date.now();
  const h = await startHost(host, lib, { evalText: 'disp(1)', args: ['--review', wav, '--results', path.join(tmp, 'hour-results')] });
  const hostMs = Date.now() - t1;
  const { page } = await openEditor(browser, h.url);
  await page.waitForFunction((n) => window.kestrel.review && window.kestrel.review.records === n && window.kestrel.review.current === 0, clicks);
  await page.evaluate(() => window.kestrel.idle());
  const firstMs = Date.now() - t1;
  console.log(`review of the recording: host ready in ${ms(hostMs)}, first record drawn in the page ${ms(firstMs)} after the host's start`);
  const rssFirst = rss(h.proc.pid);
  const downs = await pageDowns(page, 40);
  console.log(`PageDown through its cuts: median ${ms(q(downs, 0.5))}, 95th percentile ${ms(q(downs, 0.95))}`);
  await page.evaluate((n) => window.kestrel.send({ type: 'review', action: 'open', index: n - 1 }).catch(() => {}), clicks);
  await page.evaluate(() => window.kestrel.idle());
  console.log(`host memory: ${rssFirst.toFixed(1)} MiB at the first record, ${rss(h.proc.pid).toFixed(1)} MiB after 40 more and a jump to the last`);
  await page.close();
  await h.stop();
}

(async () => {
  const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrel-review-bench-'));
  const browser = await launchBrowser();
  try {
    const { src, many } = makeRecords(tmp);
    // Opening: the host's start (list, summary, figure, first record), then the page.
    const t0 = Date.now();
    const h = await startHost(host, lib, { evalText: 'disp(1)', args: ['--review', many, '--results', path.join(tmp, 'res')] });
    const hostMs = Date.now() - t0;
    // The page twice: the browser's first page pays for its own start.
    const opened = [];
    let page = null;
    for (let k = 0; k < 2; ++k) {
      if (page) await page.close();
      const t1 = Date.now();
      page = (await openEditor(browser, h.url)).page;
      await page.waitForFunction((n) => window.kestrel.review && window.kestrel.review.records === n, COUNT);
      await page.evaluate(() => window.kestrel.idle());
      opened.push(Date.now() - t1);
    }
    console.log(`review of ${COUNT} records: host ready in ${ms(hostMs)}; page with the list and the first record drawn in ${ms(opened[1])} (${ms(opened[0])} as the browser's first page)`);
    const rssFirst = rss(h.proc.pid);

    // PageDown to the next record completely drawn.
    const downs = await pageDowns(page, 40);
    console.log(`PageDown to the next record drawn (fit off): median ${ms(q(downs, 0.5))}, 95th percentile ${ms(q(downs, 0.95))}`);

    // The list scrolled by the wheel for three seconds.
    const box = await page.locator('#review-list').boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    const frames = page.evaluate(() => new Promise((resolve) => {
      const gaps = [];
      let last = performance.now();
      const t0 = last;
      const tick = (now) => {
        gaps.push(now - last);
        last = now;
        if (now - t0 < 3000) requestAnimationFrame(tick); else resolve(gaps);
      };
      requestAnimationFrame(tick);
    }));
    const end = Date.now() + 3000;
    while (Date.now() < end) await page.mouse.wheel(0, 400);
    const gaps = await frames;
    const top = await page.evaluate(() => document.getElementById('review-list').scrollTop);
    console.log(`list scrolled by the wheel to ${top} px in 3 s: frame interval median ${ms(q(gaps, 0.5))}, 95th percentile ${ms(q(gaps, 0.95))}, longest ${ms(Math.max(...gaps))}`);

    // What a save adds: a slider value in the review, and in a session
    // without one on the same record.
    const inReview = await valueTrips(page, 60);
    for (let i = 0; i < 300; ++i) await page.evaluate(() => window.kestrel.send({ type: 'review', action: 'next' }).catch(() => {}));
    await page.evaluate(() => window.kestrel.idle());
    const rssAfter = rss(h.proc.pid);
    await page.close();
    await h.stop();
    const plain = await startHost(host, lib, { args: ['--record', path.join(src, 'r1.mat')] });
    const t2 = Date.now();
    const p2 = (await openEditor(browser, plain.url)).page;
    console.log(`the same page without a review, one record: ${ms(Date.now() - t2)} to its first complete picture`);
    const without = await valueTrips(p2, 60);
    await plain.stop();
    console.log(`slider value round trip: ${ms(q(inReview, 0.5))} in the review (saved each time), ${ms(q(without, 0.5))} without; a save adds ${ms(q(inReview, 0.5) - q(without, 0.5))} (median)`);
    console.log(`host memory: ${rssFirst.toFixed(1)} MiB after the first record, ${rssAfter.toFixed(1)} MiB after 340 more visited`);
    if (MINUTES > 0) await recording(browser, tmp);
  } finally {
    await browser.close();
    fs.rmSync(tmp, { recursive: true, force: true });
  }
})().catch((e) => { console.error(e); process.exit(1); });
