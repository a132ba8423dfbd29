// The figure window: connects to the host, keeps the tree, draws the
// figure shown in the tabs, and wires the toolbar, the readout and the
// message panel. window.kestrel is the page's face for tests and benchmarks.
import { Store, nums, lines } from './tree.js';
import { Connection } from './connection.js';
import { drawFigure, rgb } from './render.js';
import { syncControls } from './controls.js';
import { Interaction } from './interact.js';
import { Toolbar } from './toolbar.js';

const token = new URLSearchParams(location.search).get('token') ?? '';
const store = new Store();
const $ = (id) => document.getElementById(id);
const canvas = $('figure-canvas');
const layer = $('controls');
const stage = $('stage');

let shown = null; // the handle of the figure shown
let selected = null; // a selected marker line
let editor = {};
let drawQueued = false;
let firstPaint = null;
const paintWaiters = []; // pointer times of motions acknowledged, waiting for the frame that shows them
const roundTrips = [];
const stats = {
  motionToPaint: [], roundTrip: [], hostMs: [], encodeMs: [], drawMs: [], applyMs: [], firstPaintMs: null,
  reset() { for (const k of ['motionToPaint', 'roundTrip', 'hostMs', 'encodeMs', 'drawMs', 'applyMs']) this[k].length = 0; },
};
const messages = [];

function figure() { return store.get(shown); }

function note(text, kind = 'info') {
  messages.push(text);
  const li = document.createElement('li');
  li.className = kind;
  const time = document.createElement('time');
  time.textContent = new Date().toLocaleTimeString();
  const body = document.createElement('pre');
  body.textContent = text.replace(/\s+$/, '');
  li.append(time, body);
  $('messages').prepend(li);
  while ($('messages').children.length > 200) $('messages').lastChild.remove();
  if (kind === 'error') {
    $('panel').classList.add('has-error');
    $('panel').open = true;
  }
  $('message-count').textContent = String(messages.length);
}

function figureTitle(f) {
  const name = f.props.Name ?? '';
  const number = f.props.NumberTitle !== 'off' ? `Figure ${f.h}` : '';
  return number && name ? `${number}: ${name}` : number || name || `Figure ${f.h}`;
}

function chooseFigure() {
  const figs = store.figures().filter((f) => f.props.Visible !== 'off');
  const current = nums(store.get(0)?.props.CurrentFigure)[0];
  if (current !== chooseFigure.lastCurrent && figs.some((f) => f.h === current)) shown = current;
  chooseFigure.lastCurrent = current;
  if (!figs.some((f) => f.h === shown)) shown = figs.length ? figs[0].h : null;
  const tabs = $('tabs');
  tabs.replaceChildren(...figs.map((f) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.className = 'tab';
    b.setAttribute('role', 'tab');
    b.setAttribute('aria-selected', String(f.h === shown));
    b.textContent = figureTitle(f);
    b.addEventListener('click', () => { shown = f.h; selected = null; schedule(); fitLater(); });
    return b;
  }));
  tabs.hidden = figs.length < 2;
}

function draw() {
  drawQueued = false;
  chooseFigure();
  const f = figure();
  $('empty').hidden = !!f;
  stage.hidden = !f;
  if (f) {
    const t0 = performance.now();
    drawFigure(canvas, store, f, selected);
    if (stats.drawMs.length < 100000) stats.drawMs.push(performance.now() - t0);
    const [, , W, H] = nums(f.props._rect);
    layer.style.width = `${W}px`;
    layer.style.height = `${H}px`;
    syncControls(layer, store, f, controlEvents);
    document.title = `${figureTitle(f)} · kestrel`;
    $('figure-name').textContent = figureTitle(f);
  }
  const now = performance.now();
  for (const t of paintWaiters.splice(0)) {
    stats.motionToPaint.push(now - t);
    if (stats.motionToPaint.length > 100000) stats.motionToPaint.shift();
  }
  if (firstPaint === null && f) {
    firstPaint = now;
    stats.firstPaintMs = now;
  }
}

function schedule() {
  if (!drawQueued) { drawQueued = true; requestAnimationFrame(draw); }
}

const conn = new Connection(token, {
  state(up) {
    $('status').className = up ? 'up' : 'down';
    $('status').title = up ? 'Connected to the host' : 'Connection lost; reconnecting…';
    $('status-text').textContent = up ? 'connected' : 'reconnecting…';
    if (!up) note('The connection to the host was lost; reconnecting.', 'error');
  },
  message(msg) {
    if (msg.type === 'tree' || msg.type === 'changes') {
      const t0 = performance.now();
      store.apply(msg);
      if (stats.applyMs.length < 100000) stats.applyMs.push(performance.now() - t0);
      if (selected !== null && !store.get(selected)) selected = null;
      schedule();
      if (msg.type === 'tree') fitLater();
    } else if (msg.type === 'editor') {
      editor = msg;
      showMarkers();
    } else if (msg.type === 'output') {
      note(msg.text, msg.error ? 'error' : 'info');
    }
  },
  ack(a, sent) {
    const ms = performance.now() - sent.sentAt;
    if (!a.replaced) {
      roundTrips.push(ms);
      if (roundTrips.length > 50) roundTrips.shift();
      const sorted = [...roundTrips].sort((x, y) => x - y);
      $('round-trip').textContent = `${ms.toFixed(1)} ms`;
      $('round-trip').title = `Round trip of the last event (median of the last ${sorted.length}: ${sorted[sorted.length >> 1].toFixed(1)} ms; the host took ${(a.ms ?? 0).toFixed(1)} ms)`;
    }
    if (sent.meta && sent.meta.pointerAt !== undefined) {
      paintWaiters.push(sent.meta.pointerAt);
      if (stats.roundTrip.length < 100000) { stats.roundTrip.push(ms); stats.hostMs.push(a.ms ?? 0); stats.encodeMs.push(a.encodeMs ?? 0); }
    }
    if (a.error) note(a.error, 'error');
    schedule();
  },
});

const controlEvents = {
  value: (h, value) => conn.send({ type: 'value', handle: h, value }),
  valueLatest: (h, value) => conn.sendLatest(`value:${h}`, { type: 'value', handle: h, value }),
  click: (h) => conn.send({ type: 'click', handle: h }),
};

// The readout: the pointer's sample and the long lines' values there, and the markers.
function showMarkers() {
  for (const k of ['T1', 'T2', 'T3']) $(`m-${k}`).textContent = editor[k] ?? '–';
}

function readout(info) {
  const out = $('pointer');
  if (!info) { out.textContent = ''; return; }
  const i = Math.round(info.x);
  const parts = [document.createTextNode(`sample ${i}`)];
  for (const h of [...info.ax.children].reverse()) {
    const o = store.get(h);
    if (!o || o.type !== 'line' || o.props.Visible === 'off') continue;
    const y = nums(o.props.YData);
    if (y.length < 100) continue;
    const x = nums(o.props.XData);
    const k = x.length === y.length && x[0] === 1 && x[x.length - 1] === y.length ? i - 1 : -1;
    if (k < 0 || k >= y.length) continue;
    const swatch = document.createElement('span');
    swatch.className = 'swatch';
    swatch.style.background = rgb(o.props.Color, '#000');
    parts.push(swatch, document.createTextNode(Number(y[k]).toPrecision(5)));
  }
  out.replaceChildren(...parts);
}

function rubber(a, b) {
  const r = $('rubber');
  if (!a) { r.hidden = true; return; }
  const H = nums(figure().props._rect)[3];
  Object.assign(r.style, {
    left: `${Math.min(a.x, b.x)}px`, top: `${H - Math.max(a.y, b.y)}px`,
    width: `${Math.abs(a.x - b.x)}px`, height: `${Math.abs(a.y - b.y)}px`,
  });
  r.hidden = false;
}

let mode = 'edit';
const interaction = new Interaction({
  canvas, conn, store: () => store, figure, mode: () => mode,
  selected: () => selected,
  select(h) { selected = h; schedule(); },
  readout, rubber,
});

const toolbar = new Toolbar({
  token, conn, note, figure,
  setMode(m) { mode = m; stage.dataset.mode = m; },
  reset: () => interaction.resetAxes(),
});

document.addEventListener('keydown', (e) => {
  const t = e.target;
  if (t instanceof HTMLInputElement || t instanceof HTMLTextAreaElement || t instanceof HTMLSelectElement) return;
  if ((e.key === 'ArrowLeft' || e.key === 'ArrowRight') && selected !== null) {
    e.preventDefault();
    interaction.nudge((e.key === 'ArrowLeft' ? -1 : 1) * (e.shiftKey ? 10 : 1));
  } else if (e.key === 'Escape') {
    selected = null;
    schedule();
  } else if (!e.ctrlKey && !e.metaKey && !e.altKey) {
    toolbar.shortcut(e.key);
  }
});

// The figure keeps its proportions and follows the space the page gives it;
// the host's figure Position follows, so its reads stay true.
const base = new Map(); // figure -> [w, h] as first shown
let fitTimer = null;
function fitLater() {
  clearTimeout(fitTimer);
  fitTimer = setTimeout(fit, 150);
}
function fit() {
  fitTimer = null;
  const f = figure();
  if (!f || !conn.connected) return;
  const [, , W, H] = nums(f.props._rect);
  if (!base.has(f.h)) base.set(f.h, [W, H]);
  const [bw, bh] = base.get(f.h);
  const box = $('figure-area').getBoundingClientRect();
  const below = document.querySelector('.readout').offsetHeight + $('panel').offsetHeight;
  const availW = Math.max(600, box.width - 24), availH = Math.max(400, window.innerHeight - box.top - below - 24);
  const scale = Math.min(availW / bw, availH / bh);
  const w = Math.round(bw * scale), h = Math.round(bh * scale);
  if (Math.abs(w - W) > 1 || Math.abs(h - H) > 1) conn.send({ type: 'resize', figure: f.h, width: w, height: h });
}
new ResizeObserver(fitLater).observe($('figure-area'));

window.kestrel = {
  get connected() { return conn.connected; },
  get seq() { return store.seq; },
  get editor() { return editor; },
  get lastRoundTripMs() { return roundTrips[roundTrips.length - 1]; },
  get shownFigure() { return shown; },
  stats,
  messages,
  objects() { return Object.fromEntries(store.objects); },
  // Sends one event as the page's controls do; resolves with its acknowledgement.
  send(msg) { return conn.send(msg); },
  // The round trip of a message that changes nothing, in ms: the transport alone.
  async ping() {
    const t0 = performance.now();
    await conn.send({ type: 'ping' });
    return performance.now() - t0;
  },
  // Resolves when nothing is in flight or waiting and the last changes are drawn.
  idle() {
    return new Promise((resolve) => {
      const check = () => {
        if (conn.busy() || interaction.busy() || drawQueued || fitTimer !== null) requestAnimationFrame(check);
        else requestAnimationFrame(() => (conn.busy() || drawQueued ? check() : resolve()));
      };
      check();
    });
  },
  figurePixelOf(axes, x, y) {
    const ax = store.get(axes);
    const f = figure();
    const H = nums(f.props._rect)[3];
    const [bx, by, bw, bh] = nums(ax.props._plotbox);
    const [x0, x1] = nums(ax.props.XLim), [y0, y1] = nums(ax.props.YLim);
    const r = canvas.getBoundingClientRect();
    return { clientX: r.left + bx + ((x - x0) / (x1 - x0)) * bw, clientY: r.top + H - by - ((y - y0) / (y1 - y0)) * bh };
  },
  dataOf(axes, clientX, clientY) {
    const ax = store.get(axes);
    const H = nums(figure().props._rect)[3];
    const [bx, by, bw, bh] = nums(ax.props._plotbox);
    const [x0, x1] = nums(ax.props.XLim), [y0, y1] = nums(ax.props.YLim);
    const r = canvas.getBoundingClientRect();
    return { x: x0 + ((clientX - r.left - bx) / bw) * (x1 - x0), y: y0 + ((H - (clientY - r.top) - by) / bh) * (y1 - y0) };
  },
  lines,
};
