// A figure's uicontrols as real HTML controls, placed at their rectangles
// in the figure's pixels (the layer is scaled with the figure). The host's
// values are shown unless the person is working the control at that
// moment; what the person does goes back as "value" and "click" events.
import { nums, lines } from './tree.js';
import { rgb } from './render.js';
import { PT, sizeOf } from './styles.js';

const THUMB = 8; // half the width of a range input's thumb, in CSS pixels

// A press on a slider's track beside the thumb moves it by the big step of
// its SliderStep towards the press, as a scroll bar's trough does; a press
// on the thumb drags it.
function trackPress(el, e, events, h) {
  if (e.button !== 0 || el.disabled) return false;
  const r = el.getBoundingClientRect();
  const s = el.offsetWidth ? r.width / el.offsetWidth : 1;
  const min = Number(el.min), max = Number(el.max), v = Number(el.value);
  if (!(max > min)) return false;
  const half = THUMB * s;
  const at = r.left + half + ((v - min) / (max - min)) * (r.width - 2 * half);
  if (Math.abs(e.clientX - at) <= half + 1) return false;
  const big = Number(el.dataset.bigStep) || 0.1 * (max - min);
  const next = Math.min(max, Math.max(min, v + Math.sign(e.clientX - at) * big));
  el.focus();
  if (next !== v) {
    el.value = String(next);
    events.value(h, Number(el.value));
  }
  return true;
}

function items(v) {
  if (typeof v === 'string') return v.split('|');
  return lines(v);
}

function make(o, events) {
  const style = o.props.Style;
  const h = o.h;
  let el, input;
  if (style === 'slider') {
    el = input = document.createElement('input');
    el.type = 'range';
    el.addEventListener('input', () => events.valueLatest(h, Number(el.value)));
    el.addEventListener('pointerdown', (e) => {
      if (trackPress(el, e, events, h)) { e.preventDefault(); el.dataset.track = '1'; } else el.dataset.busy = '1';
    });
    // The browser's own response to a press on the track (a jump to it) comes with the mouse event.
    el.addEventListener('mousedown', (e) => { if (el.dataset.track) { e.preventDefault(); delete el.dataset.track; } });
    el.addEventListener('pointerup', () => { delete el.dataset.busy; delete el.dataset.track; });
  } else if (style === 'edit') {
    const multi = (nums(o.props.Max)[0] ?? 1) - (nums(o.props.Min)[0] ?? 0) > 1;
    el = input = document.createElement(multi ? 'textarea' : 'input');
    if (!multi) el.type = 'text';
    el.spellcheck = false;
    // After the host has answered, the box shows what the host holds (the
    // callback may have put another text back).
    const commit = () => {
      if (el.value !== el.dataset.host) events.value(h, el.value).then(() => { el.dataset.sync = '1'; });
    };
    el.addEventListener('keydown', (e) => {
      if (e.key === 'Enter' && !multi) { e.preventDefault(); commit(); el.dataset.host = el.value; el.select(); }
      if (e.key === 'Escape') { el.value = el.dataset.host ?? ''; el.blur(); }
    });
    el.addEventListener('blur', commit);
  } else if (style === 'radiobutton' || style === 'checkbox') {
    el = document.createElement('label');
    input = document.createElement('input');
    input.type = style === 'radiobutton' ? 'radio' : 'checkbox';
    el.append(input, document.createElement('span'));
    input.addEventListener('click', (e) => { e.preventDefault(); events.click(h); });
  } else if (style === 'pushbutton' || style === 'togglebutton') {
    el = input = document.createElement('button');
    el.type = 'button';
    el.addEventListener('click', () => events.click(h));
  } else if (style === 'popupmenu' || style === 'listbox') {
    el = input = document.createElement('select');
    if (style === 'listbox') el.size = 4;
    el.addEventListener('change', () => events.value(h, el.selectedIndex + 1));
  } else {
    el = document.createElement('div');
  }
  el.classList.add('uic', `uic-${style}`);
  el.dataset.handle = String(h);
  el.uiInput = input;
  return el;
}

function update(el, o, figHeight) {
  const p = o.props;
  const [x, y, w, hgt] = nums(p._rect);
  Object.assign(el.style, { left: `${x}px`, top: `${figHeight - y - hgt}px`, width: `${w}px`, height: `${hgt}px` });
  el.style.display = p.Visible === 'off' ? 'none' : '';
  el.dataset.tag = p.Tag ?? '';
  el.title = p.TooltipString ?? '';
  el.style.fontSize = `${sizeOf(o, 'FontSize') * PT}px`;
  const fg = rgb(p.ForegroundColor), bg = rgb(p.BackgroundColor);
  if (fg) el.style.color = fg;
  const style = p.Style;
  if (bg && style !== 'slider' && style !== 'text' && style !== 'radiobutton' && style !== 'checkbox') el.style.background = bg;
  const c = el.uiInput;
  const enable = p.Enable ?? 'on';
  if (c) {
    c.disabled = enable === 'off';
    if ('readOnly' in c) c.readOnly = enable === 'inactive';
  }
  el.classList.toggle('disabled', enable === 'off');
  const value = nums(p.Value)[0] ?? 0, min = nums(p.Min)[0] ?? 0, max = nums(p.Max)[0] ?? 1;
  const text = lines(p.String);
  if (style === 'slider') {
    c.min = min; c.max = max;
    const [step, big] = nums(p.SliderStep);
    // 1/198 * 198 is 1.0000000000000002: twelve digits keep steps whole.
    c.step = step > 0 ? String(Number((step * (max - min)).toPrecision(12))) : 'any';
    c.dataset.bigStep = big > 0 ? String(Number((big * (max - min)).toPrecision(12))) : '';
    if (!c.dataset.busy) c.value = String(value);
    c.setAttribute('aria-valuenow', String(value));
  } else if (style === 'edit') {
    const s = text.join('\n');
    c.dataset.host = s;
    if (document.activeElement !== c || c.dataset.sync) c.value = s;
    delete c.dataset.sync;
  } else if (style === 'radiobutton' || style === 'checkbox') {
    c.checked = value === max;
    el.lastChild.textContent = text.join(' ');
  } else if (style === 'pushbutton' || style === 'togglebutton') {
    c.textContent = text.join(' ');
    if (style === 'togglebutton') el.classList.toggle('on', value === max);
  } else if (style === 'popupmenu' || style === 'listbox') {
    const list = items(p.String);
    if (c.options.length !== list.length || [...c.options].some((op, i) => op.text !== list[i])) {
      c.replaceChildren(...list.map((s) => new Option(s)));
    }
    c.selectedIndex = Math.max(0, Math.round(value) - 1);
  } else {
    el.textContent = text.join('\n');
    el.style.textAlign = p.HorizontalAlignment ?? 'center';
    if (bg) el.style.background = 'transparent';
  }
}

// Brings the layer's controls in line with the figure's.
export function syncControls(layer, store, fig, events) {
  const [, , , H] = nums(fig.props._rect);
  const seen = new Set();
  for (const o of store.controlsOf(fig)) {
    seen.add(String(o.h));
    let el = layer.querySelector(`[data-handle="${o.h}"]`);
    if (el && el.dataset.style !== o.props.Style) { el.remove(); el = null; }
    if (!el) {
      el = make(o, events);
      el.dataset.style = o.props.Style;
      layer.append(el);
    }
    update(el, o, H);
  }
  for (const el of [...layer.children]) if (!seen.has(el.dataset.handle)) el.remove();
}
