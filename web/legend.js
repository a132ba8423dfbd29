// A small legend in the upper right of each axes: the lines that carry a
// DisplayName, each with a stroke in its present Color, LineStyle and
// LineWidth. Placed in the figure's pixels, in the layer scaled with the
// figure; it takes no pointer input, so the plot under it stays usable.
import { nums, lines } from './tree.js';
import { rgb } from './render.js';
import { PT, sizeOf, dashOf } from './styles.js';

function entriesOf(store, ax) {
  const out = [];
  for (const h of [...ax.children].reverse()) {
    const o = store.get(h);
    if (!o || o.type !== 'line' || o.props.Visible === 'off') continue;
    const name = lines(o.props.DisplayName).join(' ').trim();
    if (!name) continue;
    // The sample is at most 4 pixels wide; its dashes are those of a line
    // of the sample's width.
    const width = Math.min(4, Math.max(1, sizeOf(o, 'LineWidth') * PT));
    const dash = dashOf(o.props.LineStyle, width);
    out.push({
      h: o.h, name, color: rgb(o.props.Color, '#000'),
      dash: dash && dash.map((d) => Number(d.toFixed(3))).join(' '),
      width,
    });
  }
  return out;
}

function entryElement(e) {
  const row = document.createElement('div');
  row.className = 'legend-entry';
  row.dataset.line = String(e.h);
  const ns = 'http://www.w3.org/2000/svg';
  const svg = document.createElementNS(ns, 'svg');
  svg.setAttribute('width', '24');
  svg.setAttribute('height', '10');
  const stroke = document.createElementNS(ns, 'line');
  Object.entries({ x1: 1, y1: 5, x2: 23, y2: 5, stroke: e.color, 'stroke-width': e.width, 'stroke-dasharray': e.dash ?? '' })
    .forEach(([k, v]) => stroke.setAttribute(k, String(v)));
  if (e.dash === null) stroke.setAttribute('stroke-opacity', '0');
  svg.append(stroke);
  const name = document.createElement('span');
  name.textContent = e.name;
  row.append(svg, name);
  row.dataset.color = e.color;
  return row;
}

export function syncLegends(layer, store, fig) {
  const [, , W, H] = nums(fig.props._rect);
  const seen = new Set();
  for (const ax of store.axesOf(fig)) {
    if (ax.props.Visible === 'off' || !ax.props._plotbox) continue;
    const entries = entriesOf(store, ax);
    if (!entries.length) continue;
    seen.add(String(ax.h));
    let el = layer.querySelector(`[data-axes="${ax.h}"]`);
    if (!el) {
      el = document.createElement('div');
      el.className = 'legend';
      el.dataset.axes = String(ax.h);
      layer.append(el);
    }
    const key = JSON.stringify(entries);
    if (el.dataset.key !== key) {
      el.replaceChildren(...entries.map(entryElement));
      el.dataset.key = key;
    }
    const [bx, by, bw, bh] = nums(ax.props._plotbox);
    el.style.right = `${W - (bx + bw) + 6}px`;
    el.style.top = `${H - by - bh + 6}px`;
  }
  for (const el of [...layer.children]) if (!seen.has(el.dataset.axes)) el.remove();
}
