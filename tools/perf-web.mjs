// The timing of tools/perf-web.sh:
//   node tools/perf-web.mjs DEMO_CAPTURE SITE RUNS
import { execFileSync } from 'node:child_process';
import { resolve } from 'node:path';
import { launch, serve, waitFor } from '../tests/web/browser.mjs';

const [capture, siteDir, runs] = process.argv.slice(2);
const FRAMES = 11913;
const site = await serve(resolve(siteDir));
const browser = await launch();
const desktop = [];
const page = [];
const passes = [];
try {
  for (let run = 1; run <= Number(runs); ++run) {
    // "demo32: 11913 frames (198.55 s of show) rendered in 2.570 s, 77.3x real time"
    const line = execFileSync(capture, ['demo32', '--seed', '2005', '--quiet'], { encoding: 'utf8' });
    desktop.push(Number(/rendered in ([0-9.]+) s/.exec(line)[1]) * 1000 / FRAMES);
    await browser.open(`${site.url}demo32.html?capture=${FRAMES - 1}&seed=2005`);
    await waitFor('the capture', async () => (await browser.evaluate('page.state()')).captured, 600000);
    const s = await browser.evaluate('page.state()');
    const status = await browser.evaluate(`document.getElementById('status').textContent`);
    page.push(Number(/rendered in ([0-9.]+) s/.exec(status)[1]) * 1000 / FRAMES);
    passes.push(s);
    console.error(`perf-web: run ${run}: desktop ${desktop.at(-1).toFixed(3)} ms, page ${page.at(-1).toFixed(3)} ms a frame`);
  }
} finally {
  await browser.close();
  site.close();
}
const median = values => [...values].sort((a, b) => a - b)[values.length >> 1];
const pick = key => median(passes.map(p => p[key]));
console.log(`demo32, whole show with smear, ${FRAMES} frames, medians of ${runs} runs each:`);
console.log(`  desktop (demo-capture, Release): ${median(desktop).toFixed(3)} ms a frame`);
console.log(`  page (Chromium):                 ${median(page).toFixed(3)} ms a frame ` +
            `(its own frame passes: mean ${pick('mean').toFixed(3)} ms, median ${pick('median').toFixed(3)} ms)`);
console.log(`  page / desktop: ${(median(page) / median(desktop)).toFixed(2)}`);
