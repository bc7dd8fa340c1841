// Headless Chromium driven through the DevTools protocol, in plain node (no
// packages): pages are opened, evaluated, clicked and typed into, their
// console is collected, and screenshots are taken. Every wait is for
// something the page reports; its time limit only turns a hang into a
// failure.
import { spawn } from 'node:child_process';
import { createServer } from 'node:http';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';

const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.png': 'image/png', '.svg': 'image/svg+xml',
};

// Serves dir on a free port of 127.0.0.1. Cross-origin isolation gives the
// page's performance.now() its finest resolution, for the frame times;
// isolated: false serves without it, as most servers do. hide names files
// answered with 404; change(name, bytes) may alter a file on its way.
export async function serve(dir, { isolated = true, hide = [], change = null } = {}) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = join(dir, path === '/' ? 'index.html' : path);
    if (!file.startsWith(dir) || !existsSync(file) || hide.some(name => file.endsWith('/' + name))) {
      response.writeHead(404).end();
      return;
    }
    const headers = { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream' };
    if (isolated) {
      headers['Cross-Origin-Opener-Policy'] = 'same-origin';
      headers['Cross-Origin-Embedder-Policy'] = 'require-corp';
    }
    response.writeHead(200, headers);
    const bytes = readFileSync(file);
    response.end(change ? change(path, bytes) : bytes);
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
  // The protocol runs over a pipe (file descriptors 3 and 4, messages ended
  // by NUL), so no port and no WebSocket client are needed.
  const chrome = spawn('chromium', ['--headless=new', '--no-sandbox', '--disable-gpu',
    '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-default-apps',
    '--autoplay-policy=no-user-gesture-required', '--window-size=1280,900',
    `--user-data-dir=${profile}`, '--remote-debugging-pipe', 'about:blank'],
  { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
  let stderr = '';
  chrome.stderr.on('data', chunk => { stderr += chunk; });
  const toChrome = chrome.stdio[3];
  const fromChrome = chrome.stdio[4];

  let lastId = 0;
  let session; // the page's, once attached
  const pending = new Map();
  const listeners = [];
  let received = Buffer.alloc(0);
  fromChrome.on('data', chunk => {
    received = Buffer.concat([received, chunk]);
    for (let end; (end = received.indexOf(0)) >= 0; received = received.subarray(end + 1)) {
      const m = JSON.parse(received.subarray(0, end).toString('utf8'));
      if (m.id && pending.has(m.id)) {
        pending.get(m.id)(m);
        pending.delete(m.id);
      } else if (m.method && m.sessionId === session) {
        for (const listener of listeners)
          listener(m.method, m.params);
      }
    }
  });
  const exited = new Promise(resolve => chrome.on('exit', resolve));
  exited.then(() => {
    for (const reply of pending.values())
      reply({ error: { message: `Chromium ended\n${stderr}` } });
  });
  // Commands go to the page's session once there is one, to the browser before.
  const send = (method, params = {}, to = session) => new Promise((resolve, reject) => {
    const id = ++lastId;
    pending.set(id, m => (m.error ? reject(new Error(`${method}: ${m.error.message}`)) : resolve(m.result)));
    toChrome.write(JSON.stringify({ id, method, params, sessionId: to }) + '\0');
  });

  const page = await waitFor('the first page of Chromium', async () =>
    (await send('Target.getTargets')).targetInfos.find(t => t.type === 'page'), 30000);
  ({ sessionId: session } = await send('Target.attachToTarget', { targetId: page.targetId, flatten: true }));

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

  let phone = false; // touch instead of a mouse
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
    // A command of the DevTools protocol to the page.
    send,
    // Script run in every document the page opens from now on, before its own.
    async beforeEachPage(source) {
      await send('Page.addScriptToEvaluateOnNewDocument', { source });
    },
    // Opens url and waits for its load event.
    async open(url) {
      // Another #fragment of the same address would be no new document.
      const page = address => address.replace(/#.*$/, '');
      const { result } = await send('Runtime.evaluate', { expression: 'location.href', returnByValue: true });
      if (page(result.value) === page(url) && result.value !== url)
        await this.open('about:blank');
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
    // The window's inner size in CSS pixels, its device pixel ratio, and
    // whether it is a phone's (touch, no mouse) or a computer's.
    async viewport(width, height, ratio = 1, isPhone = false) {
      phone = isPhone;
      await send('Emulation.setDeviceMetricsOverride',
        { width, height, deviceScaleFactor: ratio, mobile: phone, screenWidth: width, screenHeight: height });
      await send('Emulation.setTouchEmulationEnabled', { enabled: phone, maxTouchPoints: phone ? 5 : 1 });
    },
    // Another tab comes to the front, as when the visitor switches tabs:
    // the page is hidden until the returned function closes that tab.
    async otherTab() {
      const { targetId } = await send('Target.createTarget', { url: 'about:blank' }, undefined);
      return () => send('Target.closeTarget', { targetId }, undefined);
    },
    // A real click at the middle of the element: a tap on a phone.
    async click(selector) {
      const box = await evaluate(`(() => { const r = document.querySelector(${JSON.stringify(selector)})
        .getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()`);
      if (phone) {
        await send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x: box[0], y: box[1] }] });
        await send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
        return;
      }
      for (const type of ['mousePressed', 'mouseReleased'])
        await send('Input.dispatchMouseEvent', { type, x: box[0], y: box[1], button: 'left', clickCount: 1 });
    },
    // A key pressed and let go, as a keyboard sends it; modifiers: 1 Alt, 2 Ctrl, 4 Meta, 8 Shift.
    async key(key, code, keyCode, modifiers = 0) {
      const text = key.length === 1 ? key : key === 'Enter' ? '\r' : undefined;
      for (const type of [text ? 'keyDown' : 'rawKeyDown', 'keyUp'])
        await send('Input.dispatchKeyEvent', { type, key, code, modifiers, text: type === 'keyUp' ? undefined : text,
                                               windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode });
    },
    // The screen as a PNG file, in device pixels; the bytes are returned too.
    async screenshot(file) {
      const shot = Buffer.from((await send('Page.captureScreenshot', { format: 'png' })).data, 'base64');
      if (file)
        writeFileSync(file, shot);
      return shot;
    },
    // Asks Chromium to close, which ends its helper processes too, then
    // removes the profile (retrying while the last of them let go of it).
    async close() {
      // Chromium may go before it answers.
      send('Browser.close', {}, undefined).catch(() => {});
      const guard = setTimeout(() => chrome.kill('SIGKILL'), 20000);
      await exited;
      clearTimeout(guard);
      rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
    },
  };
}
