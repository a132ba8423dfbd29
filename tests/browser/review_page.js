// A review of many records in Chromium, as an analyst goes through it: the
// record list beside the figure, Page Down through the records (a broken
// one refused with its reason and passed over), edits to three records by
// the mouse, an edit box and the fit switch, undo and redo by buttons and
// keys, a save that fails and the banner that says so, the host killed
// outright and started again on the same folders with every edit, the
// undo history and the last record viewed restored, and summary.csv
// against the results files. Every estimate is checked against the numpy
// reference. Recordings (a MAT file with a click vector, a WAV file with
// its click list) are reviewed record by record, each the same as the same
// record stored alone. A list of 10,000 records keeps only the rows in
// sight in the page, and a page outside a review shows no list.
'use strict';
const assert = require('assert/strict');
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const { startHost, launchBrowser, openEditor, root } = require('./harness');

const [hostExe, library, outDir] = process.argv.slice(2);
fs.mkdirSync(outDir, { recursive: true });
const checker = path.join(__dirname, 'check_record.py');
const records = path.join(outDir, 'review-records');
const results = path.join(outDir, 'review-results');
const many = path.join(outDir, 'review-many');
const manyResults = path.join(outDir, 'review-many-results');
for (const d of [records, results, many, manyResults]) fs.rmSync(d, { recursive: true, force: true });
fs.mkdirSync(records);

let step = '';
async function check(name, fn) {
  step = name;
  await fn();
  console.log(`ok - ${name}`);
}

const python = (script, ...args) => execFileSync('/usr/bin/python3', ['-c', script, ...args], { encoding: 'utf8' });

// Six records of 6000 samples: a decaying pulse at the click, with noise.
// rec4 is shorter than the 5000 samples the editor shows.
const CLICKS = [400, 650, 900, 4000, 1100, 320];
python(`
import sys, numpy as np, scipy.io
rng = np.random.default_rng(11)
for i, cl in enumerate(${JSON.stringify(CLICKS)}, start=1):
    t = np.arange(1, 6001.0)
    pulse = 0.6 * np.sin((t - cl) / (25.0 + 3 * i)) * np.exp(-np.maximum(t - cl, 0) / 350.0) * (t >= cl)
    s = pulse + 0.02 * rng.standard_normal(6000)
    if i == 4:
        s = s[:4000]
    scipy.io.savemat(f"{sys.argv[1]}/rec{i}.mat", {"s": s.reshape(-1, 1), "cl": float(cl)})
`, records);
const loaded = (cl) => ({ T1: cl, T2: cl + 500, T3: cl + 1550, Nsmall: 21, Nmedium: 101, Nlarge: 401, Lpoly: 100, pf: 0 });
const SETTINGS = ['T1', 'T2', 'T3', 'Nsmall', 'Nmedium', 'Nlarge', 'Lpoly', 'pf'];
const settingsOf = (editor) => Object.fromEntries(SETTINGS.map((k) => [k, editor[k]]));

// summary.csv read with Python's csv module, and every results file with
// scipy: its settings, click, and its estimate's largest difference from
// the reference estimate of its record and settings.
function readResults(dir) {
  return JSON.parse(python(`
import csv, json, os, sys
import numpy as np, scipy.io
sys.path.insert(0, ${JSON.stringify(path.join(root, 'tests', 'reference'))})
from pulse_reference import pulse_estimate
names = ${JSON.stringify(SETTINGS)}
with open(os.path.join(sys.argv[1], "summary.csv"), newline="") as f:
    rows = list(csv.DictReader(f))
files = {}
for row in rows:
    path = os.path.join(sys.argv[1], row["name"] + ".mat")
    if not os.path.exists(path):
        continue
    m = scipy.io.loadmat(path)
    get = lambda k: float(np.asarray(m[k]).ravel()[0])
    v = {k: get(k) for k in names}
    ref = pulse_estimate(np.asarray(m["s"], dtype=float).ravel(), v["Lpoly"], v["pf"] != 0,
                         (int(v["T1"]), int(v["T2"]), int(v["T3"])),
                         (int(v["Nsmall"]), int(v["Nmedium"]), int(v["Nlarge"])))
    est = np.asarray(m["estimate"], dtype=float).ravel()
    v["cl"] = get("cl")
    v["diff"] = float(np.max(np.abs(est - ref))) / max(float(np.max(np.abs(ref))), 1.0)
    files[row["name"]] = v
print(json.dumps({"rows": rows, "files": files}))
`, dir));
}

(async () => {
  const browser = await launchBrowser();
  let host = null;
  try {
    const start = (dir, res) => startHost(hostExe, library, { evalText: '', args: ['--review', dir, '--results', res] });
    host = await start(records, results);
    let { page, problems } = await openEditor(browser, host.url, { width: 1280, height: 800 });
    const idle = () => page.evaluate(() => window.kestrel.idle());
    const review = () => page.evaluate(() => window.kestrel.review);
    const row = (i) => page.evaluate((k) => window.kestrel.reviewRow(k), i);
    const editor = async () => settingsOf(await page.evaluate(() => window.kestrel.editor));
    const press = async (key) => { await page.keyboard.press(key); await idle(); };
    const click = async (selector) => { await page.click(selector); await idle(); };
    // The rows in the page, as shown.
    const shownRows = () => page.$$eval('.rv-row', (els) => els.map((e) => ({
      index: Number(e.dataset.index), name: e.querySelector('.rv-name').textContent,
      click: e.querySelector('.rv-click').textContent, state: e.querySelector('.rv-state').textContent,
      current: e.classList.contains('current'), title: e.title,
    })).sort((a, b) => a.index - b.index));
    const rendered = () => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    // The estimate the page shows, exported as the page does, against the reference.
    let exported = 0;
    const checkShown = async () => {
      const [download] = await Promise.all([page.waitForEvent('download'), page.click('#export-mat')]);
      const file = path.join(outDir, `review-export-${++exported}.mat`);
      await download.saveAs(file);
      console.log(`  ${download.suggestedFilename()}: ${execFileSync('/usr/bin/python3', [checker, file], { encoding: 'utf8' }).trim()}`);
      return download.suggestedFilename();
    };
    // A drag of a marker of the record shown from its sample to another.
    const drag = async (from, to) => {
      const axes = await page.evaluate(() => Number(Object.entries(window.kestrel.objects()).find(([, o]) => o.type === 'axes')[0]));
      const pixel = (x) => page.evaluate(([a, xx]) => {
        const y = Array.from(window.kestrel.objects()[a].props.YLim);
        return window.kestrel.figurePixelOf(a, xx, y[0] + 0.8 * (y[1] - y[0]));
      }, [axes, x]);
      const p0 = await pixel(from);
      await page.mouse.move(p0.clientX, p0.clientY);
      await page.mouse.down();
      for (let x = from; x !== to;) {
        x += Math.sign(to - x) * Math.min(25, Math.abs(to - x));
        const p = await pixel(x);
        await page.mouse.move(p.clientX, p.clientY);
      }
      await page.mouse.up();
      await idle();
    };

    await check('the review opens on its first record, the list beside the figure', async () => {
      await page.waitForFunction(() => window.kestrel.review && window.kestrel.review.current === 0);
      await rendered();
      const r = await review();
      assert.deepEqual([r.records, r.current, r.undo, r.redo, r.error, r.results], [6, 0, 0, 0, '', results]);
      assert.deepEqual(await editor(), loaded(400));
      assert.ok(await page.isVisible('#review'));
      assert.equal(await page.textContent('#review-position'), 'Record 1 of 6');
      assert.match(await page.getAttribute('#review-results', 'title'), new RegExp(`${results}$`));
      const rows = await shownRows();
      assert.deepEqual(rows.map((x) => [x.name, x.state, x.current]), [
        ['rec1', 'saved', true], ['rec2', 'not opened', false], ['rec3', 'not opened', false],
        ['rec4', 'not opened', false], ['rec5', 'not opened', false], ['rec6', 'not opened', false]]);
      assert.equal(rows[0].click, '400');
      assert.ok(await page.isDisabled('#review-previous') && await page.isDisabled('#review-undo') && await page.isDisabled('#review-redo'));
      // The list sits left of the figure, the figure keeps the rest.
      const list = await page.locator('#review').boundingBox(), fig = await page.locator('#figure-area').boundingBox();
      assert.ok(list.x === 0 && list.x + list.width <= fig.x && list.width >= 240, JSON.stringify([list, fig]));
      assert.equal(await checkShown(), 'rec1.mat');
    });

    await check('Page Down goes through the records, the broken one refused with its reason and passed over', async () => {
      await press('PageDown');
      assert.equal((await review()).current, 1);
      assert.deepEqual(await editor(), loaded(650));
      await press('PageDown');
      assert.equal((await review()).current, 2);
      await press('PageDown');
      const r = await review();
      assert.equal(r.current, 4);
      assert.deepEqual(await editor(), loaded(1100));
      const broken = await row(3);
      assert.equal(broken.state, 'refused');
      assert.match(broken.reason, /4000/);
      await rendered();
      const shown = (await shownRows())[3];
      assert.equal(shown.state, 'refused');
      assert.equal(shown.title, `rec4: ${broken.reason}`);
      assert.equal(await page.textContent('#review-position'), 'Record 5 of 6');
      await press('PageDown');
      assert.equal((await review()).current, 5);
      assert.ok(await page.isDisabled('#review-next'), 'Next at the last record');
      await press('PageUp');
      await press('PageUp');
      assert.equal((await review()).current, 2);
      assert.deepEqual(await editor(), loaded(900));
      for (const i of [0, 1, 2, 4, 5]) assert.equal((await row(i)).state, 'saved', `rec${i + 1}`);
      assert.equal((await row(2)).click, 900);
    });

    await check('a marker dragged, then undone and redone by buttons and keys', async () => {
      await drag(1400, 1600);
      assert.equal((await editor()).T2, 1600);
      let r = await review();
      assert.deepEqual([r.current, r.undo, r.redo], [2, 1, 0]);
      assert.equal((await row(2)).state, 'saved');
      await checkShown();
      await click('#review-undo');
      r = await review();
      assert.deepEqual([(await editor()).T2, r.undo, r.redo], [1400, 0, 1]);
      assert.ok(await page.isDisabled('#review-undo') && !(await page.isDisabled('#review-redo')));
      await press('Control+y');
      assert.deepEqual([(await editor()).T2, (await review()).undo], [1600, 1]);
      await press('Control+z');
      assert.deepEqual([(await editor()).T2, (await review()).redo], [1400, 1]);
      await press('Control+Shift+Z');
      assert.deepEqual([(await editor()).T2, (await review()).undo, (await review()).redo], [1600, 1, 0]);
      assert.ok(await page.isDisabled('#review-redo'));
      // An edit box keeps Ctrl+Z for its own typing.
      await page.focus('[data-tag="edit2"]');
      await press('Control+z');
      assert.deepEqual([(await editor()).T2, (await review()).undo], [1600, 1]);
      await page.keyboard.press('Escape');
    });

    await check('a value typed into an edit box, reset and the reset undone', async () => {
      await click('.rv-row[data-index="0"]');
      assert.equal((await review()).current, 0);
      assert.deepEqual(await editor(), loaded(400));
      await page.fill('[data-tag="edit2"]', '301');
      await page.press('[data-tag="edit2"]', 'Enter');
      await idle();
      await page.keyboard.press('Escape');
      assert.equal((await editor()).Nmedium, 301);
      assert.equal((await review()).undo, 1);
      await click('#review-reset');
      assert.deepEqual(await editor(), loaded(400));
      assert.equal((await review()).undo, 2);
      await click('#review-undo');
      assert.equal((await editor()).Nmedium, 301);
      await checkShown();
    });

    await check('a save that fails is shown until one succeeds', async () => {
      // The results file replaced by a folder: saving rec6 cannot succeed.
      await click('.rv-row[data-index="5"]');
      const blocked = path.join(results, 'rec6.mat');
      fs.rmSync(blocked);
      fs.mkdirSync(blocked);
      fs.writeFileSync(path.join(blocked, 'keep'), '');
      await page.fill('[data-tag="edit2"]', '201');
      await page.press('[data-tag="edit2"]', 'Enter');
      await idle();
      await page.keyboard.press('Escape');
      const r = await review();
      assert.match(r.error, /rec6\.mat/);
      assert.equal((await row(5)).state, 'edited');
      assert.ok(await page.isVisible('#review-error'));
      assert.equal(await page.getAttribute('#review-error', 'role'), 'alert');
      assert.ok((await page.textContent('#review-error')).includes(r.error));
      await page.screenshot({ path: path.join(outDir, 'review-error.png') });
      fs.rmSync(blocked, { recursive: true });
      await click('#review-undo');
      assert.equal((await review()).error, '');
      assert.ok(!(await page.isVisible('#review-error')));
      assert.equal((await row(5)).state, 'saved');
      assert.deepEqual(await editor(), loaded(320));
    });

    await check('the fit switch on the second record, then the host killed outright', async () => {
      await click('.rv-row[data-index="1"]');
      await click('[data-tag="radiobutton1"]');
      assert.equal((await editor()).pf, 1);
      await checkShown();
      await page.screenshot({ path: path.join(outDir, 'review-1280.png') });
      host.proc.kill('SIGKILL');
      host = null;
      await page.waitForFunction(() => window.kestrel.hostGone, null, { timeout: 20000 });
      for (const b of ['previous', 'next', 'undo', 'redo', 'reset']) assert.ok(await page.isDisabled(`#review-${b}`), b);
      await page.close();
    });

    await check('started again: the last record viewed, every edit and the undo history restored', async () => {
      host = await start(records, results);
      ({ page, problems } = await openEditor(browser, host.url, { width: 1000, height: 800 }));
      await page.waitForFunction(() => window.kestrel.review);
      const r = await review();
      assert.deepEqual([r.records, r.current, r.error], [6, 1, '']);
      const broken = await row(3);
      assert.equal(broken.state, 'refused');
      assert.match(broken.reason, /4000/);
      const expected = [
        { ...loaded(400), Nmedium: 301 }, { ...loaded(650), pf: 1 }, { ...loaded(900), T2: 1600 }, null,
        loaded(1100), loaded(320)];
      assert.deepEqual(await editor(), expected[1]);
      await page.screenshot({ path: path.join(outDir, 'review-1000.png') });
      for (const i of [0, 2, 4, 5, 1]) {
        await click(`.rv-row[data-index="${i}"]`);
        assert.equal((await review()).current, i);
        assert.deepEqual(await editor(), expected[i], `rec${i + 1}`);
        assert.equal(await checkShown(), `rec${i + 1}.mat`);
      }
      // The refused record cannot be opened; the one shown stays.
      await click('.rv-row[data-index="3"]');
      assert.equal((await review()).current, 1);
      assert.ok((await page.evaluate(() => window.kestrel.messages)).some((m) => m.includes(broken.reason)));
      // rec3's history came back with it: the drag is undone and redone.
      await click('.rv-row[data-index="2"]');
      assert.ok((await review()).undo >= 1);
      await press('Control+z');
      assert.equal((await editor()).T2, 1400);
      await press('Control+y');
      assert.equal((await editor()).T2, 1600);
      assert.deepEqual(problems, []);
      await host.stop();
      host = null;
      await page.close();
    });

    await check('summary.csv agrees with the results files and the reference estimates', async () => {
      const { rows, files } = readResults(results);
      assert.deepEqual(rows.map((r) => [r.name, r.state]), [
        ['rec1', 'saved'], ['rec2', 'saved'], ['rec3', 'saved'], ['rec4', 'refused'], ['rec5', 'saved'], ['rec6', 'saved']]);
      assert.match(rows[3].reason, /4000/);
      assert.ok(!files.rec4, 'a refused record has no results file');
      for (const r of rows.filter((x) => x.state === 'saved')) {
        const f = files[r.name];
        for (const k of SETTINGS) assert.equal(Number(r[k]), f[k], `${r.name} ${k}`);
        assert.equal(Number(r.click), f.cl);
        assert.equal(f.cl, CLICKS[Number(r.name.slice(3)) - 1]);
        assert.ok(f.diff <= 1e-9, `${r.name}: the saved estimate is ${f.diff} off the reference`);
      }
      assert.deepEqual([files.rec1.Nmedium, files.rec2.pf, files.rec3.T2, files.rec6.Nmedium], [301, 1, 1600, 101]);
    });

    await check('10,000 records: only the rows in sight are in the page', async () => {
      fs.mkdirSync(many);
      for (let i = 1; i <= 10000; ++i) fs.linkSync(path.join(records, 'rec1.mat'), path.join(many, `r${i}.mat`));
      host = await start(many, manyResults);
      ({ page, problems } = await openEditor(browser, host.url, { width: 1000, height: 800 }));
      await page.waitForFunction(() => window.kestrel.review && window.kestrel.review.records === 10000);
      await rendered();
      assert.ok((await shownRows()).length < 60);
      await page.$eval('#review-list', (l) => { l.scrollTop = 7000 * 28; });
      await rendered();
      let rows = await shownRows();
      assert.ok(rows.length < 60 && rows.some((x) => x.index === 7000) && !rows.some((x) => x.index < 6900), JSON.stringify(rows.map((x) => x.index)));
      assert.deepEqual(rows.find((x) => x.index === 7000), { index: 7000, name: 'r7001', click: '400', state: 'not opened', current: false, title: 'r7001' });
      await click('.rv-row[data-index="7000"]');
      await rendered();
      assert.equal((await review()).current, 7000);
      assert.equal(await page.textContent('#review-position'), 'Record 7001 of 10000');
      // Scrolled away, the list comes back to the current record with the next.
      await page.$eval('#review-list', (l) => { l.scrollTop = 0; });
      await press('PageDown');
      await rendered();
      rows = await shownRows();
      assert.ok(rows.length < 60);
      assert.deepEqual(rows.filter((x) => x.current).map((x) => [x.index, x.state]), [[7001, 'saved']]);
      const inView = await page.$eval('.rv-row.current', (e) => {
        const r = e.getBoundingClientRect(), l = document.getElementById('review-list').getBoundingClientRect();
        return r.top >= l.top && r.bottom <= l.bottom;
      });
      assert.ok(inView, 'the current row is in view');
      await page.screenshot({ path: path.join(outDir, 'review-many.png') });
      await host.stop();
      host = null;
    });

    await check('recordings: a MAT file with a click vector and a WAV file with its click list', async () => {
      // One recording of 30,000 samples, as 16-bit samples, stored three
      // ways: a MAT recording, a WAV file with hydro.clicks.csv, and its
      // second click's record as a file of its own.
      const dir = path.join(outDir, 'review-recordings');
      const res = path.join(outDir, 'review-recordings-results');
      for (const d of [dir, res]) fs.rmSync(d, { recursive: true, force: true });
      fs.mkdirSync(dir);
      python(`
import sys, wave, numpy as np, scipy.io
d = sys.argv[1]
t = np.arange(30000); rng = np.random.default_rng(5); x = 0.02 * rng.standard_normal(30000)
for c in (2500, 12000, 28500):
    x += 0.6 * np.sin((t - c) / 22.0) * np.exp(-np.maximum(t - c, 0) / 300.0) * (t >= c)
pcm = np.clip(np.round(x * 16000), -32768, 32767).astype(np.int16); s = pcm / 32768.0
scipy.io.savemat(d + "/dive.mat", {"s": s.reshape(-1, 1), "cl": np.array([[2500.0], [12000.0], [28500.0]])})
with wave.open(d + "/hydro.wav", "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(96000); w.writeframes(pcm.tobytes())
open(d + "/hydro.clicks.csv", "w").write("# detector output\\nsample\\n2500\\n12000\\n28500\\n")
scipy.io.savemat(d + "/alone.mat", {"s": s[10999:15999].reshape(-1, 1), "cl": 1001.0})
`, dir);
      host = await start(dir, res);
      ({ page, problems } = await openEditor(browser, host.url, { width: 1280, height: 800 }));
      await page.waitForFunction(() => window.kestrel.review && window.kestrel.review.records === 7);
      await rendered();
      const rows = await shownRows();
      assert.deepEqual(rows.map((x) => [x.name, x.click, x.state]), [
        ['alone', '1001', 'saved'],
        ['dive.mat #1', '2500', 'not opened'], ['dive.mat #2', '12000', 'not opened'],
        ['dive.mat #3', '28500', 'refused'],
        ['hydro.wav #1', '2500', 'not opened'], ['hydro.wav #2', '12000', 'not opened'],
        ['hydro.wav #3', '28500', 'refused']]);
      assert.match(rows[3].title, /too near the end/);
      // The second click of each recording: its record starts 10,999
      // samples in, the click on its sample 1001, and the page says where
      // the markers lie in the recording.
      const names = [];
      for (const i of [2, 5]) {
        await click(`.rv-row[data-index="${i}"]`);
        assert.equal((await review()).current, i);
        assert.deepEqual(await editor(), loaded(1001));
        assert.equal(await page.textContent('#m-source'), 'in the recording: 12000, 12500, 13550');
        assert.ok(await page.isVisible('#m-source'));
        names.push(await checkShown());
      }
      assert.deepEqual(names, ['dive-c2.mat', 'hydro-c2.mat']);
      await click('.rv-row[data-index="0"]');
      assert.ok(!(await page.isVisible('#m-source')), 'a record file of its own has no recording');
      // The same record three ways: the same estimate, bit for bit; the
      // results say where the cuts lie.
      const same = python(`
import sys, csv, numpy as np, scipy.io
r = sys.argv[1]
e = [np.asarray(scipy.io.loadmat(r + "/" + n + ".mat")["estimate"]).ravel() for n in ("alone", "dive-c2", "hydro-c2")]
rows = {x["name"]: x for x in csv.DictReader(open(r + "/summary.csv"))}
print(all(np.array_equal(e[0], x) for x in e[1:]), rows["dive-c2"]["offset"], rows["hydro-c2"]["click"], rows["hydro-c2"]["T1"])
`, res).trim();
      assert.equal(same, 'True 10999 12000 1001');
      assert.deepEqual(problems, []);
      await page.screenshot({ path: path.join(outDir, 'review-recording.png') });
      await host.stop();
      host = null;
    });

    await check('a page outside a review shows no list', async () => {
      host = await startHost(hostExe, library);
      ({ page, problems } = await openEditor(browser, host.url, { width: 1280, height: 800 }));
      assert.equal(await page.evaluate(() => window.kestrel.review), null);
      assert.ok(!(await page.isVisible('#review')));
      assert.ok(!(await page.evaluate(() => document.body.classList.contains('reviewing'))));
      assert.ok(await page.isVisible('.hint.review-not') && !(await page.isVisible('.hint.review-only')));
      assert.equal((await page.locator('#figure-area').boundingBox()).x, 0);
      await press('PageDown');
      assert.deepEqual(problems, []);
    });
    console.log(`screenshots: ${path.join(outDir, 'review-*.png')}`);
  } catch (e) {
    console.error(`not ok - ${step}\n${e.stack}\nhost stderr:\n${host ? host.errors().slice(-3000) : ''}`);
    process.exitCode = 1;
  } finally {
    await browser.close();
    if (host) await host.stop();
  }
})();
