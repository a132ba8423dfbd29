// How far zooming and panning may take the view of an axes: no narrower
// than a small fraction of what the axes show (a record of 5000 samples
// keeps at least ten across the plot), no wider than that with half of it
// again on either side, and never wholly beside it. Log axes are measured
// in decades.
import { nums } from './tree.js';

const FINEST = 1 / 500; // of the extent
const MARGIN = 0.5; // of the extent, on either side

function scaleOf(ax, d) {
  const log = ax.props[d ? 'YScale' : 'XScale'] === 'log';
  return log ? { to: Math.log10, from: (v) => 10 ** v } : { to: (v) => v, from: (v) => v };
}

// The extent along x (d = 0) or y (d = 1) of the axes' lines, patches and
// images, and of `home` (the limits the program set), in the axis' own
// measure (decades on a log axis).
export function extentOf(store, ax, d, home) {
  const { to } = scaleOf(ax, d);
  let lo = Infinity, hi = -Infinity;
  const take = (v) => {
    const t = to(v);
    if (Number.isFinite(t)) { if (t < lo) lo = t; if (t > hi) hi = t; }
  };
  for (const h of ax.children) {
    const o = store.get(h);
    if (!o || o.props.Visible === 'off' || !['line', 'patch', 'image'].includes(o.type)) continue;
    let v = nums(o.props[d ? 'YData' : 'XData']);
    if (o.type === 'line' && d === 0 && v.length !== nums(o.props.YData).length) v = [1, nums(o.props.YData).length];
    for (let i = 0; i < v.length; ++i) take(v[i]);
  }
  for (const v of home ?? []) take(v);
  return lo <= hi ? [lo, hi] : null;
}

// `lim` brought within bounds: a width outside them is set to the nearest
// allowed one about `anchor` (which keeps its place on the screen), then the
// whole moved back inside. Returns the limits in data units.
export function clampLimits(ax, d, lim, anchor, extent) {
  if (!extent) return lim;
  const { to, from } = scaleOf(ax, d);
  let a = to(lim[0]), b = to(lim[1]);
  const c = to(anchor);
  if (!Number.isFinite(a) || !Number.isFinite(b) || !(b > a)) return lim;
  const span = extent[1] - extent[0] || Math.max(Math.abs(extent[0]), 1);
  const lo = extent[0] - MARGIN * span, hi = extent[1] + MARGIN * span;
  // Finer than this the numbers along the axis stop being distinct.
  const finest = Math.max(span * FINEST, Math.max(Math.abs(a), Math.abs(b)) * 1e-9);
  const w = b - a;
  const want = Math.min(Math.max(w, finest), hi - lo);
  if (want !== w) {
    const f = Number.isFinite(c) ? Math.min(1, Math.max(0, (c - a) / w)) : 0.5;
    a = (Number.isFinite(c) ? c : (a + b) / 2) - f * want;
    b = a + want;
  }
  if (a < lo) { b += lo - a; a = lo; }
  if (b > hi) { a -= b - hi; b = hi; }
  return [from(a), from(b)];
}
