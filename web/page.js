// The page around a show (demo32.html, demo8.html): it starts the show on a
// click (browsers allow sound only after one), scales the picture by the
// largest whole factor that fits, goes full screen, offers the files a show
// leaves, and in capture mode asks the show for checksums instead of playing.
// The show itself is the program in SHOW.js / SHOW.wasm; it reaches this
// script through Module.page.
'use strict';

(function () {
  const WIDTH = 320;
  const HEIGHT = 240;
  const show = document.body.dataset.show;
  const params = new URLSearchParams(location.search);
  // An option is on when it is named, as "?debug" or "?debug=1", but not "?debug=0".
  const option = name => params.has(name) && params.get(name) !== '0';
  const element = id => document.getElementById(id);
  const canvas = element('canvas');
  const stage = element('stage');
  const startButton = element('start');
  const status = element('status');
  const downloads = element('downloads');
  const captureMode = params.has('capture') || params.has('audio');

  // What the page knows, also for its tests.
  const state = {
    mode: captureMode ? 'capture' : 'play',
    ready: false,
    started: false,
    over: false,
    escaped: false,
    screenshot: 0, // bytes of vintage.bmp after Escape
    notes: [],
    captured: false,
  };

  // ---- picture size ----

  function fit() {
    const k = Math.max(1, Math.floor(Math.min(stage.clientWidth / WIDTH, stage.clientHeight / HEIGHT)));
    canvas.style.width = WIDTH * k + 'px';
    canvas.style.height = HEIGHT * k + 'px';
  }
  new ResizeObserver(fit).observe(stage);
  document.addEventListener('fullscreenchange', fit);

  function toggleFullscreen() {
    if (document.fullscreenElement)
      document.exitFullscreen();
    else
      stage.requestFullscreen().catch(error => note('full screen refused: ' + error.message));
  }
  element('fullscreen').addEventListener('click', event => {
    event.currentTarget.blur();
    toggleFullscreen();
  });
  document.addEventListener('keydown', event => {
    if ((event.key === 'f' || event.key === 'F') && !event.ctrlKey && !event.metaKey && !event.altKey)
      toggleFullscreen();
  });

  // ---- what the show tells the page ----

  function note(text) {
    console.log(text);
    state.notes.push(text);
    const line = document.createElement('div');
    line.textContent = text;
    element('notes').append(line);
  }

  function offer(name, blob) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    link.textContent = 'Download ' + name;
    downloads.append(link);
  }

  function over(escaped, screenshot) {
    state.over = true;
    state.escaped = escaped;
    state.screenshot = screenshot.length;
    clearInterval(state.timer);
    showTimes('The show is over. Frame passes');
    if (screenshot.length > 0)
      offer('vintage.bmp', new Blob([screenshot], { type: 'image/bmp' }));
    const again = document.createElement('button');
    again.textContent = 'Play again';
    again.addEventListener('click', () => location.reload());
    downloads.append(again);
  }

  function picture(rgb, width, height) {
    const image = new ImageData(width, height);
    for (let i = 0; i < width * height; ++i) {
      image.data.set(rgb.subarray(3 * i, 3 * i + 3), 4 * i);
      image.data[4 * i + 3] = 255;
    }
    canvas.getContext('2d').putImageData(image, 0, 0);
  }

  // The page's own measure of the show: the median and the worst frame pass.
  function times() {
    return {
      passes: Module._web_passes(),
      median: Module._web_median_ms(),
      worst: Module._web_worst_ms(),
    };
  }
  function showTimes(what) {
    const t = times();
    status.textContent = `${what}: ${t.passes}, median ${t.median.toFixed(3)} ms, worst ${t.worst.toFixed(3)} ms`;
  }

  // ---- playing ----

  function start() {
    if (!state.ready || state.started)
      return;
    state.started = true;
    startButton.hidden = true;
    const sound = option('nosound') ? 0 : 1;
    let failed;
    if (show === 'demo32') {
      const seed = params.get('seed');
      const hasSeed = seed !== null && /^\d{1,10}$/.test(seed) && Number(seed) <= 4294967295;
      failed = Module._web_play(option('nosmear') ? 0 : 1, option('debug') ? 1 : 0, sound,
                                hasSeed ? 1 : 0, hasSeed ? Number(seed) : 0);
    } else {
      failed = Module._web_play(sound);
    }
    // Setting the video mode sizes the canvas anew.
    fit();
    if (failed)
      return over(false, new Uint8Array());
    state.timer = setInterval(() => showTimes('frame passes'), 1000);
  }
  startButton.addEventListener('click', start);
  stage.addEventListener('click', start);

  // ---- capture mode ----

  function capture() {
    const pre = element('capture');
    let answer;
    const began = performance.now();
    if (params.has('capture')) {
      const frames = params.get('capture');
      if (show === 'demo32') {
        // Without a seed the time decides, as with demo-capture; the page says which.
        const seed = params.get('seed') ?? String(Math.floor(Date.now() / 1000));
        answer = Module.ccall('web_capture', 'string', ['string', 'string', 'string', 'number'],
                              [frames, seed, params.get('fps') ?? '60', option('nosmear') ? 0 : 1]);
        note(`seed ${seed}, ${params.get('fps') ?? '60'} frames a second` +
             (option('nosmear') ? ', no smear' : ''));
      } else {
        answer = Module.ccall('web_capture', 'string', ['string'], [frames]);
      }
      const seconds = ((performance.now() - began) / 1000).toFixed(2);
      showTimes(`frames rendered in ${seconds} s`);
      if (!answer.startsWith('error')) {
        const last = Math.max(...frames.split(',').map(Number));
        const name = `frame_${String(last).padStart(5, '0')}.png`;
        canvas.toBlob(blob => offer(name, blob), 'image/png');
      }
    } else {
      answer = Module.ccall('web_audio', 'string', ['string'], [params.get('audio')]);
      status.textContent = `rendered in ${((performance.now() - began) / 1000).toFixed(2)} s`;
    }
    if (answer.startsWith('error'))
      console.error(answer);
    pre.textContent = answer;
    state.captured = true;
  }

  function ready() {
    state.ready = true;
    if (captureMode) {
      startButton.hidden = true;
      status.textContent = 'rendering…';
      // Lets the line above be drawn before the page is busy.
      setTimeout(capture, 20);
    } else {
      startButton.disabled = false;
      startButton.textContent = 'Click to start ' + show;
    }
  }

  window.Module = {
    canvas,
    // The page never reads the screen back, so SDL need not copy it each frame.
    screenIsReadOnly: true,
    // Sound buffers queued ahead (each 4096 or 8192 samples, about 0.1 s or
    // 0.37 s): the show clock runs that far ahead of what is heard.
    SDL_numSimultaneouslyQueuedBuffers: 3,
    print: text => console.log(text),
    printErr: text => console.warn(text),
    onRuntimeInitialized: ready,
    page: { note, over, picture },
  };

  window.page = {
    state: () => Object.assign({}, state, state.ready ? times() : {}, state.started ? showState() : {}),
    // Pixels of the canvas that differ from the last frame the show drew.
    differences: () => {
      const shown = canvas.getContext('2d').getImageData(0, 0, WIDTH, HEIGHT).data;
      const drawn = Module.HEAPU8.subarray(Module._web_frame_rgb());
      let count = 0;
      for (let i = 0; i < WIDTH * HEIGHT; ++i)
        count += shown[4 * i] !== drawn[3 * i] || shown[4 * i + 1] !== drawn[3 * i + 1] ||
                 shown[4 * i + 2] !== drawn[3 * i + 2] || shown[4 * i + 3] !== 255;
      return count;
    },
    // A digest of the picture on the canvas, to see that it changes.
    digest: () => {
      const data = canvas.getContext('2d').getImageData(0, 0, WIDTH, HEIGHT).data;
      let h = 2166136261;
      for (let i = 0; i < data.length; ++i)
        h = Math.imul(h ^ data[i], 16777619);
      return h >>> 0;
    },
  };

  function showState() {
    const s = { samples: Module._web_samples() };
    if (show === 'demo32') {
      s.position = Module._web_position();
      s.timerClock = Module._web_timer_clock() !== 0;
    } else {
      s.frame = Module._web_frame();
    }
    return s;
  }
})();
