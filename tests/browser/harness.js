// Shared by the browser tests and the latency benchmark: starts kestrel-host
// serving the pulse editor, and Debian's Chromium under playwright-core.
'use strict';
const { spawn } = require('child_process');
const path = require('path');
const { chromium } = require('playwright-core');

const CHROMIUM_ARGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Starts the host with the editor built and the sample record loaded (or
// what `evalText` says); resolves once it prints the page's address. With
// `prompt`, the host reads command lines from `type(line)`, and
// `printed(regex)` resolves with the first match in what it prints after
// the call.
function startHost(hostExe, library, { evalText = 'kestrel_figure; uiclick pushbutton1', args = [], prompt = false } = {}) {
  const proc = spawn(hostExe, ['--library', library, '--serve', ...(prompt ? [] : ['--no-prompt']), ...args, '--eval', evalText],
    { stdio: [prompt ? 'pipe' : 'ignore', 'pipe', 'pipe'] });
  let out = '';
  let err = '';
  proc.stderr.on('data', (d) => { err += d; });
  const printed = (re) => new Promise((resolve, reject) => {
    const from = out.length;
    const look = () => {
      const m = re.exec(out.slice(from));
      if (!m) return false;
      proc.stdout.off('data', look);
      proc.off('exit', early);
      resolve(m);
      return true;
    };
    const early = () => reject(new Error(`host exited before printing ${re}:\n${out.slice(from)}\n${err}`));
    proc.on('exit', early);
    if (!look()) proc.stdout.on('data', look);
  });
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`host printed no address:\n${out}\n${err}`)), 30000);
    proc.on('exit', (code) => reject(new Error(`host exited with ${code}:\n${out}\n${err}`)));
    proc.stdout.on('data', (d) => {
      out += d;
      const m = /http:\/\/127\.0\.0\.1:(\d+)\/\?token=([0-9a-f]+)/.exec(out);
      if (m && !proc.kestrelUrl) {
        clearTimeout(timer);
        proc.kestrelUrl = m[0];
        resolve({
          url: m[0], port: Number(m[1]), token: m[2], proc,
          output: () => out, errors: () => err, printed,
          type: (line) => proc.stdin.write(`${line}\n`),
          stop: () => new Promise((done) => {
            if (proc.exitCode !== null) return done(proc.exitCode);
            proc.removeAllListeners('exit');
            proc.on('exit', (code) => done(code));
            proc.kill('SIGTERM');
          }),
        });
      }
    });
  });
}

async function launchBrowser() {
  return chromium.launch({ executablePath: '/usr/bin/chromium', args: CHROMIUM_ARGS, headless: true });
}

// Opens the page and waits until the whole tree is drawn.
async function openEditor(browser, url, viewport = { width: 1280, height: 900 }, deviceScaleFactor = 1) {
  const page = await browser.newPage({ viewport, deviceScaleFactor, acceptDownloads: true });
  const problems = [];
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('console', (m) => { if (m.type() === 'error') problems.push(`console: ${m.text()}`); });
  await page.goto(url);
  await page.waitForFunction(() => window.kestrel && window.kestrel.connected && window.kestrel.seq > 0);
  await page.evaluate(() => window.kestrel.idle());
  return { page, problems };
}

module.exports = { startHost, launchBrowser, openEditor, root: path.join(__dirname, '..', '..') };
