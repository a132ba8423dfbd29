// The toolbar: pointer modes, reset of the view, exports of the figure and
// of the record, and "Open record…", which sends a MAT file from the
// person's disk to the host to be loaded by the editor.

const MAX_UPLOAD = 64 * 1024 * 1024;

export class Toolbar {
  constructor(ctx) {
    this.ctx = ctx; // {token, conn, note, figure(), setMode(m), reset()}
    this.modes = ['edit', 'zoom', 'pan'];
    for (const m of this.modes) this.button(`mode-${m}`).addEventListener('click', () => this.mode(m));
    this.button('reset-view').addEventListener('click', () => ctx.reset());
    this.button('export-svg').addEventListener('click', () => this.download(`/export/figure.svg?figure=${this.figureHandle()}`));
    this.button('export-png').addEventListener('click', () => this.download(`/export/figure.png?figure=${this.figureHandle()}`));
    this.button('export-plot-svg').addEventListener('click', () => this.download(`/export/plot.svg?figure=${this.figureHandle()}`));
    this.button('export-plot-png').addEventListener('click', () => this.download(`/export/plot.png?figure=${this.figureHandle()}`));
    this.button('export-mat').addEventListener('click', () => this.download('/export/record.mat'));
    this.button('export-csv').addEventListener('click', () => this.download('/export/record.csv'));
    const file = document.getElementById('open-file');
    this.button('open-record').addEventListener('click', () => file.click());
    file.addEventListener('change', () => {
      if (file.files.length) this.upload(file.files[0]);
      file.value = '';
    });
    this.mode('edit');
  }

  button(id) { return document.getElementById(id); }

  figureHandle() { const f = this.ctx.figure(); return f ? f.h : 0; }

  mode(m) {
    for (const k of this.modes) this.button(`mode-${k}`).setAttribute('aria-pressed', String(k === m));
    this.ctx.setMode(m);
  }

  // The keys of the modes and of Reset view; true when the key is one.
  shortcut(key) {
    const k = key.toLowerCase();
    if (k === 'e') this.mode('edit');
    else if (k === 'z') this.mode('zoom');
    else if (k === 'p') this.mode('pan');
    else if (k === 'r') this.ctx.reset();
    else return false;
    return true;
  }

  url(path) {
    return `${path}${path.includes('?') ? '&' : '?'}token=${encodeURIComponent(this.ctx.token)}`;
  }

  // Fetches first, so an error reply is shown instead of saved as a file.
  async download(path) {
    try {
      const res = await fetch(this.url(path));
      if (!res.ok) throw new Error((await res.text()).trim() || `${res.status} ${res.statusText}`);
      const name = /filename="([^"]+)"/.exec(res.headers.get('Content-Disposition') ?? '')?.[1] ?? 'download';
      const blob = await res.blob();
      const a = document.createElement('a');
      a.href = URL.createObjectURL(blob);
      a.download = name;
      document.body.append(a);
      a.click();
      a.remove();
      setTimeout(() => URL.revokeObjectURL(a.href), 10000);
      this.ctx.note(`Saved ${name} (${(blob.size / 1024).toFixed(1)} KiB).`);
    } catch (e) {
      this.ctx.note(`Export failed: ${e.message}`, 'error');
    }
  }

  async upload(file) {
    if (file.size > MAX_UPLOAD) {
      this.ctx.note(`${file.name} is ${(file.size / 2 ** 20).toFixed(1)} MiB; the host takes records up to 64 MiB.`, 'error');
      return;
    }
    const button = this.button('open-record');
    button.disabled = true;
    try {
      const res = await fetch(this.url(`/upload/record?name=${encodeURIComponent(file.name)}`), {
        method: 'POST', body: file, headers: { 'Content-Type': 'application/octet-stream' },
      });
      const reply = await res.json().catch(() => ({ error: `${res.status} ${res.statusText}` }));
      if (!res.ok || reply.error) throw new Error(reply.error ?? `${res.status}`);
      this.ctx.note(`Opened ${file.name}.`);
    } catch (e) {
      this.ctx.note(`Could not open ${file.name}: ${e.message}`, 'error');
    } finally {
      button.disabled = false;
    }
  }
}
