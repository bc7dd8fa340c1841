// The pages against the desktop build, in headless Chromium (test_pages.sh):
//   node pages.mjs PLAN.json
// Frames of the capture mode hash as demo-capture's raw frames, both whole
// soundtracks as its WAV data, and every still of the index decodes to the
// pixels of demo-capture's PNG of that frame. Requests past the end of a
// show are refused and say so, and the timing line stays measurable
// without cross-origin isolation.
import { createHash } from 'node:crypto';
import { readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';
import { run, waitFor } from './harness.mjs';
import { readPng } from './png.mjs';

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

await run(async ({ plan, site, browser, check, state, noErrors, serve }) => {
  // Opens a capture page; returns what it writes into <pre id="capture"> and its status line.
  async function answerOf(query, url = site.url) {
    await browser.open(url + query);
    await waitFor(`the answer of ${query}`, async () => (await state()).captured, 600000);
    return browser.evaluate(`({ answer: document.getElementById('capture').textContent,
      status: document.getElementById('status').textContent,
      offered: document.getElementById('downloads').children.length })`);
  }

  // Frames: the page's hashes against sha256sum of demo-capture's raw files.
  for (const c of plan.captures) {
    const expected = readFileSync(c.expected, 'utf8');
    const { answer } = await answerOf(c.query);
    const s = await state();
    const lines = expected.trim().split('\n').length;
    check(answer === expected, `${c.label}: ${lines} frames equal the desktop's`);
    if (answer !== expected)
      console.log(`  page:\n${answer}\n  desktop:\n${expected}`);
    noErrors(c.label);
    console.log(`  frames ${s.passes}: mean ${s.mean.toFixed(3)} ms, median ${s.median.toFixed(3)} ms, ` +
                `worst ${s.worst.toFixed(3)} ms per frame`);
  }

  // Sound: the whole soundtrack against the WAV file's sample data, and one
  // sample more is refused, naming where the music ends.
  for (const a of plan.sounds) {
    const wav = wavData(a.wav, a.bytes);
    const query = `${a.page}?audio=${wav.samples}`;
    const { answer } = await answerOf(query);
    check(answer === wav.hash, `${query}: the soundtrack equals the desktop's WAV data`);
    noErrors(query);
    const past = await answerOf(`${a.page}?audio=${wav.samples + 1}`);
    check(past.answer.startsWith('error') && past.answer.includes(String(wav.samples)) &&
          past.status.startsWith('No sound'),
          `${a.page}?audio=${wav.samples + 1}: past the end, refused (${past.answer}; status "${past.status}")`);
  }

  // A capture past the show's end: an error, no claim of frames rendered, no PNG.
  for (const query of ['demo8.html?capture=1568', 'demo32.html?capture=11913&seed=1']) {
    const r = await answerOf(query);
    check(r.answer.startsWith('error') && !/rendered/.test(r.status) && r.offered === 0,
          `${query}: refused (${r.answer}), the status says so ("${r.status}"), nothing offered`);
  }

  // Without cross-origin isolation the page's clock moves in 0.1 ms steps,
  // longer than most frames: the timing line gives their mean, not 0.
  const plain = await serve(plan.site, { isolated: false });
  try {
    const r = await answerOf('demo32.html?capture=600&seed=1', plain.url);
    const isolated = await browser.evaluate('crossOriginIsolated');
    const mean = Number(/mean ([0-9.]+) ms/.exec(r.status)?.[1]);
    check(!isolated && mean > 0 && !/median/.test(r.status),
          `a server without cross-origin isolation: the frames' mean is measured (${r.status})`);
  } finally {
    plain.close();
  }

  // The index's stills are frames of the shows: each decodes to the pixels
  // of demo-capture's PNG of that frame, and links to that moment.
  await browser.open(site.url + 'index.html');
  const stills = await browser.evaluate(`[...document.querySelectorAll('.gallery a')].map(a =>
    ({ href: a.getAttribute('href'), src: a.querySelector('img').getAttribute('src') }))`);
  const positions = [];
  const wrongLinks = [];
  let equal = 0;
  for (const still of stills) {
    const [, show, frame] = /gallery\/(demo32|demo8)_(\d+)\.png$/.exec(still.src);
    const mine = readPng(readFileSync(join(plan.site, still.src)));
    const desktopFile = join(plan.stills[show], `frame_${frame}.png`);
    const desktop = readPng(readFileSync(desktopFile));
    if (Buffer.compare(Buffer.from(mine.data), Buffer.from(desktop.data)) === 0 && mine.channels === desktop.channels)
      ++equal;
    else
      console.log(`  ${still.src} differs from ${desktopFile}`);
    const query = new URLSearchParams(still.href.split('?')[1]);
    if (show === 'demo32')
      positions.push(Number(query.get('position')));
    else if (query.get('frame') !== String(Number(frame)))
      wrongLinks.push(still.href);
  }
  const counted = f => readdirSync(plan.stills[f]).length;
  check(stills.length === 29 + 9 && equal === stills.length,
        `the index's ${stills.length} stills are the desktop's frames (${equal} equal, ` +
        `of ${counted('demo32')} + ${counted('demo8')} frames of demo-capture)`);
  check(positions.join() === Array.from({ length: 29 }, (_, p) => p).join(),
        'the demo32 stills link to the song positions 0 to 28 in turn');
  check(wrongLinks.length === 0, `the demo8 stills link to their frames${wrongLinks.length ? ': not ' + wrongLinks : ''}`);
  noErrors('the index');
});
