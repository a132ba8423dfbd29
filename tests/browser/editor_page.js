// The pulse editor in Chromium, as a person uses it: the server's refusals,
// a drag of marker 2 with the mouse, a slider, an edit box, the fit switch,
// zoom and reset, the exports, and another record opened from disk. Every
// step waits for the host's acknowledgements, never for a time; the
// estimate the host holds is checked against the numpy reference.
'use strict';
const assert = require('assert/strict');
const fs = require('fs');
const http = require('http');
const path = require('path');
const { execFileSync } = require('child_process');
const { startHost, launchBrowser, openEditor } = require('./harness');

const [hostExe, library, outDir] = process.argv.slice(2);
fs.mkdirSync(outDir, { recursive: true });
const checker = path.join(__dirname, 'check_record.py');

function request(port, target, headers = {}, method = 'GET', body = null) {
  return new Promise((resolve, reject) => {
    const req = http.request({ host: '127.0.0.1', port, path: target, method, headers }, (res) => {
      let text = '';
      res.on('data', (d) => { text += d; });
      res.on('end', () => resolve({ status: res.statusCode, text, headers: res.headers }));
    });
    req.on('error', reject);
    if (body) req.write(body);
    req.end();
  });
}

let step = '';
async function check(name, fn) {
  step = name;
  await fn();
  console.log(`ok - ${name}`);
}

// The estimate the host holds, exported as the page does, against the reference.
function checkRecord(file) {
  return execFileSync('/usr/bin/python3', [checker, file], { encoding: 'utf8' }).trim();
}

async function saveDownload(page, selector, name) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(selector)]);
  const file = path.join(outDir, name);
  await download.saveAs(file);
  return fs.readFileSync(file);
}

(async () => {
  const host = await startHost(hostExe, library);
  const browser = await launchBrowser();
  const { port, token } = host;
  try {
    await check('requests without the token, from another origin or for another host are refused', async () => {
      const cases = [
        [`/`, {}],
        [`/?token=${token.slice(1)}x`, {}],
        [`/?token=${token}`, { Origin: 'http://evil.example' }],
        [`/?token=${token}`, { Host: `evil.example:${port}` }],
        [`/export/record.csv`, {}],
      ];
      for (const [target, headers] of cases) {
        const r = await request(port, target, headers);
        assert.equal(r.status, 403, `${target} ${JSON.stringify(headers)}`);
        assert.match(r.text, /^Forbidden: /);
      }
      const ok = await request(port, `/?token=${token}`);
      assert.equal(ok.status, 200);
      assert.match(ok.headers['set-cookie'][0], /HttpOnly; SameSite=Strict/);
      const bad = await request(port, `/event?token=${token}`, { 'Content-Type': 'application/json' }, 'POST', '{"type":"launch"}');
      assert.equal(bad.status, 400);
      assert.match(bad.text, /unknown event type 'launch'/);
    });

    const { page, problems } = await openEditor(browser, host.url);
    const k = () => page.evaluate(() => window.kestrel.editor);
    const idle = () => page.evaluate(() => window.kestrel.idle());
    const axes = await page.evaluate(() => Number(Object.entries(window.kestrel.objects()).find(([, o]) => o.type === 'axes')[0]));
    const pixel = (x, y = 0) => page.evaluate(([a, xx, yy]) => window.kestrel.figurePixelOf(a, xx, yy), [axes, x, y]);

    await check('the editor shows the sample record with its markers', async () => {
      assert.deepEqual(await k(), { type: 'editor', T1: 1200, T2: 1700, T3: 2750, Nsmall: 21, Nmedium: 101, Nlarge: 401, Lpoly: 100, pf: 0 });
      const lines = await page.evaluate(() => Object.values(window.kestrel.objects()).filter((o) => o.type === 'line').length);
      assert.equal(lines, 5);
    });

    await check('a drag of marker 2 moves T2 and the estimate follows', async () => {
      const from = await pixel(1700, 0.3);
      await page.mouse.move(from.clientX, from.clientY);
      assert.equal(await page.evaluate(() => document.getElementById('figure-canvas').style.cursor), 'grab');
      await page.mouse.down();
      for (let x = 1700; x <= 1900; x += 20) {
        const p = await pixel(x, 0.3);
        await page.mouse.move(p.clientX, p.clientY);
      }
      await page.mouse.up();
      await idle();
      assert.equal((await k()).T2, 1900);
      assert.match(await page.textContent('#m-T2'), /^1900$/);
      const record = await saveDownload(page, '#export-mat', 'after-drag.mat');
      assert.ok(record.length > 1000);
      console.log(`  ${checkRecord(path.join(outDir, 'after-drag.mat'))}`);
    });

    await check('arrow keys nudge the selected marker by one and ten samples', async () => {
      await page.keyboard.press('ArrowRight');
      await page.keyboard.press('Shift+ArrowLeft');
      await idle();
      assert.equal((await k()).T2, 1891);
    });

    await check('a slider moved by keyboard and an edit box typed into', async () => {
      await page.focus('[data-tag="slider9"]');
      await page.keyboard.press('ArrowRight');
      await idle();
      assert.equal((await k()).Nsmall, 22);
      await page.fill('[data-tag="edit2"]', '301');
      await page.press('[data-tag="edit2"]', 'Enter');
      await idle();
      assert.equal((await k()).Nmedium, 301);
      assert.equal(await page.inputValue('[data-tag="slider10"]'), '301');
      await page.fill('[data-tag="edit2"]', 'wide');
      await page.press('[data-tag="edit2"]', 'Enter');
      await idle();
      assert.equal(await page.inputValue('[data-tag="edit2"]'), '301');  // put back by the editor
    });

    await check('the fit switch, with the estimate checked again', async () => {
      assert.ok(await page.isDisabled('[data-tag="slider7"]'));
      await page.click('[data-tag="radiobutton1"]');
      await idle();
      assert.equal((await k()).pf, 1);
      assert.ok(!(await page.isDisabled('[data-tag="slider7"]')));
      await saveDownload(page, '#export-mat', 'fit.mat');
      console.log(`  ${checkRecord(path.join(outDir, 'fit.mat'))}`);
      const csv = (await saveDownload(page, '#export-csv', 'fit.csv')).toString();
      assert.match(csv, /# T2,1891\n/);
      assert.equal(csv.trim().split('\n').filter((l) => /^\d/.test(l)).length, 5000);
    });

    await check('wheel zoom, box zoom and reset', async () => {
      const xlim = () => page.evaluate((a) => Array.from(window.kestrel.objects()[a].props.XLim), axes);
      const before = await xlim();
      const c = await pixel(2500, 0);
      await page.mouse.move(c.clientX, c.clientY);
      await page.mouse.wheel(0, -100);
      await idle();
      const zoomed = await xlim();
      assert.ok(zoomed[1] - zoomed[0] < before[1] - before[0]);
      await page.click('#mode-zoom');
      const a = await pixel(2000, 0.5), b = await pixel(3000, -0.5);
      await page.mouse.move(a.clientX, a.clientY);
      await page.mouse.down();
      await page.mouse.move(b.clientX, b.clientY, { steps: 4 });
      await page.mouse.up();
      await idle();
      const boxed = await xlim();
      assert.ok(Math.abs(boxed[0] - 2000) < 2 && Math.abs(boxed[1] - 3000) < 2, `${boxed}`);
      await page.click('#reset-view');
      await idle();
      assert.deepEqual(await xlim(), before);
      await page.click('#mode-edit');
    });

    await check('the figure, and its plot alone, exported as SVG and PNG by the host', async () => {
      const svg = (await saveDownload(page, '#export-svg', 'figure.svg')).toString();
      assert.match(svg, /<svg/);
      const png = await saveDownload(page, '#export-png', 'figure.png');
      assert.deepEqual([...png.subarray(0, 4)], [0x89, 0x50, 0x4e, 0x47]);
      // The plot alone: the axes with their title and labels, cut to the
      // area they take, and none of the controls.
      const plotSvg = (await saveDownload(page, '#export-plot-svg', 'plot.svg')).toString();
      for (const text of ['Small window (samples)', 'Load pulse']) {
        assert.ok(svg.includes(text), `the whole figure shows '${text}'`);
        assert.ok(!plotSvg.includes(text), `the plot alone shows '${text}'`);
      }
      for (const text of ['>sample<', '>5000<']) assert.ok(plotSvg.includes(text), `the plot alone lacks ${text}`);
      const plotPng = await saveDownload(page, '#export-plot-png', 'plot.png');
      const size = (b) => [b.readUInt32BE(16), b.readUInt32BE(20)];
      const [fw, fh] = size(png), [pw, ph] = size(plotPng);
      assert.ok(pw <= fw && ph < fh * 0.75 && pw > fw * 0.8, `the plot alone is ${pw}x${ph} of the figure's ${fw}x${fh}`);
    });

    await check('another record opened from disk, and a file that is no record refused', async () => {
      const other = path.join(outDir, 'other.mat');
      execFileSync('/usr/bin/python3', ['-c', `
import numpy as np, scipy.io
t = np.arange(1, 6001.0)
s = 0.3 * np.sin(t / 40.0) * np.exp(-np.maximum(t - 1000, 0) / 600.0) * (t > 1000)
scipy.io.savemat(${JSON.stringify(other)}, {'s': s.reshape(-1, 1), 'cl': 1000.0})`]);
      await page.setInputFiles('#open-file', other);
      await page.waitForFunction(() => window.kestrel.editor.T1 === 1000);
      await idle();
      assert.deepEqual([(await k()).T2, (await k()).T3], [1500, 2550]);
      await saveDownload(page, '#export-mat', 'other-estimate.mat');
      console.log(`  ${checkRecord(path.join(outDir, 'other-estimate.mat'))}`);
      const junk = path.join(outDir, 'junk.mat');
      fs.writeFileSync(junk, 'not a mat file');
      await page.setInputFiles('#open-file', junk);
      await page.waitForFunction(() => window.kestrel.messages.some((m) => m.includes('not a MAT file')));
      assert.equal((await k()).T1, 1000);  // nothing changed
    });

    await page.screenshot({ path: path.join(outDir, 'editor.png') });
    // The refused upload above is the one failed request the page may log.
    assert.deepEqual(problems.filter((p) => !/status of 400/.test(p)), []);
    console.log(`screenshot: ${path.join(outDir, 'editor.png')}`);
  } catch (e) {
    console.error(`not ok - ${step}\n${e.stack}\nhost stderr:\n${host.errors().slice(-3000)}`);
    process.exitCode = 1;
  } finally {
    await browser.close();
    await host.stop();
  }
})();
