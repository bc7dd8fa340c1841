// Headless Chromium driven through the DevTools protocol, in plain node (20,
// with --experimental-websocket): pages are opened, evaluated, clicked and
// typed into, their console is collected, and screenshots are taken. Every
// wait is for something the page reports; its time limit only turns a hang
// into a failure.
import { spawn } from 'node:child_process';
import { createServer } from 'node:http';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';

const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.png': 'image/png',
};

// Serves dir on a free port of 127.0.0.1. Cross-origin isolation gives the
// page's performance.now() its finest resolution, for the frame times.
export async function serve(dir) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = join(dir, path === '/' ? 'index.html' : path);
    if (!file.startsWith(dir) || !existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {
      'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream',
      'Cross-Origin-Opener-Policy': 'same-origin',
      'Cross-Origin-Embedder-Policy': 'require-corp',
    });
    response.end(readFileSync(file));
  });
  await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// Waits until check() returns something truthy; fails after limitMs.
export async function waitFor(what, check, limitMs = 60000) {
  const until = Date.now() + limitMs;
  for (;;) {
    const value = await check();
    if (value)
      return value;
    if (Date.now() > until)
      throw new Error(`gave up waiting for ${what} after ${limitMs / 1000} s`);
    await sleep(50);
  }
}

export async function launch() {
  const profile = mkdtempSync(join(tmpdir(), 'demo-web-test-'));
  // No network, no background services: the machine may have no internet.
  const chrome = spawn('chromium', ['--headless=new', '--no-sandbox', '--disable-gpu',
    '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-default-apps',
    '--autoplay-policy=no-user-gesture-required', '--window-size=1280,900',
    `--user-data-dir=${profile}`, '--remote-debugging-port=0', 'about:blank'],
  { stdio: ['ignore', 'ignore', 'pipe'] });
  let stderr = '';
  chrome.stderr.on('data', chunk => { stderr += chunk; });
  const portFile = join(profile, 'DevToolsActivePort');
  const port = await waitFor('Chromium to open its debugging port', () =>
    existsSync(portFile) && readFileSync(portFile, 'utf8').split('\n')[0], 30000)
    .catch(error => { throw new Error(`${error.message}\n${stderr}`); });
  const targets = await (await fetch(`http://127.0.0.1:${port}/json/list`)).json();
  const socket = new WebSocket(targets.find(t => t.type === 'page').webSocketDebuggerUrl);
  await new Promise((resolve, reject) => { socket.onopen = resolve; socket.onerror = reject; });

  let lastId = 0;
  const pending = new Map();
  const listeners = [];
  socket.onmessage = message => {
    const m = JSON.parse(message.data);
    if (m.id && pending.has(m.id)) {
      pending.get(m.id)(m);
      pending.delete(m.id);
    } else if (m.method) {
      for (const listener of listeners)
        listener(m.method, m.params);
    }
  };
  const send = (method, params = {}) => new Promise((resolve, reject) => {
    const id = ++lastId;
    pending.set(id, m => (m.error ? reject(new Error(`${method}: ${m.error.message}`)) : resolve(m.result)));
    socket.send(JSON.stringify({ id, method, params }));
  });

  // The console: every line, and the errors (console.error, uncaught
  // exceptions, resources that failed to load).
  const consoleLines = [];
  const errors = [];
  listeners.push((method, params) => {
    if (method === 'Runtime.consoleAPICalled') {
      const text = params.args.map(a => a.value ?? a.description ?? '').join(' ');
      consoleLines.push(`${params.type}: ${text}`);
      if (params.type === 'error' || params.type === 'assert')
        errors.push(text);
    } else if (method === 'Runtime.exceptionThrown') {
      const d = params.exceptionDetails;
      errors.push(`exception: ${d.exception?.description ?? d.text}`);
    } else if (method === 'Log.entryAdded' && params.entry.level === 'error') {
      errors.push(`${params.entry.text} ${params.entry.url ?? ''}`);
    }
  });
  await send('Runtime.enable');
  await send('Page.enable');
  await send('Log.enable');

  const evaluate = async expression => {
    const r = await send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
    if (r.exceptionDetails)
      throw new Error(`${expression}: ${r.exceptionDetails.exception?.description ?? r.exceptionDetails.text}`);
    return r.result.value;
  };

  return {
    consoleLines,
    errors,
    evaluate,
    // Opens url and waits for its load event.
    async open(url) {
      consoleLines.length = 0;
      errors.length = 0;
      const loaded = new Promise(resolve => listeners.push(function once(method) {
        if (method === 'Page.loadEventFired') {
          listeners.splice(listeners.indexOf(once), 1);
          resolve();
        }
      }));
      await send('Page.navigate', { url });
      await loaded;
    },
    // A real mouse click at the middle of the element.
    async click(selector) {
      const box = await evaluate(`(() => { const r = document.querySelector(${JSON.stringify(selector)})
        .getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()`);
      for (const type of ['mousePressed', 'mouseReleased'])
        await send('Input.dispatchMouseEvent', { type, x: box[0], y: box[1], button: 'left', clickCount: 1 });
    },
    // A key pressed and let go, as a keyboard sends it.
    async key(key, code, keyCode) {
      for (const type of ['rawKeyDown', 'keyUp'])
        await send('Input.dispatchKeyEvent', { type, key, code, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode });
    },
    async screenshot(file) {
      const shot = await send('Page.captureScreenshot', { format: 'png' });
      writeFileSync(file, Buffer.from(shot.data, 'base64'));
    },
    async close() {
      socket.close();
      chrome.kill();
      await new Promise(resolve => chrome.exitCode !== null ? resolve() : chrome.on('exit', resolve));
      rmSync(profile, { recursive: true, force: true });
    },
  };
}
