// The review of many records: the list of the records beside the figure,
// where each stands (not opened, estimated, saved, edited, refused), the
// moves between them and the undo of the shown record's edits. The host
// keeps the review and saves every edit as it is made; the page shows what
// the host sends and asks it to act. Only a page in a review gets the
// messages, so the panel stays hidden on every other page.
//
// The list can hold thousands of records: only the rows in sight (and a
// few around them) are in the document, each at its place on a scrolled
// area as tall as the whole list. Rows are of one height, but the current
// row, when it carries a reason, is taller by the reason's lines.

const ROW = 28; // px, as .rv-row in style.css
const REASON = 34; // px added under the current row for its reason (two lines)
const OVERSCAN = 6; // rows made beyond each end of the view

const STATES = ['not opened', 'estimated', 'saved', 'edited', 'refused'];

const $ = (id) => document.getElementById(id);

export class Review {
  constructor(ctx) {
    this.ctx = ctx; // {conn, note, live()}
    this.records = []; // [name, click, state, reason]
    this.current = null;
    this.undo = 0; // the steps that can be undone and redone, as the page counts them
    this.redo = 0;
    this.hostUndo = 0; // and as the host last said
    this.hostRedo = 0;
    this.error = '';
    this.results = '';
    this.active = false;
    this.pending = 0; // actions sent and not yet acknowledged
    this.shown = new Map(); // index -> row element in the document
    this.spare = [];
    this.scrollTo = false; // bring the current row into view at the next render
    this.queued = false;

    this.panel = $('review');
    this.list = $('review-list');
    this.body = $('review-rows');
    this.buttons = {
      previous: $('review-previous'), next: $('review-next'),
      undo: $('review-undo'), redo: $('review-redo'), reset: $('review-reset'),
    };
    for (const [action, b] of Object.entries(this.buttons)) b.addEventListener('click', () => this.act(action));
    $('review-collapse').addEventListener('click', () => this.collapse(!this.panel.classList.contains('collapsed')));
    this.list.addEventListener('scroll', () => this.queue());
    // A press on a row leaves the focus nowhere rather than on the list, as
    // on any other part of the page (a text box left so sends its text).
    this.body.addEventListener('mousedown', (e) => {
      if (e.button !== 0) return;
      e.preventDefault();
      if (document.activeElement instanceof HTMLElement) document.activeElement.blur();
    });
    this.body.addEventListener('click', (e) => {
      const row = e.target.closest('.rv-row');
      if (row) this.open(Number(row.dataset.index));
    });
    new ResizeObserver(() => this.queue()).observe(this.list);
  }

  // Takes the review's messages; false for any other.
  message(msg) {
    if (msg.type === 'review') {
      this.records = Array.isArray(msg.records) ? msg.records : [];
      this.results = msg.results ?? '';
    } else if (msg.type === 'review-update') {
      for (const [i, row] of msg.rows ?? []) if (i >= 0 && i < this.records.length) this.records[i] = row;
    } else {
      return false;
    }
    const current = Number.isInteger(msg.current) && msg.current < this.records.length ? msg.current : null;
    if (current !== this.current || msg.type === 'review') this.scrollTo = true;
    this.current = current;
    this.undo = this.hostUndo = msg.undo ?? 0;
    this.redo = this.hostRedo = msg.redo ?? 0;
    const error = msg.error ?? '';
    if (error && error !== this.error) this.ctx.note(error, 'error');
    else if (!error && this.error) this.ctx.note('The results are saved again.');
    this.error = error;
    if (!this.active) {
      this.active = true;
      this.panel.hidden = false;
      document.body.classList.add('reviewing');
      for (const el of document.querySelectorAll('.review-only')) el.hidden = false;
      for (const el of document.querySelectorAll('.review-not')) el.hidden = true;
    }
    if (error) this.collapse(false);
    this.summarize();
    this.refresh();
    return true;
  }

  // The counts of each state, and whether a record that is not refused
  // lies before and after the current one (where Previous and Next go).
  summarize() {
    const counts = Object.fromEntries(STATES.map((s) => [s, 0]));
    let firstOk = -1, lastOk = -1;
    this.records.forEach((r, i) => {
      counts[r[2]] = (counts[r[2]] ?? 0) + 1;
      if (r[2] !== 'refused') {
        if (firstOk < 0) firstOk = i;
        lastOk = i;
      }
    });
    this.counts = counts;
    const at = this.current;
    this.hasPrevious = firstOk >= 0 && (at === null || firstOk < at);
    this.hasNext = lastOk >= 0 && (at === null || lastOk > at);
  }

  // Brings the header, the buttons and the banner in line; the rows follow
  // at the next frame.
  refresh() {
    if (!this.active) return;
    const n = this.records.length, at = this.current;
    $('review-position').textContent = at === null ? `No record open · ${n} records` : `Record ${at + 1} of ${n}`;
    $('review-rail-position').textContent = at === null ? `– / ${n}` : `${at + 1} / ${n}`;
    const folder = $('review-results');
    // Marked left to right: the box cuts a long folder at its start (style.css).
    folder.textContent = `\u200e${this.results}\u200e`;
    folder.title = `Results are saved in ${this.results}`;
    const shownCounts = STATES.filter((s) => this.counts[s]).map((s) => `${this.counts[s]} ${s}`);
    $('review-counts').textContent = shownCounts.join(' · ');
    const banner = $('review-error');
    banner.hidden = !this.error;
    $('review-error-text').textContent = this.error;
    const live = this.ctx.live();
    const row = at === null ? null : this.records[at];
    this.buttons.previous.disabled = !live || !this.hasPrevious;
    this.buttons.next.disabled = !live || !this.hasNext;
    this.buttons.undo.disabled = !live || !(this.undo > 0);
    this.buttons.redo.disabled = !live || !(this.redo > 0);
    this.buttons.reset.disabled = !live || !row || row[2] === 'refused';
    this.buttons.undo.title = `Undo the last change to this record (Ctrl+Z)${this.undo ? ` · ${this.undo} step${this.undo > 1 ? 's' : ''}` : ''}`;
    this.buttons.redo.title = `Redo the change undone (Ctrl+Shift+Z or Ctrl+Y)${this.redo ? ` · ${this.redo} step${this.redo > 1 ? 's' : ''}` : ''}`;
    this.queue();
  }

  queue() {
    if (!this.queued && this.active) {
      this.queued = true;
      requestAnimationFrame(() => { this.queued = false; this.render(); });
    }
  }

  // The extra height under the current row: its reason's lines.
  extra() {
    const at = this.current;
    return at !== null && this.records[at]?.[3] ? REASON : 0;
  }

  top(i) { return i * ROW + (this.current !== null && i > this.current ? this.extra() : 0); }

  render() {
    const n = this.records.length, extra = this.extra();
    this.body.style.height = `${n * ROW + extra}px`;
    const list = this.list;
    if (this.scrollTo && this.current !== null && list.clientHeight > 0) {
      // The current row in view, with one row of context where there is room.
      const top = this.top(this.current), bottom = top + ROW + extra;
      const room = list.clientHeight;
      if (top - ROW < list.scrollTop) list.scrollTop = Math.max(0, top - ROW);
      else if (bottom + ROW > list.scrollTop + room) list.scrollTop = Math.min(top - ROW, bottom + ROW - room);
    }
    if (list.clientHeight > 0) this.scrollTo = false;
    const y = list.scrollTop, h = list.clientHeight;
    const first = Math.max(0, Math.floor((y - extra) / ROW) - OVERSCAN);
    const last = Math.min(n - 1, Math.ceil((y + h) / ROW) + OVERSCAN);
    for (const [i, el] of this.shown) {
      if (i < first || i > last) {
        el.remove();
        this.spare.push(el);
        this.shown.delete(i);
      }
    }
    for (let i = first; i <= last; ++i) {
      let el = this.shown.get(i);
      if (!el) {
        el = this.spare.pop() ?? this.makeRow();
        this.shown.set(i, el);
        this.body.append(el);
      }
      this.fill(el, i);
    }
  }

  makeRow() {
    const el = document.createElement('div');
    el.className = 'rv-row';
    el.setAttribute('role', 'option');
    for (const c of ['rv-num', 'rv-name', 'rv-click', 'rv-state', 'rv-reason']) {
      const span = document.createElement('span');
      span.className = c;
      el.append(span);
    }
    return el;
  }

  fill(el, i) {
    const r = this.records[i], current = i === this.current;
    el.style.transform = `translateY(${this.top(i)}px)`;
    if (el.row === r && el.index === i && el.current === current) return;
    el.row = r;
    el.index = i;
    el.current = current;
    const [name, click, state, reason] = r;
    el.dataset.index = String(i);
    el.dataset.state = state;
    el.classList.toggle('current', current);
    el.classList.toggle('has-reason', current && !!reason);
    el.setAttribute('aria-selected', String(current));
    el.title = reason ? `${name}: ${reason}` : name;
    const [num, nm, cl, st, why] = el.children;
    num.textContent = String(i + 1);
    nm.textContent = name;
    cl.textContent = click === null || click === undefined ? '–' : String(click);
    // The list's clicks count in the record's file: a recording's samples
    // for a record cut from one.
    cl.title = cl.textContent === '–' ? 'The click is known once the record is opened' : `The click: sample ${click} of its file`;
    st.textContent = state;
    why.textContent = current ? reason : '';
  }

  collapse(on) {
    this.panel.classList.toggle('collapsed', on);
    $('review-collapse').setAttribute('aria-expanded', String(!on));
    $('review-collapse').title = on ? 'Show the record list' : 'Hide the record list';
    this.scrollTo = true;
    this.queue();
  }

  // Sends an action. A key held down sends again only once the host has
  // answered the last one, so no backlog of moves forms behind a slow host.
  act(action, repeat = false) {
    if (!this.active || !this.ctx.live() || this.buttons[action]?.disabled) return;
    if (repeat && this.pending > 0) return;
    this.send({ type: 'review', action });
    // Until the host's counts arrive, a second press must not ask for a
    // step that is not there.
    if (action === 'undo') { this.undo -= 1; this.redo += 1; this.refresh(); }
    if (action === 'redo') { this.redo -= 1; this.undo += 1; this.refresh(); }
  }

  open(i) {
    if (!this.active || !this.ctx.live() || !(i >= 0 && i < this.records.length) || i === this.current) return;
    this.send({ type: 'review', action: 'open', index: i });
  }

  // The host's answer comes after the list's changes, so the counts it
  // last sent are the true ones then, also when the action failed.
  send(msg) {
    this.pending += 1;
    this.ctx.conn.send(msg).then(() => {
      this.pending -= 1;
      this.undo = this.hostUndo;
      this.redo = this.hostRedo;
      this.refresh();
    });
  }

  // The review's keys; true when the key was one (its default then
  // prevented by the caller). `typing`: a text box has the focus, whose
  // own keys (and own undo) stay with it.
  key(e, typing) {
    if (!this.active || typing || e.altKey) return false;
    const ctrl = e.ctrlKey || e.metaKey, k = e.key.length === 1 ? e.key.toLowerCase() : e.key;
    if (!ctrl && !e.shiftKey && (k === 'PageDown' || k === 'PageUp')) this.act(k === 'PageDown' ? 'next' : 'previous', e.repeat);
    else if (ctrl && k === 'z') this.act(e.shiftKey ? 'redo' : 'undo', e.repeat);
    else if (ctrl && !e.shiftKey && k === 'y') this.act('redo', e.repeat);
    else return false;
    return true;
  }

  // What tests read: the last state the host sent.
  get state() {
    if (!this.active) return null;
    return {
      records: this.records.length, current: this.current, undo: this.undo, redo: this.redo,
      error: this.error, results: this.results, counts: { ...this.counts },
    };
  }

  row(i) {
    const r = this.records[i];
    return r ? { name: r[0], click: r[1], state: r[2], reason: r[3] } : null;
  }
}
