// The checks of test_pages.sh in headless Chromium:
//   node pages.mjs PLAN.json
// The plan names the served folder, the capture pages with the answers the
// desktop's files give, the WAV files, and where screenshots go.
import { createHash } from 'node:crypto';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { launch, serve, waitFor } from './browser.mjs';

const plan = JSON.parse(readFileSync(process.argv[2], 'utf8'));
const failures = [];
const check = (ok, what) => {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok)
    failures.push(what);
};

// The sample data of a WAV file: its hash and its number of samples.
function wavData(file, bytesPerSample) {
  const wav = readFileSync(file);
  for (let at = 12; at + 8 <= wav.length;) {
    const id = wav.toString('latin1', at, at + 4);
    const size = wav.readUInt32LE(at + 4);
    if (id === 'data') {
      const data = wav.subarray(at + 8, at + 8 + size);
      return { hash: createHash('sha256').update(data).digest('hex'), samples: size / bytesPerSample };
    }
    at += 8 + size + (size & 1);
  }
  throw new Error(`${file} has no data chunk`);
}

const site = await serve(plan.site);
const browser = await launch();
const state = () => browser.evaluate('page.state()');
const noErrors = what => check(browser.errors.length === 0,
  `${what}: no error on the console${browser.errors.length ? ': ' + browser.errors.join(' | ') : ''}`);

// Opens a capture page and returns what it writes into <pre id="capture">.
async function answerOf(query) {
  await browser.open(site.url + query);
  await waitFor(`the answer of ${query}`, async () => (await state()).captured, 600000);
  return browser.evaluate(`document.getElementById('capture').textContent`);
}

try {
  // Frames: the page's hashes against sha256sum of demo-capture's raw files.
  for (const c of plan.captures) {
    const expected = readFileSync(c.expected, 'utf8');
    const answer = await answerOf(c.query);
    const s = await state();
    const lines = expected.trim().split('\n').length;
    check(answer === expected, `${c.label}: ${lines} frames equal the desktop's`);
    if (answer !== expected)
      console.log(`  page:\n${answer}\n  desktop:\n${expected}`);
    noErrors(c.label);
    console.log(`  frames ${s.passes}: median ${s.median.toFixed(3)} ms, worst ${s.worst.toFixed(3)} ms per frame`);
  }

  // Sound: the whole soundtrack against the WAV file's sample data.
  for (const a of plan.sounds) {
    const wav = wavData(a.wav, a.bytes);
    const query = `${a.page}?audio=${wav.samples}`;
    const answer = await answerOf(query);
    check(answer === wav.hash, `${query}: the soundtrack equals the desktop's WAV data`);
    noErrors(query);
  }

  // Ten seconds of each show in real time, started by a click.
  for (const p of plan.plays) {
    await browser.open(site.url + p.page);
    await waitFor(`${p.page} to load`, async () => (await state()).ready);
    await browser.click('#start');
    await waitFor(`${p.page} to draw`, async () => (await state()).passes >= 2);
    const first = await browser.evaluate('page.digest()');
    const started = Date.now();
    // Playing for ten seconds is the point here, so this one wait is on the clock.
    await waitFor(`${p.page} to play ten seconds`, async () => Date.now() - started >= 10000 && !(await state()).over);
    const s = await state();
    const last = await browser.evaluate('page.digest()');
    const differences = await browser.evaluate('page.differences()');
    await browser.screenshot(join(plan.shots, p.shot));
    check(!s.over && s.passes >= 2 && last !== first, `${p.page}: plays, the picture changes (${s.passes} frames)`);
    check(differences === 0, `${p.page}: the canvas shows the colours the show drew (${differences} pixels differ)`);
    check(s.samples > 0, `${p.page}: its audio callback ran (${s.samples} samples)`);
    if (p.page.startsWith('demo32'))
      check(s.timerClock === false, `${p.page}: the show clock follows the audio callback`);
    noErrors(p.page);
    console.log(`  frame passes ${s.passes}: median ${s.median.toFixed(3)} ms, worst ${s.worst.toFixed(3)} ms`);
  }

  // Keys: Backspace skips positions with ?debug; Escape ends demo32 with its
  // screenshot on offer, and its release ends demo8.
  await browser.open(site.url + 'demo32.html?debug&nosound');
  await waitFor('demo32 to load', async () => (await state()).ready);
  await browser.click('#start');
  await waitFor('demo32 to draw', async () => (await state()).passes >= 2);
  check((await state()).timerClock === true, 'demo32 ?nosound runs on the timer clock');
  for (let position = 1; position <= 3; ++position) {
    await browser.key('Backspace', 'Backspace', 8);
    await waitFor(`position ${position}`, async () => (await state()).position === position);
  }
  check(true, 'demo32 ?debug: Backspace skips to positions 1, 2, 3');
  await browser.key('Escape', 'Escape', 27);
  await waitFor('demo32 to end', async () => (await state()).over);
  const ended = await state();
  const link = await browser.evaluate(`[...document.querySelectorAll('#downloads a')].map(a => a.download).join()`);
  check(ended.escaped && ended.screenshot === 14 + 40 + 320 * 240 * 3 && link === 'vintage.bmp',
    `demo32: Escape ends the show and offers vintage.bmp (${ended.screenshot} bytes)`);
  noErrors('demo32 keys');

  await browser.open(site.url + 'demo8.html?nosound');
  await waitFor('demo8 to load', async () => (await state()).ready);
  await browser.click('#start');
  await waitFor('demo8 to draw', async () => (await state()).frame >= 2);
  await browser.key('Escape', 'Escape', 27);
  await waitFor('demo8 to end', async () => (await state()).over);
  check((await state()).frame < 1568, 'demo8: the release of Escape ends the show');
  noErrors('demo8 keys');
} catch (error) {
  failures.push(error.message);
  console.log(`FAIL ${error.message}`);
  console.log(browser.consoleLines.slice(-20).join('\n'));
} finally {
  await browser.close();
  site.close();
}
if (failures.length > 0) {
  console.log(`${failures.length} failed`);
  process.exit(1);
}
console.log('PASS');
