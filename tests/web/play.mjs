// The pages playing, in headless Chromium (test_page_play.sh):
//   node play.mjs PLAN.json
// What a visitor does and what they should see and hear: the picture in
// step with the sound being heard, measured against what the browser really
// plays; a hidden page that holds its show and sound; pause, mute, the keys
// (only the show's, only while it is on), Play again, Escape, the debug
// skip, the seed link, starting at a moment, no Web Audio, the screen wake
// lock and demo8's console lines.
import { readFileSync } from 'node:fs';
import { TAP_SCRIPT, contextTimeAt, placeQuanta, sampleAt, wavSamples } from './audio_tap.mjs';
import { run, waitFor } from './harness.mjs';
import { readPng } from './png.mjs';

const DISPLAY_FRAME_MS = 1000 / 60;

// Run before the page's own script: every frame the page draws is noted
// with the browser's account of the sound's time the page read for it
// (AudioContext's output timestamp) and what the show's clock then is, and
// the page can be made busy right after one; keys are noted with whether the
// page kept them from the browser; the browser's animation frames are
// counted; a screen wake lock that notes its requests stands in for the real
// one. Pages whose address ends in #noaudio are without Web Audio.
const OBSERVER_SCRIPT = `(() => {
  window.pageObserver = {
    frames: [],
    frame(info) {
      const f = Object.assign({}, info, { rate: window.audioTap?.context?.sampleRate });
      if (document.body.dataset.show === 'demo32')
        Object.assign(f, { position: Module._web_position(), row: Module._web_row(), tick: Module._web_tick() });
      else
        f.frame = Module._web_frame_number() - 1;
      if (this.frames.length === 0) {
        // FNV-1a of the first frame's bytes red, green, blue.
        const rgb = Module.HEAPU8.subarray(Module._web_frame_rgb(), Module._web_frame_rgb() + 320 * 240 * 3);
        let h = 2166136261;
        for (const b of rgb)
          h = Math.imul(h ^ b, 16777619);
        f.digest = h >>> 0;
      }
      this.frames.push(f);
      if (this.frames.length > 4000)
        this.frames.splice(0, 1000);
      // A page busy for stallMs right after a frame is drawn.
      const until = performance.now() + (this.stallMs ?? 0);
      this.stallMs = 0;
      while (performance.now() < until);
    },
  };
  window.keysSeen = [];
  for (const type of ['keydown', 'keyup'])
    window.addEventListener(type, e => keysSeen.push({ type, key: e.key, prevented: e.defaultPrevented }));
  window.browserFrames = 0;
  (function count() { ++window.browserFrames; requestAnimationFrame(count); })();
  window.wakeLog = [];
  Object.defineProperty(navigator, 'wakeLock', { value: { async request(type) {
    const lock = new EventTarget();
    lock.release = async () => {
      if (lock.released)
        return;
      lock.released = true;
      wakeLog.push('release');
      lock.dispatchEvent(new Event('release'));
    };
    wakeLog.push('request ' + type);
    return lock;
  } } });
  if (location.hash === '#noaudio') {
    delete window.AudioContext;
    delete window.webkitAudioContext;
  }
})();`;

function fnv(bytes) {
  let h = 2166136261;
  for (const b of bytes)
    h = Math.imul(h ^ b, 16777619);
  return h >>> 0;
}

const median = values => [...values].sort((a, b) => a - b)[values.length >> 1];
const format = ms => `${ms.toFixed(1)} ms`;

await run(async ({ plan, browser, check, state, noErrors, openPage, startPage }) => {
  await browser.beforeEachPage(TAP_SCRIPT);
  await browser.beforeEachPage(OBSERVER_SCRIPT);
  const song32 = wavSamples(plan.wav32);
  const song8 = wavSamples(plan.wav8);
  const evaluate = expression => browser.evaluate(expression);
  // Waits until the show's own clock has run ms further.
  const playFor = async ms => {
    const from = (await state()).showTime;
    await waitFor(`${ms} ms more of the show`, async () => (await state()).showTime >= from + ms, 120000);
  };
  // Waits until the browser has drawn n more animation frames.
  const browserFrames = async n => {
    const from = await evaluate('browserFrames');
    await waitFor(`${n} animation frames`, async () => (await evaluate('browserFrames')) >= from + n);
  };
  const keysSeen = async () => evaluate('keysSeen.splice(0)');
  const drawnFrames = () => evaluate('pageObserver.frames.splice(0)');
  // Hides the page behind another tab for `ms` (being hidden a while is the
  // point, so this one wait is on the clock), shows it again and waits until
  // it plays, its frames and heard sound so far dropped. Returns the page's
  // state when it had paused and when it was about to be shown.
  const hiddenFor = async (ms, what) => {
    const closeTab = await browser.otherTab();
    await waitFor('the hidden page to pause', async () => (await state()).autoPaused && (await state()).context === 'suspended');
    const held = await state();
    const hiddenSince = Date.now();
    await waitFor(what, async () => Date.now() - hiddenSince >= ms);
    const still = await state();
    await closeTab();
    await waitFor('the shown page to play', async () => (await state()).playing);
    await drawnFrames();
    await tapQuanta();
    return { held, still };
  };
  const tapQuanta = () => evaluate('audioTap.quanta.splice(0).map(q => ({ frame: q.frame, samples: Array.from(q.samples) }))');

  // Where each drawn frame stands against the sample being heard when it
  // was drawn, placed in the soundtrack by what the tap heard.
  function heardSamples(frames, quanta, song) {
    const places = placeQuanta(quanta, song);
    return frames.map(f => ({ f, heard: f.reading?.stamp
      ? sampleAt(places, contextTimeAt(f.reading.stamp, f.reading.now, f.time) * f.rate) : null }))
      .filter(x => x.heard !== null);
  }

  // ---- demo32: the picture shows the song position being heard ----
  // How far (ms) the sample heard when a frame was drawn lies from the
  // samples rendered with the clock state it shows: 0 when among them. The
  // state after k ticks is the clock's while samples 800k to 800k + 799 are
  // rendered; the row counter moves on at the end of a row's first tick.
  const offsets32 = placed => placed.map(({ f, heard }) => {
    const rows = f.position * 64 + f.row;
    const from = 800 * (f.tick === 0 ? rows * 6 : (rows - 1) * 6 + f.tick);
    return (heard < from ? heard - from : heard >= from + 800 ? heard - from - 799 : 0) * 1000 / 44100;
  });
  const largest = values => values.reduce((a, b) => (Math.abs(b) > Math.abs(a) ? b : a), 0);
  {
    await openPage('demo32.html?seed=7');
    await startPage();
    await playFor(8000);
    const s = await state();
    const frames = await drawnFrames();
    const offsets = offsets32(heardSamples(frames, await tapQuanta(), song32));
    check(offsets.length >= 100 && Math.abs(largest(offsets)) <= DISPLAY_FRAME_MS,
          `demo32: every drawn frame shows the clock state of the sample being heard: ${offsets.length} of ` +
          `${frames.length} frames placed in the sound, offset median ${format(median(offsets))}, ` +
          `largest ${format(largest(offsets))} (at most one display frame, ${format(DISPLAY_FRAME_MS)})`);
    const differences = await evaluate('page.differences()');
    check(!s.over && s.passes >= 2 && differences === 0 && s.samples > 0 && s.timerClock === false,
          `demo32: plays on the music's clock (${s.passes} frames, ${s.samples} samples), the canvas ` +
          `shows the colours the show drew (${differences} pixels differ)`);
    await browser.screenshot(`${plan.shots}/demo32_page.png`);

    // Hidden, it holds; shown again, it goes on in step.
    const { held, still } = await hiddenFor(3000, 'three seconds hidden');
    await playFor(3000);
    const after = offsets32(heardSamples(await drawnFrames(), await tapQuanta(), song32));
    check(still.showTime === held.showTime && still.passes === held.passes && still.samples === held.samples,
          `demo32 hidden for 3 s: the show, its clock and its sound hold (at ${format(held.showTime)})`);
    check(after.length >= 50 && Math.abs(largest(after)) <= DISPLAY_FRAME_MS,
          `demo32 shown again: ${after.length} frames placed, each within ${format(largest(after))} of the sample heard`);
    noErrors('demo32 playing');
  }

  // ---- demo8: each frame when its time in the music is heard ----
  // Frame n is due 60 + 40n ms into the music, as on the desktop, and drawn
  // on the first animation frame at or after that.
  const delays8 = placed => placed.map(({ f, heard }) => heard * 1000 / 22050 - (60 + 40 * f.frame));
  {
    await openPage('demo8.html');
    await startPage();
    await playFor(5000);
    const before = delays8(heardSamples(await drawnFrames(), await tapQuanta(), song8));
    const late = (await state()).notes.filter(n => /kkii/.test(n));
    check(before.length >= 50 && Math.min(...before) >= -8 &&
          (late.length > 0 || median(before) <= DISPLAY_FRAME_MS + 2),
          `demo8: ${before.length} frames placed in the sound, none ahead of it (by more than the 8 ms ` +
          `the page's reading of the sound's time may move), drawn a median ` +
          `${format(median(before))} after their time in the music` +
          (late.length ? ` (${late.length} frames reported late)` : ''));

    // The tab switch of the issue: hidden, the show and its music hold.
    const { held, still } = await hiddenFor(4000, 'four seconds hidden');
    await playFor(3000);
    const after = delays8(heardSamples(await drawnFrames(), await tapQuanta(), song8));
    check(still.frame === held.frame && still.samples === held.samples,
          `demo8 hidden for 4 s: frame ${held.frame} and the music hold`);
    // Before, the picture fell behind by the whole time hidden, for good. A
    // busy machine may delay frames for good too (the desktop never makes
    // up lateness either), never by half of that.
    check(after.length >= 30 && Math.abs(median(after) - median(before)) < 2000,
          `demo8 shown again: frames drawn a median ${format(median(after))} after their time in the ` +
          `music (${format(median(before))} before it was hidden)`);
    noErrors('demo8 playing');
    await browser.screenshot(`${plan.shots}/demo8_page.png`);
  }

  // ---- pause, mute, the clock ----
  {
    await openPage('demo32.html?seed=1');
    check((await evaluate(`document.getElementById('clock').textContent`)) === '0:00 / 3:19',
          'demo32: before the start the clock reads 0:00 of 3:19');
    await startPage();
    await playFor(1500);
    await browser.key(' ', 'Space', 32);
    await waitFor('the pause', async () => (await state()).paused && (await state()).context === 'suspended');
    const paused = await state();
    await browserFrames(10);
    const later = await state();
    check(later.passes === paused.passes && later.showTime === paused.showTime && /^0:01 \/ 3:19$/.test(later.clock),
          `Space pauses: ten animation frames later nothing was drawn, the clock holds at ${later.clock}`);
    await browser.key(' ', 'Space', 32);
    await waitFor('the show to go on', async () => (await state()).passes > paused.passes + 2);
    await browser.click('#pause');
    await waitFor('the button to pause', async () => (await state()).paused);
    await browser.click('#pause');
    await waitFor('the button to resume', async () => (await state()).playing);
    check(true, 'Space and the pause button pause and resume the show');
    // Muted, the sound goes on without being heard: the tap hears nothing.
    await browser.key('m', 'KeyM', 77);
    await waitFor('mute', async () => (await state()).muted);
    const mutedAt = await evaluate('Math.round(audioTap.context.currentTime * audioTap.context.sampleRate)');
    await tapQuanta();
    const samples = (await state()).samples;
    await playFor(1000);
    const heardMuted = (await tapQuanta()).filter(q => q.frame > mutedAt + 256).length;
    check(heardMuted === 0 && (await state()).samples > samples,
          `M mutes: the music goes on (${(await state()).samples - samples} samples) and nothing is heard`);
    await browser.key('m', 'KeyM', 77);
    await waitFor('sound', async () => !(await state()).muted);
    const unmutedAt = await evaluate('Math.round(audioTap.context.currentTime * audioTap.context.sampleRate)');
    await waitFor('the music to be heard again', async () =>
      (await evaluate(`audioTap.quanta.filter(q => q.frame > ${unmutedAt}).length`)) > 0);
    check(true, 'M again: the music is heard again');
    // The screen stays on while the show plays, and only then.
    const wake = await evaluate('wakeLog.join()');
    check(/^request screen,release,request screen/.test(wake), `the screen's wake lock is held while playing (${wake})`);
    noErrors('pause and mute');
  }

  // ---- keys: only the show's, only while it is on ----
  {
    await openPage('demo32.html?nosound&seed=1');
    await keysSeen();
    await browser.key(' ', 'Space', 32);
    await browser.key('ArrowDown', 'ArrowDown', 40);
    const idle = await keysSeen();
    check(idle.filter(k => k.type === 'keydown').every(k => !k.prevented), 'before the start no key is kept from the browser');
    await startPage();
    const synthetic = async (key, mods = {}) => evaluate(`(() => { const e = new KeyboardEvent('keydown',
      Object.assign({ key: ${JSON.stringify(key)}, bubbles: true, cancelable: true }, ${JSON.stringify(mods)}));
      document.body.dispatchEvent(e); return e.defaultPrevented; })()`);
    const browserKeys = [['F5', {}], ['r', { ctrlKey: true }], ['+', { ctrlKey: true }], ['ArrowLeft', { altKey: true }],
                         ['Tab', {}], ['ArrowDown', {}], ['PageDown', {}], ['Backspace', {}]];
    const kept = [];
    for (const [key, mods] of browserKeys)
      if (await synthetic(key, mods))
        kept.push(key);
    check(kept.length === 0, `while playing, reloading, zooming, going back, Tab, the arrows and Backspace ` +
                             `(without ?debug) stay the browser's${kept.length ? ': kept ' + kept : ''}`);
    await browser.key('Tab', 'Tab', 9);
    const focused = await evaluate('document.activeElement.id || document.activeElement.tagName');
    check(focused !== 'BODY', `Tab moves the focus while playing (to ${focused})`);
    await evaluate('document.activeElement.blur()');
    await keysSeen();
    await browser.key(' ', 'Space', 32);
    await waitFor('the pause', async () => (await state()).paused);
    await browser.key(' ', 'Space', 32);
    const shows = (await keysSeen()).filter(k => k.type === 'keydown');
    check(shows.length === 2 && shows.every(k => k.prevented), 'Space, the show\'s pause key, is kept while it plays');
    await browser.key('Escape', 'Escape', 27);
    await waitFor('the end', async () => (await state()).over);
    await keysSeen();
    await synthetic(' ');
    await browser.key('ArrowDown', 'ArrowDown', 40);
    const afterEnd = (await keysSeen()).filter(k => k.type === 'keydown');
    check(afterEnd.every(k => !k.prevented) && !(await synthetic(' ')),
          'after the end no key is kept from the browser');
    // The keyboard reaches "Play again", and one press starts the show.
    let label = '';
    for (let i = 0; i < 20 && label !== 'Play again'; ++i) {
      await browser.key('Tab', 'Tab', 9);
      label = await evaluate('document.activeElement.textContent');
    }
    check(label === 'Play again', 'Tab reaches "Play again" after the end');
    const ended = await state();
    await browser.key('Enter', 'Enter', 13);
    await waitFor('the show to start again', async () => (await state()).playing && (await state()).passes >= 2);
    check(ended.escaped && ended.screenshot === 14 + 40 + 320 * 240 * 3,
          `Escape ended demo32 with its screenshot (${ended.screenshot} bytes); one press of Enter on ` +
          '"Play again" started it again');
    noErrors('keys');
  }

  // ---- Escape, the stop button, Play again by click ----
  {
    await openPage('demo32.html?nosound&seed=1');
    await startPage();
    await browser.click('#stop');
    await waitFor('demo32 to end', async () => (await state()).over);
    const ended = await state();
    const link = await evaluate(`[...document.querySelectorAll('#downloads a')].map(a => a.download).join()`);
    check(ended.escaped && ended.screenshot === 14 + 40 + 320 * 240 * 3 && link === 'vintage.bmp',
          `demo32: the stop button does what Escape does: the show ends and offers vintage.bmp (${ended.screenshot} bytes)`);

    await openPage('demo8.html');
    await startPage();
    await browser.key('Escape', 'Escape', 27);
    await waitFor('demo8 to end', async () => (await state()).over);
    check((await state()).frame < 1568, 'demo8: the release of Escape ends the show');
    const before = await state();
    await browser.click('#downloads button');
    await waitFor('demo8 to play again', async () => (await state()).playing && (await state()).frame >= 3);
    await playFor(500);
    const again = await state();
    check(again.samples > 0 && again.context === 'running' && !again.over,
          `one click on "Play again" starts demo8 again, with its music (frame ${again.frame}, ${again.samples} samples; ` +
          `it had ended at frame ${before.frame})`);
    noErrors('Escape and Play again');
  }

  // ---- the debug skip ----
  {
    await openPage('demo32.html?debug&nosound');
    await startPage();
    check((await state()).timerClock === true, 'demo32 ?nosound runs on the timer clock');
    for (let position = 1; position <= 3; ++position) {
      await browser.key('Backspace', 'Backspace', 8);
      await waitFor(`position ${position}`, async () => (await state()).position === position);
    }
    check(true, 'demo32 ?debug&nosound: Backspace skips to positions 1, 2, 3');
    await openPage('demo32.html?debug');
    await startPage();
    await browser.key('Backspace', 'Backspace', 8);
    await waitFor('position 1 to be heard', async () => (await state()).position === 1);
    check(true, 'demo32 ?debug with sound: Backspace skips the music, and the picture follows it to position 1');
    noErrors('the debug skip');
  }

  // ---- the seed link; a moment in the address ----
  {
    await openPage('demo32.html?nosound&nosmear');
    await startPage();
    const seed = (await state()).seed;
    const href = await evaluate(`document.querySelector('#seed a').getAttribute('href')`);
    const query = new URLSearchParams(href.slice(1));
    check(query.get('seed') === String(seed) && query.has('nosound') && query.has('nosmear'),
          `the page shows the seed in use (${seed}) and links to the same polygon (${href})`);
    await openPage(`demo32.html${href}`);
    await startPage();
    check((await state()).seed === seed, 'that link plays with the same seed');

    await openPage('demo32.html?position=5&nosound&seed=1');
    await startPage();
    const first32 = (await drawnFrames())[0];
    check(first32.position === 5 && first32.row === 0, `?position=5: the first frame is at song position 5, row 0 ` +
                                                       `(${first32.position}, ${first32.row})`);
    await openPage('demo32.html?position=29&nosound');
    await startPage();
    check((await drawnFrames())[0].position === 0 && (await state()).notes.some(n => /position is a whole number from 0 to 28/.test(n)),
          '?position=29: said to be out of range, the show starts at position 0');

    await openPage('demo8.html?frame=800&nosound');
    await startPage();
    const first8 = (await drawnFrames())[0];
    const desktop = readPng(readFileSync(plan.frame800));
    check(first8.frame === 800 && first8.digest === fnv(desktop.data),
          `?frame=800: the first frame drawn is frame 800, and it is the desktop's frame 800`);
    noErrors('moments');
  }

  // ---- without Web Audio: the desktop's words, a silent show ----
  {
    await openPage('demo32.html?seed=1#noaudio');
    await startPage();
    const s32 = await state();
    check(s32.timerClock === true && s32.notes.includes('emmä osaa soittaa musiiccia ku oot lameri tästä syystä: Web Audio API is not available'),
          `demo32 without Web Audio: "${s32.notes.join(' | ')}", on the timer clock`);
    await openPage('demo8.html#noaudio');
    await startPage();
    const s8 = await state();
    check(s8.notes.includes('No huh ku ei mitään musaa saada') && s8.frame >= 2,
          `demo8 without Web Audio: "${s8.notes.join(' | ')}", and it plays`);
  }

  // ---- demo8's console lines, in Latin-1 as the desktop writes them ----
  {
    await openPage('demo8.html?nosound');
    await startPage();
    // A page busy for 300 ms right after a frame makes the next one late,
    // which the show says.
    await evaluate('pageObserver.stallMs = 300');
    const line = await waitFor('the lateness line', async () => (await state()).notes.find(n => /kkii/.test(n)));
    check(/^(Hmm tökkii kai vähä, osta nopeempi kone\? |Tökkii varmaanki ihan liikaa\. )\d+$/.test(line),
          `a late frame of demo8 is reported in its own words: "${line}"`);
  }
});
