// The figure window as a new user meets it, in Chromium: the editor's
// figure laid out as its script made it at one scale in windows of many
// sizes (with tabs, with the Messages panel open, on a dense screen), two
// windows of different sizes on one figure, the limits of zooming, the keys
// after a control was used, a press on a slider's track, the legend and the
// marker swatches following the lines' colours, line styles and markers
// drawn as the exported picture draws them, the help panel, and a host
// that stops. Every step waits for the host's acknowledgements or for what
// the host prints, never for a time.
'use strict';
const assert = require('assert/strict');
const fs = require('fs');
const path = require('path');
const { startHost, launchBrowser, openEditor } = require('./harness');

const [hostExe, library, outDir] = process.argv.slice(2);
fs.mkdirSync(outDir, { recursive: true });

// A failed check is reported and the next one runs: each stands on the
// page as the ones before left it, not on their success.
let failed = 0;
let hostErrors = () => '';
async function check(name, fn) {
  try {
    await fn();
    console.log(`ok - ${name}`);
  } catch (e) {
    ++failed;
    console.error(`not ok - ${name}\n${e.stack}\nhost stderr:\n${hostErrors().slice(-3000)}`);
  }
}

const idle = (page) => page.evaluate(() => window.kestrel.idle());
const shot = async (page, name) => {
  const file = path.join(outDir, `${name}.png`);
  await page.screenshot({ path: file });
  console.log(`  screenshot: ${file}`);
};

// What lies where on the page, in client pixels: the figure area, the
// stage, the editor's controls, the axes' plot boxes and the texts drawn
// on the canvas.
function layout(page) {
  return page.evaluate(() => {
    const k = window.kestrel;
    const rect = (r) => ({ left: r.left, top: r.top, right: r.right, bottom: r.bottom });
    const canvas = document.getElementById('figure-canvas').getBoundingClientRect();
    const s = k.scale;
    const fig = k.objects()[k.shownFigure];
    const H = fig.props._rect[3];
    const inClient = (x0, y0, x1, y1) => ({ left: canvas.left + x0 * s, top: canvas.top + y0 * s, right: canvas.left + x1 * s, bottom: canvas.top + y1 * s });
    const boxes = Object.values(k.objects()).filter((o) => o.type === 'axes' && o.parent === k.shownFigure).map((o) => {
      const [bx, by, bw, bh] = o.props._plotbox;
      return inClient(bx, H - by - bh, bx + bw, H - by);
    });
    const area = document.getElementById('figure-area');
    const c = document.getElementById('figure-canvas');
    return {
      scale: s, minScale: k.minScale, dpr: window.devicePixelRatio,
      window: { width: innerWidth, height: innerHeight },
      area: rect(area.getBoundingClientRect()),
      areaClient: { width: area.clientWidth, height: area.clientHeight, scrollWidth: area.scrollWidth, scrollHeight: area.scrollHeight },
      stage: rect(document.getElementById('stage').getBoundingClientRect()),
      canvas: { width: c.width, height: c.height, cssWidth: canvas.width, cssHeight: canvas.height },
      figure: { W: fig.props._rect[2], H },
      controls: [...document.querySelectorAll('#controls .uic')].filter((el) => el.style.display !== 'none')
        .map((el) => ({ tag: el.dataset.tag || el.dataset.style + el.dataset.handle, ...rect(el.getBoundingClientRect()) })),
      boxes,
      texts: k.drawnText().map((t) => ({ kind: t.kind, text: t.text, ...inClient(t.left, t.top, t.right, t.bottom) })),
    };
  });
}

const overlap = (a, b) => Math.min(a.right, b.right) - Math.max(a.left, b.left) > 0.5 && Math.min(a.bottom, b.bottom) - Math.max(a.top, b.top) > 0.5;
const inside = (a, b, slack = 0.5) => a.left >= b.left - slack && a.top >= b.top - slack && a.right <= b.right + slack && a.bottom <= b.bottom + slack;
const show = (r) => `[${[r.left, r.top, r.right, r.bottom].map((v) => v.toFixed(1)).join(' ')}]`;

// The editor's controls lie inside the figure, apart from one another, off
// the plot box and off every text drawn on the canvas; the figure fits the
// area (filling it in one direction) or, at the smallest scale, the area
// scrolls to each control.
async function checkLayout(page, label) {
  const L = await layout(page);
  assert.equal(L.controls.length, 18, `${label}: the editor's eighteen controls (four rows of label, slider, box and note; the fit switch and the load button)`);
  const where = `${label} at scale ${L.scale.toFixed(3)}`;
  for (const [i, a] of L.controls.entries()) {
    assert.ok(inside(a, L.stage), `${where}: ${a.tag} ${show(a)} sticks out of the figure ${show(L.stage)}`);
    for (const b of L.boxes) assert.ok(!overlap(a, b), `${where}: ${a.tag} ${show(a)} lies on the plot box ${show(b)}`);
    for (const t of L.texts) assert.ok(!overlap(a, t), `${where}: ${a.tag} ${show(a)} covers the ${t.kind} '${t.text}' ${show(t)}`);
    for (const b of L.controls.slice(i + 1)) assert.ok(!overlap(a, b), `${where}: ${a.tag} ${show(a)} lies on ${b.tag} ${show(b)}`);
  }
  assert.ok(L.texts.some((t) => t.kind === 'xtick') && L.texts.some((t) => t.kind === 'ytick'), `${where}: tick labels drawn`);
  for (const t of L.texts) assert.ok(inside(t, L.stage, 1), `${where}: the ${t.kind} '${t.text}' ${show(t)} is cut off by the figure ${show(L.stage)}`);
  // One scale for all: the canvas is the figure's size times the scale, in device pixels.
  assert.equal(L.canvas.width, Math.round(L.figure.W * L.scale * L.dpr), `${where}: canvas pixels across`);
  assert.ok(Math.abs(L.canvas.cssWidth - L.figure.W * L.scale) < 1, `${where}: canvas width`);
  assert.ok(Math.abs(L.canvas.cssHeight - L.figure.H * L.scale) < 1, `${where}: canvas height`);
  if (L.scale > L.minScale + 1e-9) {
    assert.ok(inside(L.stage, L.area), `${where}: the figure ${show(L.stage)} fits the area ${show(L.area)}`);
    assert.ok(L.areaClient.scrollWidth <= L.areaClient.width && L.areaClient.scrollHeight <= L.areaClient.height, `${where}: the area scrolls`);
    const pad = 2 * 10;
    const filled = Math.abs(L.canvas.cssWidth - (L.areaClient.width - pad)) <= 1.5 || Math.abs(L.canvas.cssHeight - (L.areaClient.height - pad)) <= 1.5;
    assert.ok(filled, `${where}: the figure ${L.canvas.cssWidth}x${L.canvas.cssHeight} does not fill the area ${L.areaClient.width}x${L.areaClient.height}`);
  } else {
    // Scrolled to, every control is seen whole within the area and the window.
    for (const tag of L.controls.map((c) => c.tag)) {
      const r = await page.evaluate((t) => {
        const el = [...document.querySelectorAll('#controls .uic')].find((e) => (e.dataset.tag || e.dataset.style + e.dataset.handle) === t);
        el.scrollIntoView({ block: 'nearest', inline: 'nearest' });
        const b = el.getBoundingClientRect(), a = document.getElementById('figure-area').getBoundingClientRect();
        const area = document.getElementById('figure-area');
        return { el: { left: b.left, top: b.top, right: b.right, bottom: b.bottom }, area: { left: a.left, top: a.top, right: a.left + area.clientWidth, bottom: a.top + area.clientHeight } };
      }, tag);
      assert.ok(inside(r.el, r.area, 1), `${where}: ${tag} ${show(r.el)} cannot be scrolled into the area ${show(r.area)}`);
      assert.ok(inside(r.el, { left: 0, top: 0, right: L.window.width, bottom: L.window.height }, 1), `${where}: ${tag} outside the window`);
    }
    await page.evaluate(() => document.getElementById('figure-area').scrollTo(0, 0));
  }
  return L;
}

// A figure of every line style at two widths (with a dotted grid and a
// legend) and of every marker, twice: a line's dash pattern on the page's
// canvas, in its legend and in the SVG the host exports, against the
// style table the server gives the page; each marker's ink on the canvas
// against the PNG the host exports.
const MARKERS = ['+', 'o', '*', '.', 'x', 'square', 'diamond', 'v', '^', '>', '<', 'pentagram', 'hexagram'];
const STYLES = ['-', '--', ':', '-.'];
// Points: wider than a pixel on the canvas at the scale it is shown at
// here and in the export (a thinner line is one device pixel wide in each).
const WIDTHS = [1, 3];

function stylesFigure() {
  let cmd = "kestrel_styles_ = figure('Name', 'styles', 'Position', [60 60 900 560]);"
    + "axes('Position', [0.06 0.56 0.9 0.4], 'XLim', [0 10], 'YLim', [0 9], 'XGrid', 'on', 'Tag', 'dashes');";
  STYLES.forEach((s, i) => WIDTHS.forEach((w, j) => {
    const k = 2 * i + j + 1;
    cmd += `line([1 7], [${k} ${k}], 'LineStyle', '${s}', 'LineWidth', ${w}, 'Color', [${0.2 * (i + 1)} ${0.2 * j} 0], `
      + `'DisplayName', '${s} ${w}', 'Tag', 'dash${k}');`;
  }));
  cmd += "axes('Position', [0.06 0.06 0.9 0.4], 'XLim', [0 14], 'YLim', [0 3], 'Tag', 'markers');";
  MARKERS.forEach((m, i) => {
    cmd += `line(${i + 1}, 2, 'Marker', '${m}', 'MarkerSize', 16, 'LineWidth', 1, 'MarkerEdgeColor', [0 0 1], `
      + `'MarkerFaceColor', [1 0 0], 'Tag', 'big${m}');`;
    cmd += `line(${i + 1}, 1, 'Marker', '${m}', 'MarkerSize', 10, 'LineWidth', 1, 'MarkerFaceColor', 'auto', 'Color', [0 0.5 0], 'Tag', 'small${m}');`;
  });
  return cmd;
}

// Every stroke the page's canvases make, with the state it is made in.
function recordStrokes() {
  window.strokes = [];
  const stroke = CanvasRenderingContext2D.prototype.stroke;
  CanvasRenderingContext2D.prototype.stroke = function (...args) {
    window.strokes.push({ color: this.strokeStyle, width: this.lineWidth, dash: this.getLineDash(), join: this.lineJoin });
    return stroke.apply(this, args);
  };
}

// In the page: what the canvas, the legend and the exported SVG draw for
// each dashed line, the table, and each marker's ink on the canvas and in
// the exported PNG (in figure pixels squared).
async function drawnStyles(markerNames) {
  const table = (await import('/style_table.js')).default;
  const k = window.kestrel;
  const objs = Object.values(k.objects());
  const fig = k.shownFigure;
  const byTag = (t) => objs.find((o) => o.props.Tag === t);
  const hex = (c) => { const x = document.createElement('canvas').getContext('2d'); x.strokeStyle = `rgb(${c.map((v) => Math.round(v * 255)).join(',')})`; return x.strokeStyle; };
  const svgText = await (await fetch(`/export/figure.svg?figure=${fig}`)).text();
  const svg = new DOMParser().parseFromString(svgText, 'image/svg+xml');
  const svgPaths = [...svg.querySelectorAll('path')].map((p) => {
    const st = p.getAttribute('style') || '';
    const c = /stroke:rgb\(([\d.]+)%,([\d.]+)%,([\d.]+)%\)/.exec(st);
    const w = /stroke-width:([\d.]+)/.exec(st), d = /stroke-dasharray:([^;]+)/.exec(st), j = /stroke-linejoin:(\w+)/.exec(st);
    return c && w && { color: [c[1], c[2], c[3]].map((v) => Number(v) / 100), width: Number(w[1]), dash: d ? d[1].split(',').map(Number) : [], join: j && j[1] };
  }).filter(Boolean);
  const dashes = [];
  for (let n = 1; n <= 8; ++n) {
    const line = byTag(`dash${n}`);
    const color = Array.from(line.props.Color);
    const legend = document.querySelector(`.legend-entry[data-line="${line.h}"] line`);
    dashes.push({
      style: line.props.LineStyle, points: line.props.LineWidth,
      canvas: window.strokes.filter((s) => s.color === hex(color)),
      svg: svgPaths.filter((p) => p.color.every((v, i) => Math.abs(v - color[i]) < 1e-3)),
      legend: legend && { width: Number(legend.getAttribute('stroke-width')), dash: legend.getAttribute('stroke-dasharray') },
    });
  }
  // The grid: dotted strokes in the axes' XColor, the colour the export
  // draws it in (no line of the figure has that colour).
  const gridColor = hex(Array.from(byTag('dashes').props.XColor));
  const grid = window.strokes.filter((s) => s.color === gridColor && s.dash.length > 0);
  // Ink: how much of a box about a point is not white, in figure pixels.
  const inkOf = (data, width, scale, cx, cy, half) => {
    let ink = 0;
    for (let y = Math.round((cy - half) * scale); y < Math.round((cy + half) * scale); ++y) {
      for (let x = Math.round((cx - half) * scale); x < Math.round((cx + half) * scale); ++x) {
        const i = 4 * (y * width + x);
        ink += (255 - Math.min(data[i], data[i + 1], data[i + 2])) / 255;
      }
    }
    return ink / (scale * scale);
  };
  const canvas = document.getElementById('figure-canvas');
  const shown = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
  const png = await (await fetch(`/export/figure.png?figure=${fig}`)).blob();
  const bmp = await createImageBitmap(png);
  const off = new OffscreenCanvas(bmp.width, bmp.height).getContext('2d');
  off.drawImage(bmp, 0, 0);
  const exported = off.getImageData(0, 0, bmp.width, bmp.height);
  const H = objs.find((o) => o.h === fig).props._rect[3];
  const ax = byTag('markers');
  const [bx, by, bw, bh] = ax.props._plotbox;
  const [x0, x1] = ax.props.XLim, [y0, y1] = ax.props.YLim;
  const markers = [];
  for (const size of ['big', 'small']) for (const m of markerNames) {
    const line = byTag(size + m);
    const cx = bx + ((line.props.XData - x0) / (x1 - x0)) * bw, cy = H - by - ((line.props.YData - y0) / (y1 - y0)) * bh;
    const half = line.props.MarkerSize * table.pixelsPerPoint * 0.75 + 2;
    markers.push({
      marker: size + m,
      page: inkOf(shown.data, shown.width, canvas.width / k.objects()[fig].props._rect[2], cx, cy, half),
      export: inkOf(exported.data, exported.width, bmp.width / k.objects()[fig].props._rect[2], cx, cy, half),
    });
  }
  const pngData = await new Promise((resolve) => { const r = new FileReader(); r.onload = () => resolve(r.result); r.readAsDataURL(png); });
  return { table, dashes, grid, markers, png: pngData.slice(pngData.indexOf(',') + 1) };
}

(async () => {
  const host = await startHost(hostExe, library, { prompt: true });
  hostErrors = host.errors;
  const browser = await launchBrowser();
  const problems = [];
  const open = async (width, height, dpr = 1) => {
    const r = await openEditor(browser, host.url, { width, height }, dpr);
    r.page.on('pageerror', (e) => problems.push(`${width}x${height}: ${e.message}`));
    return r.page;
  };
  const objects = (page) => page.evaluate(() => window.kestrel.objects());
  const axesOf = async (page) => Number(Object.entries(await objects(page)).find(([, o]) => o.type === 'axes' && o.parent === 1)[0]);
  const editor = (page) => page.evaluate(() => window.kestrel.editor);
  try {
    await check('the figure laid out whole at one scale in windows of many sizes', async () => {
      const cases = [
        { name: '1366x657', width: 1366, height: 657 },
        { name: '800x600', width: 800, height: 600 },
        { name: '683x657', width: 683, height: 657 },
        { name: '1920x1080', width: 1920, height: 1080 },
        { name: '1366x768-dpr2', width: 1366, height: 768, dpr: 2 },
        { name: '1366x657-messages', width: 1366, height: 657, messages: true },
        { name: '800x600-messages', width: 800, height: 600, messages: true },
        { name: '640x480-messages', width: 640, height: 480, messages: true },
      ];
      for (const c of cases) {
        const page = await open(c.width, c.height, c.dpr);
        if (c.messages) {
          // A refused message is noted and opens the panel.
          const a = await page.evaluate(() => window.kestrel.send({ type: 'launch' }));
          assert.match(a.error, /unknown event type 'launch'/);
          await page.waitForFunction(() => document.getElementById('panel').open);
          await idle(page);
        }
        const L = await checkLayout(page, c.name);
        console.log(`  ${c.name}: scale ${L.scale.toFixed(3)}, figure ${L.canvas.cssWidth}x${L.canvas.cssHeight} in ${L.areaClient.width}x${L.areaClient.height}`);
        if (c.name === '1366x657') assert.ok(L.scale > 0.7, 'the figure uses the window');
        if (c.name === '1920x1080') assert.ok(L.scale > 1.3, 'the figure grows with the window');
        await shot(page, `layout-${c.name}`);
        await page.close();
      }
    });

    await check('two windows of different sizes show one figure, whose Position stays', async () => {
      const a = await open(1366, 768);
      const before = await layout(a);
      const b = await open(800, 600);
      await idle(b);
      // Whatever b caused has reached a before a's own ping is answered.
      await a.evaluate(() => window.kestrel.ping());
      await idle(a);
      const after = await layout(a);
      assert.deepEqual([after.canvas.cssWidth, after.canvas.cssHeight], [before.canvas.cssWidth, before.canvas.cssHeight]);
      for (const p of [a, b]) {
        const fig = (await objects(p))[1];
        assert.deepEqual(Array.from(fig.props.Position), [80, 60, 900, 620]);
        assert.deepEqual(Array.from(fig.props._rect).slice(2), [900, 620]);
      }
      const small = await layout(b);
      assert.ok(small.scale < after.scale, `${small.scale} < ${after.scale}`);
      // The host refuses a page that would size the figure.
      const refused = await b.evaluate(() => window.kestrel.send({ type: 'resize', figure: 1, width: 580, height: 400 }));
      assert.match(refused.error, /unknown event type 'resize'/);
      const printed = host.printed(/position=\s*([\d\s.]+)\n/);
      host.type("disp(['position=' num2str(get(1, 'Position'))])");
      assert.deepEqual((await printed)[1].trim().split(/\s+/).map(Number), [80, 60, 900, 620]);
      await b.close();
      await a.close();
    });

    await check('tabs of a second figure take their room from the window', async () => {
      const page = await open(1366, 768);
      host.type("kestrel_second_ = figure('Name', 'second'); plot(1:10);");
      await page.waitForFunction(() => document.querySelectorAll('#tabs .tab').length === 2 && !document.getElementById('tabs').hidden);
      await page.click('#tabs .tab:has-text("kestrel pulse editor")');
      await idle(page);
      assert.equal(await page.evaluate(() => window.kestrel.shownFigure), 1);
      await checkLayout(page, '1366x768-tabs');
      await shot(page, 'layout-1366x768-tabs');
      await page.close();
      for (const [w, h] of [[800, 600], [1366, 657]]) {
        const small = await open(w, h);
        await small.click('#tabs .tab:has-text("kestrel pulse editor")');
        await small.evaluate(() => window.kestrel.send({ type: 'launch' }));
        await small.waitForFunction(() => document.getElementById('panel').open);
        await idle(small);
        const L = await checkLayout(small, `${w}x${h}-tabs-messages`);
        console.log(`  ${w}x${h} with tabs and messages: scale ${L.scale.toFixed(3)}`);
        await shot(small, `layout-${w}x${h}-tabs-messages`);
        await small.close();
      }
    });

    const page = await open(1366, 768);
    await page.click('#tabs .tab:has-text("kestrel pulse editor")');
    await idle(page);
    const ax = await axesOf(page);
    const lim = async () => {
      const o = (await objects(page))[ax];
      return { x: Array.from(o.props.XLim), y: Array.from(o.props.YLim) };
    };
    const pixel = (x, y) => page.evaluate(([a, xx, yy]) => window.kestrel.figurePixelOf(a, xx, yy), [ax, x, y]);
    const ticks = () => page.evaluate((a) => window.kestrel.drawnText().filter((t) => t.axes === a && /tick/.test(t.kind)), ax);

    await check('zooming stops at a few samples across and at a margin around the data', async () => {
      const home = await lim();
      const at = await pixel(1495.78, 0);
      await page.mouse.move(at.clientX, at.clientY);
      let sent = 0;
      for (let i = 0; i < 80; ++i) {
        await page.mouse.wheel(0, -100);
        await idle(page);
        const t = await ticks();
        for (const kind of ['xtick', 'ytick']) {
          const labels = t.filter((x) => x.kind === kind).map((x) => x.text);
          assert.ok(labels.length >= 2, `step ${i}: ${kind} ${labels}`);
          assert.equal(new Set(labels).size, labels.length, `step ${i}: ${kind} labels repeat: ${labels}`);
        }
        for (const y of t.filter((x) => x.kind === 'ytick')) assert.ok(y.left >= 0, `step ${i}: '${y.text}' cut off`);
        sent = i;
      }
      const inner = await lim();
      const width = inner.x[1] - inner.x[0];
      assert.ok(width >= 9.99 && width <= 12.5, `x limits ${inner.x} after ${sent + 1} steps in`);
      assert.ok(inner.x[0] <= 1495.78 && inner.x[1] >= 1495.78, `the pointer's sample stays in view: ${inner.x}`);
      const ySpan = home.y[1] - home.y[0];
      assert.ok(inner.y[1] - inner.y[0] >= ySpan / 1000, `y limits ${inner.y}`);
      await shot(page, 'zoomed-in');
      for (let i = 0; i < 40; ++i) {
        await page.mouse.wheel(0, 100);
        await idle(page);
      }
      const outer = await lim();
      // The data reach from sample 1 to 5000: half that again on either side at most.
      assert.ok(outer.x[0] >= 1 - 2500 && outer.x[1] <= 5000 + 2500, `x limits ${outer.x} after 40 steps out`);
      assert.ok(outer.x[1] - outer.x[0] > 2 * 4999 - 1, `x limits ${outer.x} reach the margin`);
      // Along y the data (the markers' lines among them) with half their extent again.
      const [lo, hi] = await page.evaluate((a) => {
        const o = window.kestrel.objects();
        const ys = o[a].children.map((h) => o[h]).filter((l) => l && l.type === 'line').flatMap((l) => Array.from(l.props.YData));
        return [Math.min(...ys), Math.max(...ys)];
      }, ax);
      const m = (hi - lo) / 2;
      assert.ok(outer.y[0] >= lo - m - 1e-9 && outer.y[1] <= hi + m + 1e-9, `y limits ${outer.y} beyond ${lo - m} .. ${hi + m}`);
      assert.ok(outer.y[1] - outer.y[0] > 2 * (hi - lo) - 1e-6, `y limits ${outer.y} reach the margin`);
      await page.keyboard.press('r');
      await idle(page);
      assert.deepEqual(await lim(), home);
      // Limits set finer than the automatic labels' six digits tell apart
      // are still labelled apart.
      const a = await page.evaluate(([h, y]) => window.kestrel.send({ type: 'limits', axes: h, xlim: [1e6, 1e6 + 10], ylim: y }), [ax, home.y]);
      assert.equal(a.error, undefined);
      await idle(page);
      const labels = (await ticks()).filter((x) => x.kind === 'xtick').map((x) => x.text);
      assert.ok(labels.length >= 3 && new Set(labels).size === labels.length, `labels ${labels}`);
      assert.ok(labels.every((l) => Math.abs(Number(l) - 1e6) <= 10), `labels ${labels}`);
      await page.evaluate(([h, l]) => window.kestrel.send({ type: 'limits', axes: h, xlim: l.x, ylim: l.y }), [ax, home]);
      await idle(page);
      assert.deepEqual(await lim(), home);
    });

    await check('keys work after a control was used; Escape leaves a box', async () => {
      const T2 = (await editor(page)).T2;
      const on = await pixel(T2, 0.3);
      await page.mouse.click(on.clientX, on.clientY);  // selects marker 2
      await idle(page);
      assert.equal((await editor(page)).T2, T2);
      const pf = (await editor(page)).pf;
      await page.click('[data-tag="radiobutton1"]');
      await idle(page);
      assert.equal((await editor(page)).pf, 1 - pf);
      const pressed = (id) => page.getAttribute(`#mode-${id}`, 'aria-pressed');
      await page.keyboard.press('z');
      assert.equal(await pressed('zoom'), 'true');
      await page.keyboard.press('e');
      assert.equal(await pressed('edit'), 'true');
      await page.keyboard.press('ArrowRight');
      await idle(page);
      assert.equal((await editor(page)).T2, T2 + 1);
      // A focused slider takes the arrows first.
      const before = await editor(page);
      await page.focus('[data-tag="slider9"]');
      await page.keyboard.press('ArrowRight');
      await idle(page);
      const after = await editor(page);
      assert.deepEqual([after.Nsmall, after.T2], [before.Nsmall + 1, before.T2]);
      await page.keyboard.press('p');
      assert.equal(await pressed('pan'), 'true');
      // A text box takes the typing; Escape leaves it as the host has it.
      await page.click('[data-tag="edit1"]');
      await page.keyboard.press('End');
      await page.keyboard.type('z');
      assert.equal(await pressed('pan'), 'true');
      assert.equal(await page.inputValue('[data-tag="edit1"]'), `${after.Nsmall}z`);
      await page.keyboard.press('Escape');
      assert.equal(await page.evaluate(() => document.activeElement.dataset.tag ?? null), null);
      assert.equal(await page.inputValue('[data-tag="edit1"]'), String(after.Nsmall));
      await page.keyboard.press('e');
      assert.equal(await pressed('edit'), 'true');
      await idle(page);
      assert.equal((await editor(page)).Nsmall, after.Nsmall);
    });

    await check('a press on a slider\'s track moves it by its big step; the thumb still drags', async () => {
      const sel = '[data-tag="slider9"]';
      const box = await page.locator(sel).boundingBox();
      const y = box.y + box.height / 2;
      const n0 = (await editor(page)).Nsmall;
      await page.mouse.click(box.x + box.width * 0.95, y);
      await idle(page);
      assert.equal((await editor(page)).Nsmall, n0 + 20);  // a tenth of 3..201, in whole samples
      await page.mouse.click(box.x + box.width * 0.9, y);
      await idle(page);
      assert.equal((await editor(page)).Nsmall, n0 + 40);
      await page.mouse.click(box.x + 2, y);
      await idle(page);
      assert.equal((await editor(page)).Nsmall, n0 + 20);
      const thumb = await page.evaluate((s) => {
        const el = document.querySelector(s);
        const r = el.getBoundingClientRect(), k = r.width / el.offsetWidth, f = (el.value - el.min) / (el.max - el.min);
        return r.left + 8 * k + f * (r.width - 16 * k);
      }, sel);
      await page.mouse.move(thumb, y);
      await page.mouse.down();
      await page.mouse.move(box.x + box.width + 40, y, { steps: 5 });
      await page.mouse.up();
      await idle(page);
      assert.equal((await editor(page)).Nsmall, 201);
    });

    await check('a legend of the named lines and marker swatches in the lines\' colours', async () => {
      const names = ['record', 'estimate', 'T1 (click)', 'T2', 'T3'];
      host.type('global pseg ppulse psp1 psp2 psp3');
      host.type("set(pseg, 'DisplayName', 'record'); set(ppulse, 'DisplayName', 'estimate'); "
        + "set(psp1, 'DisplayName', 'T1 (click)'); set(psp2, 'DisplayName', 'T2'); set(psp3, 'DisplayName', 'T3');");
      await page.waitForFunction((n) => document.querySelectorAll('.legend .legend-entry').length === n, names.length);
      await idle(page);
      const legend = () => page.evaluate(() => [...document.querySelectorAll('.legend .legend-entry')].map((e) => ({
        line: Number(e.dataset.line), name: e.textContent, color: getComputedStyle(e.querySelector('line')).stroke,
      })));
      const rgbOf = (c) => `rgb(${c.map((v) => Math.round(v * 255)).join(', ')})`;
      const entries = await legend();
      assert.deepEqual(entries.map((e) => e.name).sort(), [...names].sort());
      const objs = await objects(page);
      for (const e of entries) assert.equal(e.color, rgbOf(Array.from(objs[e.line].props.Color)), e.name);
      const L = await layout(page);
      const box = await page.evaluate(() => { const r = document.querySelector('.legend').getBoundingClientRect(); return { left: r.left, top: r.top, right: r.right, bottom: r.bottom }; });
      assert.ok(inside(box, L.boxes[0]), `the legend ${show(box)} lies in the plot box ${show(L.boxes[0])}`);
      const swatch = (i) => page.evaluate((k) => getComputedStyle(document.querySelector(`.mk${k}`)).borderLeftColor, i);
      const t2 = entries.find((e) => e.name === 'T2');
      assert.equal(await swatch(2), t2.color);
      host.type("set(psp2, 'Color', 'm')");
      await page.waitForFunction((h) => Array.from(window.kestrel.objects()[h].props.Color).join() === '1,0,1', t2.line);
      await idle(page);
      assert.equal((await legend()).find((e) => e.name === 'T2').color, 'rgb(255, 0, 255)');
      assert.equal(await swatch(2), 'rgb(255, 0, 255)');
      assert.equal(await swatch(3), entries.find((e) => e.name === 'T3').color);
      // The swatch follows a marker that moves. Escape leaves the slider
      // used last, and the arrows go to the marker again.
      const T2 = (await editor(page)).T2;
      await page.keyboard.press('Escape');
      assert.equal(await page.evaluate(() => document.activeElement === document.body), true);
      await page.keyboard.press('Shift+ArrowRight');
      await idle(page);
      assert.equal((await editor(page)).T2, T2 + 10);
      assert.equal(await swatch(2), 'rgb(255, 0, 255)');
      await shot(page, 'legend');
    });

    await check('the ? panel lists the mouse actions and keys', async () => {
      await page.keyboard.press('?');
      assert.ok(await page.isVisible('#help'));
      const text = await page.textContent('#help');
      for (const word of ['Wheel', 'Shift', 'Esc', 'Reset view', 'big step']) assert.ok(text.includes(word), word);
      await shot(page, 'help');
      await page.keyboard.press('Escape');
      assert.ok(!(await page.isVisible('#help')));
      await page.click('#help-button');
      assert.ok(await page.isVisible('#help'));
      await page.click('#help-button');
      assert.ok(!(await page.isVisible('#help')));
    });

    await check('lines and markers look alike on the page and in the exported picture, from one style table', async () => {
      const styled = await browser.newPage({ viewport: { width: 1366, height: 900 } });
      styled.on('pageerror', (e) => problems.push(`styles: ${e.message}`));
      await styled.addInitScript(recordStrokes);
      await styled.goto(host.url);
      await styled.waitForFunction(() => window.kestrel && window.kestrel.connected && window.kestrel.seq > 0);
      host.type(stylesFigure());
      await styled.waitForFunction(() => Object.values(window.kestrel.objects()).some((o) => o.props.Tag === 'smallhexagram'));
      await styled.click('#tabs .tab:has-text("styles")');
      await idle(styled);
      // One frame's strokes alone.
      await styled.evaluate(() => { window.strokes.length = 0; });
      await styled.click('#tabs .tab:has-text("styles")');
      await idle(styled);
      const d = await styled.evaluate(drawnStyles, MARKERS);
      const T = d.table;
      const unit = (w) => Math.max(w, T.minDashUnit);
      const near = (a, b, what) => {
        assert.equal(a.length, b.length, `${what}: [${a}] against [${b}]`);
        a.forEach((v, i) => assert.ok(Math.abs(v - b[i]) < 1e-3, `${what}: [${a}] against [${b}]`));
      };
      for (const l of d.dashes) {
        const what = `'${l.style}' at ${l.points} pt`;
        assert.equal(l.canvas.length, 1, `${what}: one stroke on the canvas`);
        assert.equal(l.svg.length, 1, `${what}: one path in the SVG`);
        const [c] = l.canvas, [v] = l.svg;
        // (A canvas keeps its widths and dashes in single precision.)
        assert.ok(Math.abs(c.width - l.points * T.pixelsPerPoint) < 1e-5, `${what}: ${c.width} pixels wide on the canvas`);
        assert.ok(Math.abs(v.width - c.width) < 1e-4, `${what}: ${v.width} pixels wide in the SVG`);
        near(c.dash, T.dashes[l.style].map((x) => x * unit(c.width)), `${what}: the canvas's dashes and the table's`);
        near(c.dash, v.dash, `${what}: the canvas's dashes and the SVG's`);
        assert.deepEqual([c.join, v.join], [T.join.line, T.join.line], `${what}: joins`);
        // The legend's sample is as wide as the line (between 1 and 4 pixels).
        assert.ok(Math.abs(l.legend.width - c.width) < 1e-5, `${what}: legend ${l.legend.width} pixels wide`);
        near(l.legend.dash ? l.legend.dash.split(' ').map(Number) : [], v.dash, `${what}: the legend's dashes and the SVG's`);
      }
      assert.ok(d.grid.length > 0, 'the grid is drawn');
      for (const g of d.grid) near(g.dash, T.dashes[':'].map((x) => x * unit(g.width)), 'the dotted grid');
      const ratios = d.markers.map((m) => `${m.marker} ${(m.page / m.export).toFixed(3)}`);
      console.log(`  ink of each marker, page over export: ${ratios.join(', ')}`);
      for (const m of d.markers) {
        assert.ok(m.export > 5, `${m.marker}: ${m.export} exported`);
        assert.ok(Math.abs(m.page / m.export - 1) < 0.1, `${m.marker}: ink ${m.page.toFixed(1)} on the page, ${m.export.toFixed(1)} exported`);
      }
      fs.writeFileSync(path.join(outDir, 'styles-export.png'), Buffer.from(d.png, 'base64'));
      console.log(`  exported: ${path.join(outDir, 'styles-export.png')}`);
      await shot(styled, 'styles-page');
      host.type('close(kestrel_styles_)');
      await styled.waitForFunction(() => !Object.values(window.kestrel.objects()).some((o) => o.props.Tag === 'smallhexagram'));
      await styled.close();
      await page.click('#tabs .tab:has-text("kestrel pulse editor")');
      await idle(page);
    });

    await check('a host that stops is shown as gone; the page keeps its picture and takes no input', async () => {
      const painted = () => page.evaluate(() => {
        const c = document.getElementById('figure-canvas');
        const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
        const colours = new Set();
        for (let i = 0; i < d.length; i += 4 * 97) colours.add((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]);
        return colours.size;
      });
      const colours = await painted();
      assert.ok(colours > 5, `${colours} colours`);
      await host.stop();
      await page.waitForFunction(() => window.kestrel.hostGone, null, { timeout: 20000 });
      await idle(page);
      assert.ok(await page.isVisible('#gone'));
      assert.match(await page.textContent('#gone'), /host has stopped/);
      assert.match(await page.textContent('#status-text'), /stopped/);
      assert.ok((await painted()) > 5);
      assert.ok(await page.evaluate(() => document.getElementById('stage').inert));
      assert.ok(await page.isDisabled('#mode-zoom'));
      await page.keyboard.press('z');
      assert.equal(await page.getAttribute('#mode-zoom', 'aria-pressed'), 'false');
      const a = await page.evaluate(() => window.kestrel.send({ type: 'ping' }));
      assert.match(a.error, /Not connected/);
      await shot(page, 'host-gone');
    });

    await check('no errors on the pages', async () => assert.deepEqual(problems, []));
  } catch (e) {
    ++failed;
    console.error(`not ok - ${e.stack}\nhost stderr:\n${host.errors().slice(-3000)}`);
  } finally {
    if (failed) process.exitCode = 1;
    await browser.close();
    await host.stop();
  }
})();
