// The host's object tree as the page holds it: built from the "tree"
// message, kept current by "changes" messages. Values arrive as the host
// encodes them; large numeric arrays as base64 of float64.

export function decodeValue(v) {
  if (v && typeof v === 'object' && !Array.isArray(v) && 'f64' in v) {
    const bytes = atob(v.f64);
    const buf = new ArrayBuffer(bytes.length);
    const u8 = new Uint8Array(buf);
    for (let i = 0; i < bytes.length; ++i) u8[i] = bytes.charCodeAt(i);
    const data = new Float64Array(buf);
    data.dims = v.dims;
    return data;
  }
  return v;
}

// A numeric property as an array of numbers (a scalar becomes one element).
export function nums(v) {
  if (typeof v === 'number') return [v];
  if (v instanceof Float64Array || Array.isArray(v)) return v;
  return [];
}

// A text property as lines: a string, a char matrix {rows}, or a cell of texts.
export function lines(v) {
  if (typeof v === 'string') return v.length ? v.split('\n') : [];
  if (v && Array.isArray(v.rows)) return v.rows.map((r) => r.replace(/\s+$/, ''));
  if (Array.isArray(v)) return v.flatMap((x) => lines(x));
  if (typeof v === 'number') return [String(v)];
  return [];
}

function decodeProps(props) {
  const out = {};
  for (const [k, v] of Object.entries(props)) out[k] = decodeValue(v);
  return out;
}

export class Store {
  constructor() {
    this.objects = new Map();
    this.seq = 0;
  }

  apply(msg) {
    if (msg.type === 'tree') {
      this.objects.clear();
      for (const o of msg.objects) this.add(o);
    } else if (msg.type === 'changes') {
      for (const o of msg.created) this.add(o);
      for (const h of msg.deleted) this.remove(h);
      for (const s of msg.set) {
        const o = this.objects.get(s.h);
        if (o) Object.assign(o.props, decodeProps(s.props));
      }
      for (const c of msg.children) {
        const o = this.objects.get(c.h);
        if (o) o.children = c.children;
      }
    }
    this.seq = msg.seq;
  }

  add(o) {
    this.objects.set(o.h, { h: o.h, type: o.type, parent: o.parent, children: o.children, props: decodeProps(o.props) });
  }

  remove(h) {
    const o = this.objects.get(h);
    if (!o) return;
    for (const c of o.children) this.remove(c);
    this.objects.delete(h);
    const p = this.objects.get(o.parent);
    if (p) p.children = p.children.filter((k) => k !== h);
  }

  get(h) { return this.objects.get(h); }

  figures() {
    const root = this.objects.get(0);
    if (!root) return [];
    return root.children.map((h) => this.objects.get(h)).filter((f) => f && f.type === 'figure')
      .sort((a, b) => a.h - b.h);
  }

  // The axes of a figure, oldest first (drawn first).
  axesOf(fig) {
    return [...fig.children].reverse().map((h) => this.objects.get(h)).filter((o) => o && o.type === 'axes');
  }

  controlsOf(fig) {
    return [...fig.children].reverse().map((h) => this.objects.get(h)).filter((o) => o && o.type === 'uicontrol');
  }

  figureOf(o) {
    while (o && o.type !== 'figure') o = this.objects.get(o.parent);
    return o;
  }
}
