// What the pointer and the keyboard do on a figure: in Edit mode presses,
// motions and releases go to the host, which finds the object under the
// pointer; Zoom and Pan change the axes' limits at the host; the wheel
// zooms in any mode; arrow keys nudge the selected marker through the same
// press, motion and release a drag makes. The figure is shown scaled:
// pointer positions are taken back to the figure's own pixels.
import { nums } from './tree.js';
import { frameOf } from './render.js';
import { extentOf, clampLimits } from './limits.js';

const GRAB = 4; // pixels

function distToSegment(px, py, ax, ay, bx, by) {
  const dx = bx - ax, dy = by - ay;
  const len = dx * dx + dy * dy;
  let t = len ? ((px - ax) * dx + (py - ay) * dy) / len : 0;
  t = Math.max(0, Math.min(1, t));
  return Math.hypot(px - (ax + t * dx), py - (ay + t * dy));
}

export class Interaction {
  constructor(view) {
    this.view = view; // {canvas, store(), figure(), scale(), live(), conn, mode(), selected, redraw(), note(text), readout(info)}
    this.drag = null;
    const c = view.canvas;
    c.addEventListener('pointerdown', (e) => this.down(e));
    c.addEventListener('pointermove', (e) => this.move(e));
    c.addEventListener('pointerup', (e) => this.up(e));
    c.addEventListener('pointercancel', (e) => this.up(e));
    c.addEventListener('pointerleave', () => view.readout(null));
    c.addEventListener('wheel', (e) => this.wheel(e), { passive: false });
    c.addEventListener('dblclick', () => { if (view.mode() !== 'edit') this.resetAxes(); });
    this.nudges = [];
    this.home = new Map();
  }

  // Figure pixels (from the lower-left) of a pointer event.
  figurePoint(e) {
    const r = this.view.canvas.getBoundingClientRect();
    const s = this.view.scale();
    const x = (e.clientX - r.left) / s, top = (e.clientY - r.top) / s;
    return { x, y: r.height / s - top, top };
  }

  axesAt(top, x) {
    const fig = this.view.figure();
    const H = nums(fig.props._rect)[3];
    const all = this.view.store().axesOf(fig).reverse();
    for (const ax of all) {
      if (ax.props.Visible === 'off' || !ax.props._plotbox) continue;
      const f = frameOf(ax, H);
      if (x >= f.left && x <= f.left + f.width && top >= f.top && top <= f.top + f.height) return { ax, f };
    }
    return null;
  }

  // The marker a press here would grab: the topmost line within a few
  // pixels, as the host finds it, when that line has a ButtonDownFcn.
  grabbable(ax, f, x, top) {
    const store = this.view.store();
    for (const h of ax.children) {
      const o = store.get(h);
      if (!o || o.type !== 'line' || o.props.Visible === 'off') continue;
      const ys = nums(o.props.YData);
      let xs = nums(o.props.XData);
      if (xs.length !== ys.length) xs = Float64Array.from(ys, (_, i) => i + 1);
      // Only the part of a long line near the pointer can be within reach.
      const near = (i) => Math.abs(f.px(xs[i]) - x) <= GRAB + 1;
      for (let i = 0; i + 1 < xs.length; ++i) {
        if (xs.length > 64 && !near(i) && !near(i + 1)) continue;
        const d = distToSegment(x, top, f.px(xs[i]), f.py(ys[i]), f.px(xs[i + 1]), f.py(ys[i + 1]));
        if (d <= GRAB) return o.props.ButtonDownFcn ? o : null;
      }
    }
    return null;
  }

  send(type, p, extra = {}) {
    const fig = this.view.figure();
    return this.view.conn.send({ type, figure: fig.h, x: p.x, y: p.y }, extra);
  }

  down(e) {
    if (e.button !== 0 || !this.view.live()) return;
    const p = this.figurePoint(e);
    const hit = this.axesAt(p.top, p.x);
    try {
      this.view.canvas.setPointerCapture(e.pointerId);
    } catch {
      // a pointer the browser does not track (a synthetic event): no capture
    }
    const mode = this.view.mode();
    if (mode === 'edit') {
      const marker = hit && this.grabbable(hit.ax, hit.f, p.x, p.top);
      this.view.select(marker ? marker.h : null);
      this.drag = { kind: 'edit', marker };
      if (marker) this.view.canvas.style.cursor = 'grabbing';
      this.send('press', p);
    } else if (hit) {
      this.drag = { kind: mode, ax: hit.ax, f: hit.f, start: p, xlim: [...hit.f.xlim], ylim: [...hit.f.ylim] };
    }
  }

  move(e) {
    if (!this.view.live()) { this.drag = null; return; }
    const p = this.figurePoint(e);
    const hit = this.axesAt(p.top, p.x);
    this.view.readout(hit ? { ax: hit.ax, x: hit.f.dataX(p.x), y: hit.f.dataY(p.top) } : null);
    const d = this.drag;
    if (!d) {
      const marker = hit && this.view.mode() === 'edit' && this.grabbable(hit.ax, hit.f, p.x, p.top);
      this.view.canvas.style.cursor = marker ? 'grab' : hit ? 'crosshair' : 'default';
      return;
    }
    if (d.kind === 'edit') {
      const fig = this.view.figure();
      this.view.conn.sendLatest('motion', { type: 'motion', figure: fig.h, x: p.x, y: p.y }, { pointerAt: e.timeStamp });
    } else if (d.kind === 'zoom') {
      this.view.rubber(d.start, p);
    } else if (d.kind === 'pan') {
      const f = d.f;
      const dx = f.dataX(d.start.x) - f.dataX(p.x);
      const sy = (p.y - d.start.y) / f.height * (d.ylim[1] - d.ylim[0]);
      this.limits(d.ax, [d.xlim[0] + dx, d.xlim[1] + dx], [d.ylim[0] - sy, d.ylim[1] - sy], { latest: true });
    }
  }

  up(e) {
    const d = this.drag;
    this.drag = null;
    if (!d) return;
    const p = this.figurePoint(e);
    if (d.kind === 'edit') {
      this.view.conn.flushLatest('motion');
      this.send('release', p);
      this.view.canvas.style.cursor = d.marker ? 'grab' : 'crosshair';
    } else if (d.kind === 'zoom') {
      this.view.rubber(null);
      const f = d.f;
      const t0 = d.start.top, t1 = p.top;
      if (Math.abs(p.x - d.start.x) < 4 && Math.abs(t1 - t0) < 4) {
        const k = e.shiftKey ? 2 : 0.5;
        this.zoomAbout(d.ax, f, f.dataX(p.x), f.dataY(p.top), k, k);
      } else {
        const xs = [f.dataX(d.start.x), f.dataX(p.x)].sort((a, b) => a - b);
        const ys = [f.dataY(t0), f.dataY(t1)].sort((a, b) => a - b);
        this.limits(d.ax, xs, ys, { anchor: [(xs[0] + xs[1]) / 2, (ys[0] + ys[1]) / 2] });
      }
    }
  }

  wheel(e) {
    if (!this.view.live()) return;
    const p = this.figurePoint(e);
    const hit = this.axesAt(p.top, p.x);
    if (!hit) return;
    e.preventDefault();
    const k = e.deltaY > 0 ? 1.25 : 0.8;
    // Shift: along x only, the usual wish on a long record.
    this.zoomAbout(hit.ax, hit.f, hit.f.dataX(p.x), hit.f.dataY(p.top), k, e.shiftKey ? 1 : k);
  }

  zoomAbout(ax, f, cx, cy, kx, ky) {
    const [x0, x1] = f.xlim, [y0, y1] = f.ylim;
    this.limits(ax, [cx - (cx - x0) * kx, cx + (x1 - cx) * kx], [cy - (cy - y0) * ky, cy + (y1 - cy) * ky], { anchor: [cx, cy] });
  }

  // Asks the host for new limits, kept within what the data make
  // meaningful (see limits.js); nothing is sent when they stay as they are.
  limits(ax, xlim, ylim, { latest = false, anchor = null } = {}) {
    if (!(xlim[1] > xlim[0]) || !(ylim[1] > ylim[0])) return;
    // The view before the first zoom or pan is where "Reset view" returns:
    // the limits the program set, not automatic ones.
    if (!this.home.has(ax.h)) this.home.set(ax.h, { xlim: [...nums(ax.props.XLim)], ylim: [...nums(ax.props.YLim)] });
    const home = this.home.get(ax.h);
    const store = this.view.store();
    const at = anchor ?? [(xlim[0] + xlim[1]) / 2, (ylim[0] + ylim[1]) / 2];
    xlim = clampLimits(ax, 0, xlim, at[0], extentOf(store, ax, 0, home.xlim));
    ylim = clampLimits(ax, 1, ylim, at[1], extentOf(store, ax, 1, home.ylim));
    const now = [...nums(ax.props.XLim), ...nums(ax.props.YLim)];
    if ([...xlim, ...ylim].every((v, i) => Math.abs(v - now[i]) <= 1e-12 * Math.max(1, Math.abs(v)))) return;
    const msg = { type: 'limits', axes: ax.h, xlim, ylim };
    return latest ? this.view.conn.sendLatest(`limits:${ax.h}`, msg) : this.view.conn.send(msg);
  }

  resetAxes() {
    const fig = this.view.figure();
    return Promise.all(this.view.store().axesOf(fig).map((ax) => {
      const home = this.home.get(ax.h);
      this.home.delete(ax.h);
      return this.view.conn.send(home ? { type: 'limits', axes: ax.h, ...home } : { type: 'limits', axes: ax.h, reset: true });
    }));
  }

  // Arrow keys: the selected marker one sample (ten with Shift) through a
  // press on it, a motion to the new place and a release, one after another.
  nudge(samples) {
    this.nudges.push(samples);
    if (this.nudges.length === 1) this.nextNudge();
  }

  async nextNudge() {
    while (this.nudges.length) {
      const step = this.nudges[0];
      const store = this.view.store();
      const line = store.get(this.view.selected());
      const ax = line && store.get(line.parent);
      if (!ax) { this.nudges = []; return; }
      const H = nums(this.view.figure().props._rect)[3];
      const f = frameOf(ax, H);
      const x = nums(line.props.XData)[0];
      // Pressed where the host's hit test finds the marker itself, not a
      // line lying across it.
      let top = f.top + f.height / 2;
      for (let t = f.top + 2; t < f.top + f.height; t += 3) {
        if (this.grabbable(ax, f, f.px(x), t) === line) { top = t; break; }
      }
      const from = { x: f.px(x), y: H - top };
      const to = { x: f.px(x + step), y: from.y };
      await this.send('press', from);
      await this.send('motion', to);
      await this.send('release', to);
      this.nudges.shift();
    }
  }

  busy() { return this.nudges.length > 0; }
}
