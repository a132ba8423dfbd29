// The WebSocket to the host. Every message carries an id that the host's
// acknowledgement repeats, after the changes the message caused. Pointer
// motions and slider drags are coalesced: at most one of a kind in flight,
// the latest value waiting behind it, so no backlog forms however slow the
// host is. When the connection is lost it is tried again a few times; a
// host that answers none of them has stopped, and the page is told so.

const ATTEMPTS = 4; // 0.25 + 0.5 + 1 + 2 seconds

export class Connection {
  constructor(token, handlers) {
    this.token = token;
    this.handlers = handlers; // {message(msg), state(connected), gone(), ack(ack, sent)}
    this.nextId = 1;
    this.inFlight = new Map(); // id -> {msg, sentAt, key, resolve}
    this.latest = new Map(); // key -> message waiting for the one in flight
    this.keyInFlight = new Map(); // key -> id
    this.connected = false;
    this.gone = false;
    this.retry = 250;
    this.failed = 0; // attempts in a row that did not connect
    this.open();
  }

  open() {
    const ws = new WebSocket(`ws://${location.host}/ws?token=${encodeURIComponent(this.token)}`);
    this.ws = ws;
    ws.onopen = () => {
      this.connected = true;
      this.retry = 250;
      this.failed = 0;
      this.handlers.state(true);
    };
    ws.onmessage = (e) => this.receive(JSON.parse(e.data));
    ws.onclose = () => {
      const was = this.connected;
      this.connected = false;
      // What was in flight will never be acknowledged; the host sends the
      // whole tree again on reconnection.
      for (const f of this.inFlight.values()) f.resolve({ type: 'ack', id: f.id, error: 'The connection was lost.' });
      this.inFlight.clear();
      this.latest.clear();
      this.keyInFlight.clear();
      if (was) this.handlers.state(false);
      else if (++this.failed >= ATTEMPTS) {
        this.gone = true;
        this.handlers.gone();
        return;
      }
      setTimeout(() => this.open(), this.retry);
      this.retry = Math.min(this.retry * 2, 5000);
    };
  }

  receive(msg) {
    if (msg.type !== 'ack') return this.handlers.message(msg);
    const f = this.inFlight.get(msg.id);
    if (!f) return;
    this.inFlight.delete(msg.id);
    f.resolve(msg);
    this.handlers.ack(msg, f);
    if (f.key && this.keyInFlight.get(f.key) === msg.id) {
      this.keyInFlight.delete(f.key);
      const next = this.latest.get(f.key);
      if (next) {
        this.latest.delete(f.key);
        this.transmit(next.msg, f.key, next.meta, next.resolve);
      }
    }
  }

  transmit(msg, key, meta, resolve) {
    const id = this.nextId++;
    const entry = { id, msg, key, meta, sentAt: performance.now(), resolve };
    this.inFlight.set(id, entry);
    if (key) this.keyInFlight.set(key, id);
    this.ws.send(JSON.stringify({ id, ...msg }));
    return entry;
  }

  // Sends a message; resolves with its acknowledgement.
  send(msg, meta = {}) {
    return new Promise((resolve) => {
      if (!this.connected) return resolve({ type: 'ack', error: 'Not connected to the host.' });
      this.transmit(msg, null, meta, resolve);
    });
  }

  // Sends the latest message of a kind: when one of the same key is in
  // flight, this one waits and replaces any other waiting (whose promise
  // then resolves as replaced).
  sendLatest(key, msg, meta = {}) {
    return new Promise((resolve) => {
      if (!this.connected) return resolve({ type: 'ack', error: 'Not connected to the host.' });
      if (!this.keyInFlight.has(key)) return this.transmit(msg, key, meta, resolve);
      const old = this.latest.get(key);
      if (old) old.resolve({ type: 'ack', replaced: true });
      this.latest.set(key, { msg, meta, resolve });
    });
  }

  // Sends the waiting message of a kind at once, without waiting for the
  // one in flight: the last pointer position must reach the host before
  // the release that follows it.
  flushLatest(key) {
    const next = this.latest.get(key);
    if (!next) return;
    this.latest.delete(key);
    this.transmit(next.msg, key, next.meta, next.resolve);
  }

  busy() { return this.inFlight.size > 0 || this.latest.size > 0; }
}
