// Draws a figure's axes and their children on a canvas, from the tree the
// page holds. Geometry comes from the host: each axes' "_plotbox" is the
// rectangle its plot box fills, in figure pixels from the lower-left. The
// drawing is in figure pixels, scaled as a whole to the size the page
// shows the figure at, in device pixels so that it stays sharp.
import { nums, lines } from './tree.js';
import { PT, JOIN, sizeOf, dashOf, markerShape, addMarker } from './styles.js';

export function rgb(c, fallback = null) {
  const v = nums(c);
  if (v.length === 3) return `rgb(${v[0] * 255},${v[1] * 255},${v[2] * 255})`;
  return fallback;
}

// The map between an axes' data and canvas pixels (y down from the top).
export function frameOf(ax, figHeight) {
  const [bx, by, bw, bh] = nums(ax.props._plotbox);
  const [x0, x1] = nums(ax.props.XLim);
  const [y0, y1] = nums(ax.props.YLim);
  const left = bx, top = figHeight - by - bh;
  const lx = ax.props.XScale === 'log', ly = ax.props.YScale === 'log';
  const tx = (v) => (lx ? Math.log10(v) : v), ty = (v) => (ly ? Math.log10(v) : v);
  const rx = ax.props.XDir === 'reverse', ry = ax.props.YDir === 'reverse';
  const ax0 = tx(x0), ax1 = tx(x1), ay0 = ty(y0), ay1 = ty(y1);
  return {
    left, top, width: bw, height: bh,
    px(x) { const f = (tx(x) - ax0) / (ax1 - ax0); return left + (rx ? 1 - f : f) * bw; },
    py(y) { const f = (ty(y) - ay0) / (ay1 - ay0); return top + (ry ? f : 1 - f) * bh; },
    dataX(px) { let f = (px - left) / bw; if (rx) f = 1 - f; const v = ax0 + f * (ax1 - ax0); return lx ? 10 ** v : v; },
    dataY(py) { let f = 1 - (py - top) / bh; if (ry) f = 1 - f; const v = ay0 + f * (ay1 - ay0); return ly ? 10 ** v : v; },
    xlim: [x0, x1], ylim: [y0, y1], figHeight,
  };
}

function font(o) {
  const weight = o.props.FontWeight === 'bold' ? 'bold ' : '';
  const angle = o.props.FontAngle === 'italic' ? 'italic ' : '';
  return `${angle}${weight}${sizeOf(o, 'FontSize') * PT}px "DejaVu Sans", system-ui, sans-serif`;
}

function xyOf(line) {
  const y = nums(line.props.YData);
  let x = nums(line.props.XData);
  if (x.length !== y.length) x = Float64Array.from(y, (_, i) => i + 1);
  return [x, y];
}

// One path for the whole line; where there are many more points than pixel
// columns, each column keeps its first, lowest, highest and last point, so
// the picture is the same as drawing them all.
function strokeLine(ctx, f, x, y) {
  const n = Math.min(x.length, y.length);
  ctx.beginPath();
  let pen = false;
  const k = f.density ?? 1; // device pixels per figure pixel
  const dense = n > 4 * f.width * k;
  let col = NaN, lo = 0, hi = 0, last = 0;
  const flush = () => {
    if (!Number.isNaN(col)) { const cx = col / k; ctx.lineTo(cx, lo); ctx.lineTo(cx, hi); ctx.lineTo(cx, last); }
  };
  for (let i = 0; i < n; ++i) {
    if (!Number.isFinite(x[i]) || !Number.isFinite(y[i])) { flush(); col = NaN; pen = false; continue; }
    const px = f.px(x[i]), py = f.py(y[i]);
    if (!pen) { ctx.moveTo(px, py); pen = true; col = NaN; continue; }
    if (!dense) { ctx.lineTo(px, py); continue; }
    const c = Math.round(px * k);
    if (c !== col) { flush(); col = c; lo = hi = last = py; ctx.lineTo(px, py); } else {
      lo = Math.min(lo, py); hi = Math.max(hi, py); last = py;
    }
  }
  flush();
  ctx.stroke();
}

// The markers of a line, one path filled and stroked as the host's
// renderer does; 'auto' colours are the line's.
function drawMarkers(ctx, f, line, x, y, color, width) {
  const p = line.props;
  const shape = markerShape(p.Marker);
  if (!shape) return;
  let edge = p.MarkerEdgeColor === 'none' ? null : rgb(p.MarkerEdgeColor, color);
  let face = shape.paint === 'open' ? null : p.MarkerFaceColor === 'auto' ? color : rgb(p.MarkerFaceColor);
  if (shape.paint === 'dot') { face = edge ?? face; edge = null; }
  if (!edge && !face) return;
  const size = sizeOf(line, 'MarkerSize') * PT;
  ctx.beginPath();
  for (let i = 0; i < Math.min(x.length, y.length); ++i) {
    if (Number.isFinite(x[i]) && Number.isFinite(y[i])) addMarker(ctx, shape, f.px(x[i]), f.py(y[i]), size);
  }
  ctx.lineWidth = width;
  ctx.lineJoin = JOIN.marker;
  if (face) { ctx.fillStyle = face; ctx.fill(); }
  if (edge) { ctx.strokeStyle = edge; ctx.stroke(); }
}

function drawLine(ctx, f, line, highlight) {
  const p = line.props;
  const color = rgb(p.Color, '#000');
  const [x, y] = xyOf(line);
  const width = Math.max(1 / (f.density ?? 1), sizeOf(line, 'LineWidth') * PT);
  ctx.save();
  const stroke = highlight ? width + 3 : width;
  const dash = dashOf(p.LineStyle, stroke);
  if (dash) {
    ctx.strokeStyle = color;
    ctx.lineWidth = stroke;
    ctx.lineJoin = JOIN.line;
    ctx.setLineDash(dash);
    if (highlight) { ctx.shadowColor = color; ctx.shadowBlur = 6; }
    strokeLine(ctx, f, x, y);
  }
  ctx.restore();
  ctx.save();
  drawMarkers(ctx, f, line, x, y, color, width);
  ctx.restore();
}

function drawText(ctx, f, t, store) {
  const p = t.props;
  const texts = lines(p.String);
  if (!texts.length) return;
  const pos = nums(p.Position);
  let x = pos[0] ?? 0, y = pos[1] ?? 0;
  if (p.Units === 'pixels') {
    const [rx, ry] = nums(store.get(t.parent).props._rect);
    x = rx + x; y = f.figHeight - ry - y;
  } else if (p.Units === 'normalized') {
    x = f.left + x * f.width; y = f.top + (1 - y) * f.height;
  } else { x = f.px(x); y = f.py(y); }
  ctx.save();
  ctx.translate(x, y);
  ctx.rotate((-(nums(p.Rotation)[0] ?? 0) * Math.PI) / 180);
  ctx.font = font(t);
  ctx.fillStyle = rgb(p.Color, '#000');
  ctx.textAlign = p.HorizontalAlignment === 'center' ? 'center' : p.HorizontalAlignment === 'right' ? 'right' : 'left';
  const size = sizeOf(t, 'FontSize') * PT * 1.2;
  const va = p.VerticalAlignment ?? 'middle';
  const lift = va === 'top' || va === 'cap' ? 0 : va === 'bottom' || va === 'baseline' ? -size * texts.length : -size * texts.length / 2;
  ctx.textBaseline = 'top';
  texts.forEach((s, i) => ctx.fillText(s, 0, lift + i * size));
  ctx.restore();
}

function drawImage(ctx, f, img, fig, ax) {
  const c = img.props.CData;
  if (!(c instanceof Float64Array) && typeof c !== 'number') return;
  const data = nums(c);
  const dims = c.dims ?? [1, 1];
  const [m, n] = dims, truecolor = dims.length === 3 && dims[2] === 3;
  const cmap = fig.props.Colormap;
  const cm = nums(cmap), rowsCm = cmap?.dims?.[0] ?? cm.length / 3;
  const [c0, c1] = nums(ax.props.CLim);
  const scaled = img.props.CDataMapping === 'scaled';
  const off = new OffscreenCanvas(n, m);
  const octx = off.getContext('2d');
  const pix = octx.createImageData(n, m);
  for (let i = 0; i < m; ++i) for (let j = 0; j < n; ++j) {
    const k = i + j * m, o = 4 * (i * n + j);
    let r, g, b;
    if (truecolor) { r = data[k]; g = data[k + m * n]; b = data[k + 2 * m * n]; } else {
      let idx = scaled ? Math.floor(((data[k] - c0) / (c1 - c0)) * rowsCm) : Math.round(data[k]) - 1;
      idx = Math.max(0, Math.min(rowsCm - 1, Number.isFinite(idx) ? idx : 0));
      r = cm[idx]; g = cm[idx + rowsCm]; b = cm[idx + 2 * rowsCm];
    }
    pix.data[o] = r * 255; pix.data[o + 1] = g * 255; pix.data[o + 2] = b * 255; pix.data[o + 3] = 255;
  }
  octx.putImageData(pix, 0, 0);
  const xd = nums(img.props.XData), yd = nums(img.props.YData);
  const xa = xd[0] ?? 1, xb = xd[xd.length - 1] ?? n, ya = yd[0] ?? 1, yb = yd[yd.length - 1] ?? m;
  const dx = n > 1 ? (xb - xa) / (n - 1) : 1, dy = m > 1 ? (yb - ya) / (m - 1) : 1;
  const X0 = f.px(xa - dx / 2), X1 = f.px(xb + dx / 2), Y0 = f.py(ya - dy / 2), Y1 = f.py(yb + dy / 2);
  ctx.imageSmoothingEnabled = false;
  ctx.save();
  ctx.translate(X0, Y0);
  ctx.scale((X1 - X0) / n, (Y1 - Y0) / m);
  ctx.drawImage(off, 0, 0);
  ctx.restore();
}

function drawPatch(ctx, f, patch) {
  const x = nums(patch.props.XData), y = nums(patch.props.YData);
  const rows = patch.props.XData?.dims?.[0] ?? x.length;
  const faces = rows ? Math.floor(x.length / rows) : 0;
  ctx.save();
  ctx.lineWidth = Math.max(1, sizeOf(patch, 'LineWidth') * PT);
  const dash = dashOf(patch.props.LineStyle, ctx.lineWidth);
  const face = rgb(patch.props.FaceColor), edge = dash && rgb(patch.props.EdgeColor);
  ctx.lineJoin = JOIN.line;
  if (edge) ctx.setLineDash(dash);
  for (let k = 0; k < faces; ++k) {
    ctx.beginPath();
    for (let i = 0; i < rows; ++i) ctx[i ? 'lineTo' : 'moveTo'](f.px(x[k * rows + i]), f.py(y[k * rows + i]));
    ctx.closePath();
    if (face) { ctx.fillStyle = face; ctx.fill(); }
    if (edge) { ctx.strokeStyle = edge; ctx.stroke(); }
  }
  ctx.restore();
}

// The numbers of ticks as texts that tell them apart: as few digits as
// that takes, and no more than the step between them needs.
export function distinctLabels(ticks) {
  let step = Infinity;
  for (let i = 1; i < ticks.length; ++i) if (ticks[i] !== ticks[i - 1]) step = Math.min(step, Math.abs(ticks[i] - ticks[i - 1]));
  if (!Number.isFinite(step)) step = Math.max(...ticks.map(Math.abs), 1);
  const top = Math.max(...ticks.map(Math.abs), 0);
  const good = (out) => new Set(out).size === new Set(ticks).size && out.every((s, i) => Math.abs(Number(s) - ticks[i]) <= step * 1e-3);
  const tidy = (t) => (Math.abs(t) < step * 1e-9 ? 0 : t);
  if (top < 1e6) {
    for (let d = Math.max(0, Math.ceil(-Math.log10(step) - 1e-9)); d <= 12; ++d) {
      const out = ticks.map((t) => tidy(t).toFixed(d));
      if (good(out)) return out;
    }
  }
  for (let digits = 3; digits <= 17; ++digits) {
    const out = ticks.map((t) => String(Number(tidy(t).toPrecision(digits))));
    if (good(out)) return out;
  }
  return ticks.map(String);
}

// The labels drawn: the axes' own, unless they are the automatic ones and
// repeat a text for different ticks (the host's go no finer than six
// significant digits).
function tickLabels(v, ticks, mode) {
  if (typeof v === 'string' && v.includes('|')) return v.split('|');
  const l = lines(v);
  if (!l.length) return distinctLabels(ticks);
  if (mode !== 'manual' && l.length === ticks.length && new Set(l).size < new Set(ticks).size) return distinctLabels(ticks);
  return l;
}

// What text was drawn where, for tests: figure pixels from the top-left.
const drawn = [];
export function drawnText() { return drawn.slice(); }
function note(kind, axes, text, x0, y0, x1, y1) {
  drawn.push({ kind, axes, text, left: Math.min(x0, x1), top: Math.min(y0, y1), right: Math.max(x0, x1), bottom: Math.max(y0, y1) });
}

function drawAxesFrame(ctx, f, ax, store) {
  const p = ax.props;
  const fontPx = sizeOf(ax, 'FontSize') * PT;
  const tickLen = Math.max(3, (nums(p.TickLength)[0] ?? 0.01) * Math.max(f.width, f.height));
  const out = p.TickDir === 'out' ? -1 : 1;
  const xc = rgb(p.XColor, '#262626'), yc = rgb(p.YColor, '#262626');
  const L = f.left, T = f.top, R = f.left + f.width, B = f.top + f.height;
  ctx.lineWidth = Math.max(1, sizeOf(ax, 'LineWidth') * PT);
  ctx.font = font(ax);
  const xt = nums(p.XTick).filter((t) => t >= Math.min(...f.xlim) && t <= Math.max(...f.xlim));
  const yt = nums(p.YTick).filter((t) => t >= Math.min(...f.ylim) && t <= Math.max(...f.ylim));
  // grid
  const grid = dashOf(p.GridLineStyle, ctx.lineWidth);
  if (grid) {
    // In the axis colours, as the exported picture draws it.
    ctx.setLineDash(grid);
    ctx.strokeStyle = xc;
    if (p.XGrid === 'on') for (const t of xt) { ctx.beginPath(); ctx.moveTo(f.px(t), T); ctx.lineTo(f.px(t), B); ctx.stroke(); }
    ctx.strokeStyle = yc;
    if (p.YGrid === 'on') for (const t of yt) { ctx.beginPath(); ctx.moveTo(L, f.py(t)); ctx.lineTo(R, f.py(t)); ctx.stroke(); }
    ctx.setLineDash([]);
  }
  const box = p.Box === 'on';
  ctx.strokeStyle = xc;
  ctx.beginPath(); ctx.moveTo(L, B); ctx.lineTo(R, B); if (box) { ctx.moveTo(L, T); ctx.lineTo(R, T); } ctx.stroke();
  ctx.strokeStyle = yc;
  ctx.beginPath(); ctx.moveTo(L, T); ctx.lineTo(L, B); if (box) { ctx.moveTo(R, T); ctx.lineTo(R, B); } ctx.stroke();
  ctx.beginPath();
  ctx.strokeStyle = xc;
  for (const t of xt) { const x = f.px(t); ctx.moveTo(x, B); ctx.lineTo(x, B - out * tickLen); if (box) { ctx.moveTo(x, T); ctx.lineTo(x, T + out * tickLen); } }
  ctx.stroke();
  ctx.beginPath();
  ctx.strokeStyle = yc;
  for (const t of yt) { const y = f.py(t); ctx.moveTo(L, y); ctx.lineTo(L + out * tickLen, y); if (box) { ctx.moveTo(R, y); ctx.lineTo(R - out * tickLen, y); } }
  ctx.stroke();
  const allX = nums(p.XTick), allY = nums(p.YTick);
  const xl = tickLabels(p.XTickLabel, allX, p.XTickLabelMode), yl = tickLabels(p.YTickLabel, allY, p.YTickLabelMode);
  ctx.fillStyle = xc; ctx.textAlign = 'center'; ctx.textBaseline = 'top';
  allX.forEach((t, i) => {
    if (!xt.includes(t)) return;
    const s = xl[i % xl.length] ?? '';
    ctx.fillText(s, f.px(t), B + 4);
    const w = ctx.measureText(s).width;
    note('xtick', ax.h, s, f.px(t) - w / 2, B + 4, f.px(t) + w / 2, B + 4 + fontPx);
  });
  ctx.fillStyle = yc; ctx.textAlign = 'right'; ctx.textBaseline = 'middle';
  let widest = 0;
  allY.forEach((t, i) => {
    if (!yt.includes(t)) return;
    const s = yl[i % yl.length] ?? '';
    const w = ctx.measureText(s).width;
    widest = Math.max(widest, w);
    ctx.fillText(s, L - 5, f.py(t));
    note('ytick', ax.h, s, L - 5 - w, f.py(t) - fontPx / 2, L - 5, f.py(t) + fontPx / 2);
  });
  const label = (kind, h, x, y, rot, baseline) => {
    const t = store.get(nums(h)[0]);
    if (!t || t.props.Visible === 'off') return;
    const s = lines(t.props.String);
    if (!s.length) return;
    ctx.save();
    ctx.translate(x, y); ctx.rotate(rot);
    ctx.font = font(t);
    ctx.fillStyle = rgb(t.props.Color, '#000'); ctx.textAlign = 'center'; ctx.textBaseline = baseline;
    const lh = sizeOf(t, 'FontSize') * PT * 1.2;
    s.forEach((line, i) => ctx.fillText(line, 0, baseline === 'bottom' ? (i - s.length + 1) * lh : i * lh));
    const w = Math.max(...s.map((line) => ctx.measureText(line).width)) / 2, h0 = baseline === 'bottom' ? -s.length * lh : 0;
    ctx.restore();
    if (rot) note(kind, ax.h, s.join('\n'), x + h0, y - w, x + h0 + s.length * lh, y + w);
    else note(kind, ax.h, s.join('\n'), x - w, y + h0, x + w, y + h0 + s.length * lh);
  };
  label('title', p.Title, (L + R) / 2, T - 6, 0, 'bottom');
  label('xlabel', p.XLabel, (L + R) / 2, B + 6 + fontPx * 1.3, 0, 'top');
  label('ylabel', p.YLabel, L - 10 - widest, (T + B) / 2, -Math.PI / 2, 'bottom');
}

// Draws the whole figure at `scale` CSS pixels per figure pixel; `selected`
// is a line to highlight.
export function drawFigure(canvas, store, fig, selected, scale = 1) {
  const [, , W, H] = nums(fig.props._rect);
  const dpr = window.devicePixelRatio || 1;
  const k = scale * dpr;
  const cw = Math.round(W * k), ch = Math.round(H * k);
  if (canvas.width !== cw || canvas.height !== ch) { canvas.width = cw; canvas.height = ch; }
  canvas.style.width = `${cw / dpr}px`; canvas.style.height = `${ch / dpr}px`;
  drawn.length = 0;
  const ctx = canvas.getContext('2d');
  ctx.setTransform(k, 0, 0, k, 0, 0);
  ctx.fillStyle = rgb(fig.props.Color, '#f0f0f0');
  ctx.fillRect(0, 0, W, H);
  for (const ax of store.axesOf(fig)) {
    if (ax.props.Visible === 'off' || !ax.props._plotbox) continue;
    const f = frameOf(ax, H);
    f.density = k;
    if (!(f.width > 0 && f.height > 0) || !(f.xlim[1] > f.xlim[0]) || !(f.ylim[1] > f.ylim[0])) continue;
    const bg = rgb(ax.props.Color);
    if (bg) { ctx.fillStyle = bg; ctx.fillRect(f.left, f.top, f.width, f.height); }
    ctx.save();
    ctx.beginPath(); ctx.rect(f.left, f.top, f.width, f.height); ctx.clip();
    for (const h of [...ax.children].reverse()) {
      const o = store.get(h);
      if (!o || o.props.Visible === 'off') continue;
      if (o.type === 'line') drawLine(ctx, f, o, o.h === selected);
      else if (o.type === 'image') drawImage(ctx, f, o, fig, ax);
      else if (o.type === 'patch') drawPatch(ctx, f, o);
    }
    ctx.restore();
    const labels = new Set(['Title', 'XLabel', 'YLabel', 'ZLabel'].map((k) => nums(ax.props[k])[0]));
    for (const h of [...ax.children].reverse()) {
      const o = store.get(h);
      if (o && o.type === 'text' && o.props.Visible !== 'off' && !labels.has(h)) drawText(ctx, f, o, store);
    }
    drawAxesFrame(ctx, f, ax, store);
  }
}
