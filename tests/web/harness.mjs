// What the page tests' scripts share: the plan test_*.sh wrote, the served
// folder, one Chromium, and the verdict. A script calls
//   await run(async ({ plan, site, browser, check, ... }) => { ... })
// and ends with status 1 if any check failed or anything threw.
import { readFileSync } from 'node:fs';
import { launch, serve, waitFor } from './browser.mjs';

export { waitFor };

export async function run(body) {
  const plan = JSON.parse(readFileSync(process.argv[2], 'utf8'));
  const failures = [];
  const check = (ok, what) => {
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
    if (!ok)
      failures.push(what);
    return ok;
  };
  const site = await serve(plan.site);
  const browser = await launch();
  const state = () => browser.evaluate('page.state()');
  const noErrors = what => check(browser.errors.length === 0,
    `${what}: no error on the console${browser.errors.length ? ': ' + browser.errors.join(' | ') : ''}`);
  // Opens a show page and waits until its program is ready.
  const openPage = async query => {
    await browser.open(site.url + query);
    await waitFor(`${query} to load`, async () => (await state()).ready);
  };
  // Starts it with a click and waits for its first frames.
  const startPage = async (frames = 2) => {
    await browser.click('#start');
    await waitFor('the show to draw', async () => (await state()).passes >= frames);
  };
  try {
    await body({ plan, site, browser, check, state, noErrors, openPage, startPage, serve });
  } catch (error) {
    failures.push(error.message);
    console.log(`FAIL ${error.stack}`);
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
}
