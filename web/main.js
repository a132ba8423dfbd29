// The figure window: connects to the host, keeps the tree, draws the
// figure shown in the tabs, and wires the toolbar, the readout, the
// message panel and, in a review, the record list. window.kestrel is the
// page's face for tests and benchmarks.
//
// A figure is shown as its script laid it out, axes, text and controls
// together at one scale that fits the space the window leaves it (never
// below a readable minimum: the area scrolls then). The page never changes
// the figure itself: every window shows the same figure at its own scale.
import { Store, nums, lines } from './tree.js';
import { Connection } from './connection.js';
import { drawFigure, drawnText, rgb } from './render.js';
import { syncControls } from './controls.js';
import { syncLegends } from './legend.js';
import { Interaction } from './interact.js';
import { Toolbar } from './toolbar.js';
import { Review } from './review.js';

const MIN_SCALE = 0.6; // 10-point text stays 8 CSS pixels high
const MAX_SCALE = 3;

const token = new URLSearchParams(location.search).get('token') ?? '';
const store = new Store();
const $ = (id) => document.getElementById(id);
const canvas = $('figure-canvas');
const layer = $('controls');
const legends = $('legends');
const sheet = $('sheet');
const stage = $('stage');
const area = $('figure-area');

let shown = null; // the handle of the figure shown
let scale = 1; // CSS pixels per figure pixel
let room = null; // the figure area's content box
let gone = false; // the host has stopped
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
    b.addEventListener('click', () => { shown = f.h; selected = null; schedule(); });
    return b;
  }));
  tabs.hidden = figs.length < 2;
}

// The largest scale at which the figure fits the area, in whole device
// pixels, within the readable range.
function fitScale(W, H) {
  const dpr = window.devicePixelRatio || 1;
  let w = room?.width, h = room?.height;
  if (w === undefined) {
    const cs = getComputedStyle(area);
    w = area.clientWidth - parseFloat(cs.paddingLeft) - parseFloat(cs.paddingRight);
    h = area.clientHeight - parseFloat(cs.paddingTop) - parseFloat(cs.paddingBottom);
  }
  const fit = Math.min(Math.floor(w * dpr) / (W * dpr), Math.floor(h * dpr) / (H * dpr));
  return Math.min(MAX_SCALE, Math.max(MIN_SCALE, fit));
}

// The footer's marker swatches take the colour of the line that stands at
// each marker's sample (the last one found while a drag is under way).
const markerColor = {};
function showMarkerColors(f) {
  ['T1', 'T2', 'T3'].forEach((k, i) => {
    const at = editor[k];
    if (typeof at !== 'number') return;
    for (const ax of store.axesOf(f)) {
      for (const h of ax.children) {
        const o = store.get(h);
        if (!o || o.type !== 'line' || o.props.Visible === 'off') continue;
        const x = nums(o.props.XData);
        if (x.length >= 2 && x.length <= 4 && Array.prototype.every.call(x, (v) => v === at)) markerColor[k] = rgb(o.props.Color);
      }
    }
    const mk = document.querySelector(`.mk${i + 1}`);
    if (markerColor[k]) mk.style.borderLeftColor = markerColor[k];
  });
}

function draw() {
  drawQueued = false;
  chooseFigure();
  const f = figure();
  $('empty').hidden = !!f;
  stage.hidden = !f;
  if (f) {
    const t0 = performance.now();
    const [, , W, H] = nums(f.props._rect);
    scale = fitScale(W, H);
    drawFigure(canvas, store, f, selected, scale);
    if (stats.drawMs.length < 100000) stats.drawMs.push(performance.now() - t0);
    stage.style.width = canvas.style.width;
    stage.style.height = canvas.style.height;
    Object.assign(sheet.style, { width: `${W}px`, height: `${H}px`, transform: `scale(${scale})` });
    syncControls(layer, store, f, controlEvents);
    syncLegends(legends, store, f);
    showMarkerColors(f);
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

// The host is gone: the last picture stays, greyed, and takes no input.
function hostGone() {
  gone = true;
  $('status').className = 'stopped';
  $('round-trip').textContent = '–';
  $('status').title = 'The host has stopped';
  $('status-text').textContent = 'host stopped';
  $('gone').hidden = false;
  stage.classList.add('dead');
  stage.inert = true;
  for (const b of document.querySelectorAll('.toolbar button:not(#help-button)')) b.disabled = true;
  interaction.drag = null;
  review.refresh();
  note('The host has stopped; this page no longer takes input.', 'error');
}

const conn = new Connection(token, {
  state(up) {
    $('status').className = up ? 'up' : 'down';
    $('status').title = up ? 'Connected to the host' : 'Connection lost; reconnecting…';
    $('status-text').textContent = up ? 'connected' : 'reconnecting…';
    if (!up) note('The connection to the host was lost; reconnecting.', 'error');
    review.refresh();
  },
  gone: () => hostGone(),
  message(msg) {
    if (msg.type === 'tree' || msg.type === 'changes') {
      const t0 = performance.now();
      store.apply(msg);
      if (stats.applyMs.length < 100000) stats.applyMs.push(performance.now() - t0);
      if (selected !== null && !store.get(selected)) selected = null;
      schedule();
    } else if (msg.type === 'editor') {
      editor = msg;
      showMarkers();
      schedule();
    } else if (msg.type === 'output') {
      note(msg.text, msg.error ? 'error' : 'info');
    } else {
      review.message(msg);
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
// The markers count in the record's samples; a record cut from a longer
// recording also says where they lie in it.
function showMarkers() {
  for (const k of ['T1', 'T2', 'T3']) $(`m-${k}`).textContent = editor[k] ?? '–';
  const offset = typeof editor.offset === 'number' ? editor.offset : 0;
  const source = $('m-source');
  source.hidden = !offset;
  if (offset) {
    const at = (k) => (typeof editor[k] === 'number' ? editor[k] + offset : '–');
    source.textContent = `in the recording: ${at('T1')}, ${at('T2')}, ${at('T3')}`;
    source.title = `The record starts after sample ${offset} of its recording; the markers above count in the record`;
  }
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

// The zoom box, in figure pixels on the scaled sheet.
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

const live = () => conn.connected && !gone;

let mode = 'edit';
const interaction = new Interaction({
  canvas, conn, store: () => store, figure, mode: () => mode, scale: () => scale, live,
  selected: () => selected,
  select(h) { selected = h; schedule(); },
  readout, rubber,
});

const review = new Review({ conn, note, live });

const toolbar = new Toolbar({
  token, conn, note, figure,
  setMode(m) { mode = m; stage.dataset.mode = m; },
  reset: () => interaction.resetAxes(),
});

// The help panel: what the mouse and the keys do.
function showHelp(open) {
  $('help').style.top = `${document.querySelector('.toolbar').getBoundingClientRect().bottom + 6}px`;
  $('help').hidden = !open;
  $('help-button').setAttribute('aria-expanded', String(open));
}
$('help-button').addEventListener('click', () => showHelp($('help').hidden));

// Keys work wherever the focus is, unless a text box takes the typing (an
// edit box's own Escape puts the host's text back and leaves it). Arrows
// move a focused slider or list by their own steps, and otherwise the
// selected marker; Escape leaves a control.
const TEXT_INPUTS = new Set(['text', 'search', 'number', 'email', 'url', 'tel', 'password']);
function typing(t) {
  return t instanceof HTMLTextAreaElement || (t instanceof HTMLInputElement && TEXT_INPUTS.has(t.type)) || t?.isContentEditable;
}
document.addEventListener('keydown', (e) => {
  const t = e.target;
  if (review.key(e, typing(t))) {
    e.preventDefault();
    return;
  }
  if (typing(t) || e.ctrlKey || e.metaKey || e.altKey) return;
  if (e.key === 'Escape') {
    // Out of a control first (the arrows then move the marker), then the
    // marker deselected.
    if (!$('help').hidden) showHelp(false);
    else if (t instanceof Element && layer.contains(t)) t.blur();
    else { selected = null; schedule(); }
  } else if (e.key === '?') {
    showHelp($('help').hidden);
  } else if (!live()) {
    // the host is not there to act on anything else
  } else if (e.key === 'ArrowLeft' || e.key === 'ArrowRight') {
    const own = (t instanceof HTMLInputElement && t.type === 'range') || t instanceof HTMLSelectElement;
    if (own || selected === null) return;
    e.preventDefault();
    interaction.nudge((e.key === 'ArrowLeft' ? -1 : 1) * (e.shiftKey ? 10 : 1));
  } else if (toolbar.shortcut(e.key)) {
    e.preventDefault();
  }
});

new ResizeObserver((entries) => {
  room = entries[entries.length - 1].contentRect;
  schedule();
}).observe(area);
// A move to a screen of another density, or the browser's zoom.
window.addEventListener('resize', schedule);

window.kestrel = {
  get connected() { return conn.connected; },
  get seq() { return store.seq; },
  get editor() { return editor; },
  get lastRoundTripMs() { return roundTrips[roundTrips.length - 1]; },
  get shownFigure() { return shown; },
  get scale() { return scale; },
  get hostGone() { return gone; },
  // The review's last state from the host (null outside a review), and its rows.
  get review() { return review.state; },
  reviewRow: (i) => review.row(i),
  minScale: MIN_SCALE,
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
        if (conn.busy() || interaction.busy() || drawQueued) requestAnimationFrame(check);
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
    const fx = bx + ((x - x0) / (x1 - x0)) * bw, fy = H - by - ((y - y0) / (y1 - y0)) * bh;
    return { clientX: r.left + fx * scale, clientY: r.top + fy * scale };
  },
  dataOf(axes, clientX, clientY) {
    const ax = store.get(axes);
    const H = nums(figure().props._rect)[3];
    const [bx, by, bw, bh] = nums(ax.props._plotbox);
    const [x0, x1] = nums(ax.props.XLim), [y0, y1] = nums(ax.props.YLim);
    const r = canvas.getBoundingClientRect();
    const fx = (clientX - r.left) / scale, fy = (clientY - r.top) / scale;
    return { x: x0 + ((fx - bx) / bw) * (x1 - x0), y: y0 + ((H - fy - by) / bh) * (y1 - y0) };
  },
  // The texts the last frame drew on the canvas, with their boxes in figure pixels.
  drawnText,
  lines,
};
