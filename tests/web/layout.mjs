// The pages on screens of every kind, and pages that cannot run, in
// headless Chromium (test_page_layout.sh):
//   node layout.mjs PLAN.json
// The picture as large as fits in whole device pixels, at device pixel
// ratios from 1 to 3 (1.25 and 1.1 are Windows at 125 % and browser zoom,
// 2.625 and 3 phones): every show pixel a k by k block of the screenshot,
// the picture and its buttons above the fold, the page still scrolling by
// wheel and by touch. Full screen, and filling the window where the browser
// has none; the index's pictures never stretched; no key hints without a
// keyboard; the canvas named; a line without JavaScript; the favicon. A page
// opened from its folder plays; a missing or broken program, or a browser
// without WebAssembly, is said so on the page.
import { readPng } from './png.mjs';
import { run, waitFor } from './harness.mjs';

// Pages whose address ends in #nofullscreen or #nowasm are without those.
const WITHOUT_SCRIPT = `(() => {
  if (location.hash === '#nofullscreen') {
    for (const name of ['requestFullscreen', 'webkitRequestFullscreen'])
      delete Element.prototype[name];
    for (const name of ['exitFullscreen', 'webkitExitFullscreen'])
      delete Document.prototype[name];
  }
  if (location.hash === '#nowasm')
    delete window.WebAssembly;
})();`;

const SCREENS = [
  { width: 1366, height: 657, ratio: 1, phone: false, shot: 'page_1366x657.png', scale: 2 }, // a maximised browser, 1366x768
  { width: 390, height: 844, ratio: 3, phone: true, shot: 'page_390x844.png' },
  { width: 844, height: 390, ratio: 3, phone: true, shot: 'page_844x390.png' },
  { width: 1280, height: 720, ratio: 1.25, phone: false }, // Windows at 125 %
  { width: 1366, height: 768, ratio: 1.1, phone: false },  // browser zoom 110 %
  { width: 412, height: 915, ratio: 2.625, phone: true },
  { width: 915, height: 412, ratio: 2.625, phone: true },
];

await run(async ({ plan, site, browser, check, state, noErrors, openPage, startPage, serve }) => {
  await browser.beforeEachPage(WITHOUT_SCRIPT);
  const evaluate = expression => browser.evaluate(expression);
  const box = selector => evaluate(`(() => { const r = document.querySelector('${selector}').getBoundingClientRect();
    return { left: r.left, top: r.top, width: r.width, height: r.height, right: r.right, bottom: r.bottom }; })()`);

  // ---- the picture on every screen ----
  for (const screen of SCREENS) {
    const name = `${screen.width}x${screen.height} at ${screen.ratio}${screen.phone ? ' (phone)' : ''}`;
    await browser.viewport(screen.width, screen.height, screen.ratio, screen.phone);
    // Song position 8: the polygon over the warped texture, the scroller.
    await openPage('demo32.html?nosound&seed=1&position=8');
    await startPage(3);
    await browser.click('#pause');
    await waitFor('the pause', async () => (await state()).paused);
    const s = await state();
    const k = s.scale;
    const canvas = await box('#canvas');
    const bar = await box('#bar');
    const inner = await evaluate('({ width: document.documentElement.clientWidth, height: innerHeight })');
    const device = { left: canvas.left * screen.ratio, top: canvas.top * screen.ratio,
                     width: canvas.width * screen.ratio, height: canvas.height * screen.ratio };
    const whole = v => Math.abs(v - Math.round(v)) < 0.02;
    const largest = (k + 1) * 320 > inner.width * screen.ratio || (k + 1) * 240 > (inner.height - bar.height) * screen.ratio;
    check(whole(device.left) && whole(device.top) && Math.round(device.width) === 320 * k &&
          Math.round(device.height) === 240 * k && largest && (screen.scale === undefined || k === screen.scale),
          `${name}: the picture is ${k} device pixels per show pixel, the largest that fits, on whole device ` +
          `pixels (at ${device.left.toFixed(2)}, ${device.top.toFixed(2)})`);
    check(bar.bottom <= inner.height + 0.5 && canvas.right <= inner.width + 0.5,
          `${name}: the picture and its buttons are above the fold (buttons end at ${bar.bottom.toFixed(1)} of ${inner.height})`);
    // Every show pixel is the same k by k block of device pixels.
    const shot = readPng(await browser.screenshot(screen.shot ? `${plan.shots}/${screen.shot}` : undefined));
    const frame = await evaluate(`Array.from(Module.HEAPU8.subarray(Module._web_frame_rgb(),
      Module._web_frame_rgb() + 320 * 240 * 3))`);
    const x0 = Math.round(device.left), y0 = Math.round(device.top);
    let wrong = 0;
    for (let y = 0; y < 240 * k; ++y) {
      for (let x = 0; x < 320 * k; ++x) {
        const at = ((y0 + y) * shot.width + x0 + x) * shot.channels;
        const from = (Math.floor(y / k) * 320 + Math.floor(x / k)) * 3;
        wrong += shot.data[at] !== frame[from] || shot.data[at + 1] !== frame[from + 1] || shot.data[at + 2] !== frame[from + 2];
      }
    }
    check(shot.width === Math.round(screen.width * screen.ratio) && wrong === 0,
          `${name}: in the screenshot every show pixel is a ${k} by ${k} block of its colour (${wrong} device pixels differ)`);
    // The page still scrolls to its texts: by wheel, or by a finger on the picture.
    if (await evaluate('document.documentElement.scrollHeight > innerHeight')) {
      const x = canvas.left + canvas.width / 2, y = canvas.top + canvas.height / 2;
      if (screen.phone) {
        await browser.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y }] });
        for (let step = 1; step <= 10; ++step)
          await browser.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x, y: y - 10 * step }] });
        await browser.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
      } else
        await browser.send('Input.dispatchMouseEvent', { type: 'mouseWheel', x, y, deltaX: 0, deltaY: 200 });
      await waitFor('the page to scroll', async () => (await evaluate('scrollY')) > 0);
      check(true, `${name}: ${screen.phone ? 'a finger' : 'the wheel'} on the playing picture scrolls the page`);
    }
    const hints = await evaluate(`getComputedStyle(document.querySelector('.keys')).display`);
    check((hints === 'none') === screen.phone, `${name}: key hints ${screen.phone ? 'hidden without a keyboard' : 'shown'}`);
    noErrors(name);
  }
  await browser.viewport(1280, 720, 1, false);

  // ---- full screen, and the window filled where there is none ----
  {
    await openPage('demo32.html?nosound&seed=1');
    await startPage();
    await browser.click('#fullscreen');
    await waitFor('full screen', async () => evaluate(`document.fullscreenElement?.id === 'stage'`));
    const stage = await box('#stage');
    const fits = await waitFor('the picture to fit the screen', async () => {
      const k = (await state()).scale;
      return Math.floor(Math.min(stage.width / 320, stage.height / 240)) === k && k;
    });
    check((await evaluate(`getComputedStyle(document.getElementById('stage')).cursor`)) === 'none',
          `full screen: the picture at ${fits}x, the pointer hidden`);
    await evaluate('document.exitFullscreen()');
    await waitFor('full screen to end', async () => evaluate('document.fullscreenElement === null'));

    await openPage('demo32.html?nosound&seed=1#nofullscreen');
    await startPage();
    await browser.click('#fullscreen');
    await waitFor('the window filled', async () => (await state()).filled);
    const filled = await box('#stage');
    const inner = await evaluate('({ width: innerWidth, height: innerHeight })');
    const k = (await state()).scale;
    check(filled.left === 0 && filled.top === 0 && filled.width === inner.width && filled.height === inner.height &&
          k === Math.floor(Math.min(inner.width / 320, inner.height / 240)) &&
          (await evaluate(`getComputedStyle(document.getElementById('stage')).cursor`)) === 'none',
          `without full screen (an iPhone's browser) the button fills the window: the picture at ${k}x, the pointer hidden`);
    await browser.key('Escape', 'Escape', 27);
    await waitFor('the window unfilled', async () => !(await state()).filled);
    check(!(await state()).over, 'Escape there leaves the filled window first, as it leaves full screen');
    noErrors('full screen');
  }

  // ---- the index's pictures keep their shape on narrow screens ----
  for (const width of [1366, 600, 320]) {
    await browser.viewport(width, 800, 1, false);
    await browser.open(site.url + 'index.html');
    const shapes = await evaluate(`[...document.querySelectorAll('.gallery img')].map(img => {
      const r = img.getBoundingClientRect(); return [r.width, r.height]; })`);
    const stretched = shapes.filter(([w, h]) => Math.abs(w * 3 - h * 4) > 1.5 || w > width);
    check(shapes.length > 0 && stretched.length === 0,
          `the index at ${width} px: its ${shapes.length} pictures keep 4:3 within the page (first ${shapes[0].map(Math.round).join('x')})`);
  }
  await browser.viewport(1280, 720, 1, false);

  // ---- for everyone: a named picture, a line without JavaScript, an icon ----
  {
    await openPage('demo32.html');
    const tree = await browser.send('Accessibility.getFullAXTree');
    const named = role => tree.nodes.filter(n => n.role?.value === role && !n.ignored).map(n => n.name?.value);
    check(named('image').includes("demo32, the show's picture"), 'the canvas is an image named "demo32, the show\'s picture"');
    const buttons = named('button').join(', ');
    check(buttons === 'Click to start demo32, Pause, Mute, Full screen, Stop and save the picture',
          `the buttons are named by what they do: ${buttons}`);
    const icon = await evaluate(`(async () => {
      const link = document.querySelector('link[rel=icon]');
      const image = new Image();
      image.src = link.href;
      await image.decode();
      return [link.getAttribute('href'), image.naturalWidth];
    })()`);
    check(icon[1] > 0, `the page's icon ${icon[0]} is a picture`);
    await browser.send('Emulation.setScriptExecutionDisabled', { value: true });
    await browser.open(site.url + 'demo32.html');
    const text = await evaluate('document.body.innerText');
    const start = await evaluate(`getComputedStyle(document.getElementById('start')).display`);
    await browser.send('Emulation.setScriptExecutionDisabled', { value: false });
    check(/JavaScript is turned off/.test(text) && start === 'none',
          'without JavaScript the page says so instead of a Loading button');
  }

  // ---- a folder opened with a double-click ----
  {
    await browser.open(`file://${plan.site}/demo32.html?nosound&seed=1`);
    await waitFor('the file page to load', async () => (await state()).ready || (await state()).failed);
    await startPage(3);
    check(!(await state()).failed, `demo32.html opened as a file plays (${(await state()).passes} frames)`);
    noErrors('file://');
    await browser.open(`file://${plan.site}/demo8.html?capture=100`);
    await waitFor('the capture', async () => (await state()).captured);
    const answer = await evaluate(`document.getElementById('capture').textContent`);
    check(answer === plan.frame100, 'demo8.html?capture=100 opened as a file gives the desktop\'s frame');
  }

  // ---- what cannot run says so ----
  const failure = async (url, what, pattern) => {
    await browser.open(url);
    const text = await waitFor(`${what} to be reported`, async () => (await state()).failed);
    const shown = await evaluate(`!document.getElementById('problem').hidden && getComputedStyle(document.getElementById('start')).display === 'none'`);
    check(pattern.test(text) && shown, `${what}: the page says "${text}"`);
  };
  const missing = await serve(plan.site, { hide: ['demo32.js'] });
  const broken = await serve(plan.site, {
    change: (path, bytes) => (path === '/demo32.js'
      ? Buffer.from(bytes.toString('latin1').replace('base64,AGFzbQ', 'base64,AAAAAA'), 'latin1') : bytes),
  });
  try {
    await failure(missing.url + 'demo32.html', 'a missing demo32.js', /demo32\.js could not be loaded/);
    await failure(broken.url + 'demo32.html', 'a broken WebAssembly module', /stopped/);
    await failure(site.url + 'demo32.html#nowasm', 'a browser without WebAssembly', /cannot run WebAssembly/);
  } finally {
    missing.close();
    broken.close();
  }
});
