// The page around a show (demo32.html, demo8.html). It loads the show's
// program (SHOW.js, the WebAssembly module inlined, so that a page opened
// from a folder works too) and runs it: on a click (browsers allow sound
// only after one) it starts the show, then calls it on every animation frame
// with the time the show has played, queues its sound a block at a time and
// passes it its keys. With sound, that time is the music being heard, so the
// picture follows what is heard rather than what was last rendered. The
// page scales the picture by the largest whole factor of device pixels that
// fits, pauses the show when it is hidden, goes full screen, offers the
// files a show leaves, and in capture mode asks the show for checksums
// instead of playing.
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
  const header = document.querySelector('header');
  const bar = element('bar');
  const startButton = element('start');
  const pauseButton = element('pause');
  const muteButton = element('mute');
  const stopButton = element('stop');
  const status = element('status');
  const downloads = element('downloads');
  const captureMode = params.has('capture') || params.has('audio');
  // What web_frame returns (web::PageFrame), and the keys of web_key (web::PageKey).
  const FRAME = 1, LAST = 2, ENDED = 3;
  const ESCAPE_DOWN = 1, ESCAPE_UP = 2, BACKSPACE_DOWN = 3;

  // What the page knows, also for its tests.
  const state = {
    mode: captureMode ? 'capture' : 'play',
    ready: false,
    failed: '',       // why the show cannot run, once it cannot
    started: false,
    playing: false,   // started, not paused, not over
    paused: false,
    autoPaused: false, // paused because the page was hidden
    muted: false,
    over: false,
    escaped: false,
    screenshot: 0,    // bytes of vintage.bmp after Escape
    filled: false,    // the picture fills the window where full screen is missing
    scale: 1,         // device pixels per show pixel
    seed: null,
    notes: [],
    captured: false,
  };

  // ---- what goes wrong ----

  function fail(text) {
    if (state.failed)
      return;
    state.failed = text;
    state.playing = false;
    startButton.hidden = true;
    const problem = element('problem');
    problem.textContent = text;
    problem.hidden = false;
    status.textContent = '';
    sound?.stop();
    console.error(text);
  }

  // ---- picture size ----

  function fullscreenElement() {
    return document.fullscreenElement ?? document.webkitFullscreenElement ?? null;
  }

  // The largest whole number of device pixels per show pixel that fits:
  // every show pixel then becomes the same k by k block on the screen,
  // whatever the device pixel ratio (1.25 at 125 %, 2.625 on many phones).
  // Out of full screen the picture comes first, below the title only
  // while the show is not playing; the texts follow below it.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const whole = fullscreenElement() === stage || state.filled;
    let width, height;
    if (whole) {
      width = stage.clientWidth;
      height = stage.clientHeight;
    } else {
      width = document.documentElement.clientWidth;
      height = window.innerHeight - bar.offsetHeight - header.offsetHeight;
    }
    const k = Math.max(1, Math.floor(Math.min(width * ratio / WIDTH, height * ratio / HEIGHT)));
    state.scale = k;
    if (!whole)
      stage.style.height = `${HEIGHT * k / ratio}px`;
    // Centred on whole device pixels, so that no row or column is split or
    // blended. Layout rounds lengths to 1/64 of a CSS pixel, which is no
    // whole number of device pixels at ratios such as 3 or 2.625: the canvas
    // is laid out at its size in device pixels and scaled down by a
    // transform, which keeps full precision.
    const box = stage.getBoundingClientRect();
    const left = Math.round(box.left * ratio + (box.width * ratio - WIDTH * k) / 2) / ratio - box.left;
    const top = Math.round(box.top * ratio + (box.height * ratio - HEIGHT * k) / 2) / ratio - box.top;
    Object.assign(canvas.style, {
      width: `${WIDTH * k}px`, height: `${HEIGHT * k}px`,
      transform: `translate(${left}px, ${top}px) scale(${1 / ratio})`,
    });
  }
  window.addEventListener('resize', fit);
  new ResizeObserver(fit).observe(bar);
  // A new ratio (browser zoom, another screen) need not resize the window.
  (function watchRatio() {
    matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`)
      .addEventListener('change', () => { fit(); watchRatio(); }, { once: true });
  })();
  document.addEventListener('fullscreenchange', fit);
  document.addEventListener('webkitfullscreenchange', fit);

  // Full screen where the browser offers it for the picture; elsewhere (an
  // iPhone's browser) the picture fills the window instead.
  function setFilled(on) {
    state.filled = on;
    document.body.classList.toggle('filled', on);
    fit();
  }
  function toggleFullscreen() {
    if (state.filled)
      return setFilled(false);
    if (fullscreenElement())
      return (document.exitFullscreen ?? document.webkitExitFullscreen).call(document);
    const request = stage.requestFullscreen ?? stage.webkitRequestFullscreen;
    if (!request)
      return setFilled(true);
    try {
      request.call(stage)?.catch?.(() => setFilled(true));
    } catch {
      setFilled(true);
    }
  }
  element('fullscreen').addEventListener('click', toggleFullscreen);

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

  let image; // the show's frame in the module's memory, as the canvas takes it
  function draw() {
    image ??= new ImageData(new Uint8ClampedArray(Module.HEAPU8.buffer, Module._web_canvas(), WIDTH * HEIGHT * 4),
                            WIDTH, HEIGHT);
    canvas.getContext('2d').putImageData(image, 0, 0);
  }

  // The page's own measure of the show. Without cross-origin isolation the
  // clock moves in steps of 0.1 ms, and only the mean of many passes is
  // finer than that.
  function times() {
    return {
      passes: Module._web_passes(),
      mean: Module._web_mean_ms(),
      median: Module._web_median_ms(),
      worst: Module._web_worst_ms(),
    };
  }
  function showTimes(what) {
    const t = times();
    const median = crossOriginIsolated ? `, median ${t.median.toFixed(3)} ms` : '';
    status.textContent = `${what}: ${t.passes}, mean ${t.mean.toFixed(3)} ms${median}, worst ${t.worst.toFixed(3)} ms`;
  }

  // ---- sound ----

  // The show's music through Web Audio, a block at a time, each block
  // scheduled right after the one before. The page keeps when each block
  // starts, so it knows which sample is being heard. Returns null without
  // Web Audio.
  const QUEUED_AHEAD = 0.3; // seconds of sound kept queued
  const FIRST_DELAY = 0.05; // a block starts no sooner than this after it is queued
  function makeSound(rate) {
    const Context = window.AudioContext ?? window.webkitAudioContext;
    if (!Context)
      return null;
    let context;
    try {
      context = new Context({ sampleRate: rate });
    } catch {
      context = new Context();
    }
    const gain = context.createGain();
    gain.connect(context.destination);
    let blocks = [];   // {time, sample, length, source}, in order
    let next = 0;      // context time at which the next block starts
    let rendered = 0;  // samples queued since the start
    let ended = false; // the show's music has no more blocks
    let heard = -1;    // the sample last found heard, never less later

    // The context time being heard at page time `at`, by the browser's
    // account of its output at the latest reading (kept for the tests).
    let reading = null;
    function outputTime(at) {
      const now = context.currentTime;
      const stamp = context.getOutputTimestamp?.();
      reading = { stamp, now };
      const t = stamp && stamp.performanceTime > 0
        ? stamp.contextTime + (at - stamp.performanceTime) / 1000
        : now - (context.outputLatency ?? 0) - (context.baseLatency ?? 0);
      return Math.min(t, now);
    }

    return {
      context,
      reading: () => reading,
      // Queues blocks until QUEUED_AHEAD seconds are waiting.
      pump() {
        if (ended || context.state !== 'running')
          return;
        const now = context.currentTime;
        // At the start, or after the page stalled: a gap rather than a late
        // block. The blocks start on whole sample frames of the context.
        if (next < now + 0.01)
          next = Math.ceil((now + FIRST_DELAY) * context.sampleRate) / context.sampleRate;
        while (next < now + QUEUED_AHEAD) {
          const n = Module._web_render_sound();
          if (n === 0) {
            ended = true;
            return;
          }
          const buffer = context.createBuffer(1, n, rate);
          const at = Module._web_sound_block() >> 2;
          buffer.copyToChannel(Module.HEAPF32.subarray(at, at + n), 0);
          const source = context.createBufferSource();
          source.buffer = buffer;
          source.connect(gain);
          source.start(next);
          blocks.push({ time: next, sample: rendered, length: n, source });
          rendered += n;
          next += n / rate;
        }
      },
      // The sample of the show's music being heard at page time `at`:
      // -1 before the first, the last sample of a block in the silence after it.
      heard(at) {
        const t = outputTime(at);
        let i = blocks.length - 1;
        while (i >= 0 && blocks[i].time > t)
          --i;
        if (i >= 0) {
          const b = blocks[i];
          heard = Math.max(heard, b.sample + Math.min((t - b.time) * rate, b.length - 1));
          // Blocks long heard are forgotten.
          blocks = blocks.slice(Math.max(0, i - 8));
        }
        return heard;
      },
      pause() { return context.suspend(); },
      resume() { return context.resume(); },
      mute(on) { gain.gain.value = on ? 0 : 1; },
      // Silence at once, and everything queued forgotten.
      stop() {
        for (const b of blocks)
          b.source.stop();
        blocks = [];
        ended = true;
      },
      restart() {
        this.stop();
        next = 0;
        rendered = 0;
        ended = false;
        heard = -1;
        return context.resume();
      },
    };
  }

  // ---- playing ----

  let sound = null;
  let clockZero = 0;   // page time at which the silent show's clock read 0
  let pausedAt = 0;    // page time of the pause
  let showTime = 0;    // ms the show has played, never less later
  let lengthMs = 0;

  // The clock the show runs on at page time `time`: with sound the music heard.
  function readClock(time) {
    let heard = -1;
    let ms;
    if (sound) {
      heard = sound.heard(time);
      ms = heard < 0 ? 0 : heard * 1000 / Module._web_sample_rate();
    } else {
      ms = time - clockZero;
    }
    showTime = Math.max(showTime, ms);
    return heard;
  }

  // Where the show is: demo32's song position in time, demo8's frame.
  function elapsedMs() {
    if (show === 'demo32')
      return Module._web_song_ticks() * (sound ? 800 * 1000 / Module._web_sample_rate() : 18);
    return Math.max(0, Module._web_frame_number() - 1) * 40;
  }
  const clockText = ms => `${Math.floor(ms / 60000)}:${String(Math.floor(ms / 1000) % 60).padStart(2, '0')}`;
  let shownClock = '';
  function showClock() {
    const text = `${clockText(elapsedMs())} / ${clockText(Math.round(lengthMs / 1000) * 1000)}`;
    if (text !== shownClock)
      element('clock').textContent = shownClock = text;
  }

  // `at` is when the browser began this frame, on the display's refresh;
  // what is drawn now reaches the screen a refresh later, and the show's
  // clock reads the time then.
  let lastFrameAt = null;
  function animationFrame(at) {
    if (!state.playing || state.failed)
      return;
    sound?.pump();
    const refresh = lastFrameAt === null ? 1000 / 60 : Math.min(Math.max(at - lastFrameAt, 0), 34);
    lastFrameAt = at;
    const time = at + refresh;
    const heard = readClock(time);
    const pass = Module._web_frame(showTime, heard);
    if (pass === FRAME || pass === LAST) {
      draw();
      window.pageObserver?.frame?.({ time, heard, showTime, reading: sound?.reading() });
    }
    showClock();
    if (state.playing)
      requestAnimationFrame(animationFrame);
  }

  // A number from the address, 0 to most, or null (and a note) when it is not.
  function wholeNumber(name, most) {
    const text = params.get(name);
    if (text === null)
      return null;
    if (/^\d{1,10}$/.test(text) && Number(text) <= most)
      return Number(text);
    note(`${name} is a whole number from 0 to ${most}, not '${text}'`);
    return null;
  }

  function offerSeed(seed) {
    const again = new URLSearchParams(params);
    again.set('seed', seed);
    const link = document.createElement('a');
    link.href = '?' + again.toString();
    link.textContent = 'this polygon again';
    const line = element('seed');
    line.replaceChildren(`The polygon's motion comes from seed ${seed}: `, link, '.');
    line.hidden = false;
  }

  let wakeLock = null;
  async function holdWake() {
    if (wakeLock || !navigator.wakeLock || document.hidden)
      return;
    try {
      wakeLock = await navigator.wakeLock.request('screen');
      wakeLock.addEventListener('release', () => { wakeLock = null; });
      if (!state.playing)
        releaseWake();
    } catch {
      wakeLock = null; // refused (a power saver, no permission): the screen may sleep
    }
  }
  function releaseWake() {
    wakeLock?.release();
    wakeLock = null;
  }

  function showButtons() {
    const going = state.started && !state.over;
    pauseButton.disabled = muteButton.disabled = stopButton.disabled = !going;
    pauseButton.querySelector('.label').textContent = state.paused ? 'Play' : 'Pause';
    muteButton.querySelector('.label').textContent = state.muted ? 'Sound on' : 'Mute';
    document.body.classList.toggle('playing', going);
    fit();
  }

  function start() {
    if (!state.ready || state.failed || (state.started && !state.over))
      return;
    if (!option('nosound') && !sound) {
      sound = makeSound(Module._web_sample_rate());
      if (!sound)
        Module.ccall('web_no_sound', null, ['string'], ['Web Audio API is not available']);
    }
    if (show === 'demo32') {
      const seed = wholeNumber('seed', 4294967295) ?? Math.floor(Date.now() / 1000) >>> 0;
      const position = wholeNumber('position', 28) ?? 0;
      Module._web_play(option('nosmear') ? 0 : 1, option('debug') ? 1 : 0, sound ? 1 : 0, seed, position);
      state.seed = seed;
      offerSeed(seed);
    } else {
      Module._web_play(wholeNumber('frame', 1567) ?? 0);
    }
    Module._web_forget_keys();
    downloads.replaceChildren();
    Object.assign(state, { started: true, playing: true, paused: false, autoPaused: false, over: false,
                           escaped: false, screenshot: 0 });
    startButton.hidden = true;
    showTime = 0;
    lastFrameAt = null;
    clockZero = performance.now();
    sound?.restart();
    sound?.mute(state.muted);
    sound?.pump();
    holdWake();
    showButtons();
    requestAnimationFrame(animationFrame);
  }
  startButton.addEventListener('click', start);
  stage.addEventListener('click', () => { if (!state.started) start(); });

  function pause(auto) {
    if (!state.playing)
      return;
    state.playing = false;
    state.paused = true;
    state.autoPaused = auto;
    pausedAt = performance.now();
    sound?.pause();
    releaseWake();
    showButtons();
  }

  function resume() {
    if (!state.paused || state.failed)
      return;
    state.paused = false;
    state.autoPaused = false;
    state.playing = true;
    // The silent clock does not count the pause.
    clockZero += performance.now() - pausedAt;
    lastFrameAt = null;
    sound?.resume();
    holdWake();
    showButtons();
    requestAnimationFrame(animationFrame);
  }

  const togglePause = () => (state.paused ? resume() : pause(false));
  function toggleMute() {
    state.muted = !state.muted;
    sound?.mute(state.muted);
    showButtons();
  }
  // What the show's Escape does, for a hand without a keyboard too.
  function stop() {
    resume();
    Module._web_key(show === 'demo32' ? ESCAPE_DOWN : ESCAPE_UP);
  }
  pauseButton.addEventListener('click', togglePause);
  muteButton.addEventListener('click', toggleMute);
  stopButton.addEventListener('click', stop);

  // A hidden page holds the show and its sound, and goes on when shown.
  document.addEventListener('visibilitychange', () => {
    if (document.hidden)
      pause(true);
    else if (state.autoPaused)
      resume();
  });

  function over(escaped, screenshot) {
    Object.assign(state, { over: true, playing: false, paused: false, autoPaused: false, escaped,
                           screenshot: screenshot.length });
    sound?.stop();
    sound?.pause();
    releaseWake();
    clearInterval(statusTimer);
    showTimes('The show is over. Frame passes');
    if (screenshot.length > 0)
      offer('vintage.bmp', new Blob([screenshot], { type: 'image/bmp' }));
    const again = document.createElement('button');
    again.textContent = 'Play again';
    again.addEventListener('click', start);
    downloads.append(again);
    showButtons();
  }

  let statusTimer;

  // ---- keys ----

  // Only the keys the show uses are kept from the browser, and only while
  // it is on: Tab, the arrows, reloading, zooming and going back work as
  // ever, and on a focused button Space and Enter press it.
  const onControl = event => event.target instanceof Element &&
                             event.target.closest('button, a, input, select, textarea') !== null;
  document.addEventListener('keydown', event => {
    if (state.mode !== 'play' || event.ctrlKey || event.metaKey || event.altKey)
      return;
    const going = state.started && !state.over && !state.failed;
    const key = event.key;
    if (key === 'f' || key === 'F') {
      if (!event.repeat)
        toggleFullscreen();
      if (going)
        event.preventDefault();
    } else if (key === 'Escape' && state.filled) {
      setFilled(false); // as a first Escape leaves full screen
      event.preventDefault();
    } else if (!going) {
      // Not the show's.
    } else if (key === ' ' && !onControl(event)) {
      event.preventDefault();
      if (!event.repeat)
        togglePause();
    } else if (key === 'm' || key === 'M') {
      event.preventDefault();
      if (!event.repeat)
        toggleMute();
    } else if (key === 'Escape') {
      event.preventDefault();
      if (show === 'demo32' && !event.repeat)
        stop();
    } else if (key === 'Backspace' && show === 'demo32' && option('debug') && !onControl(event)) {
      event.preventDefault();
      Module._web_key(BACKSPACE_DOWN);
    }
  });
  document.addEventListener('keyup', event => {
    // demo8 ends when Escape is let go.
    if (state.mode === 'play' && show === 'demo8' && event.key === 'Escape' && state.started && !state.over) {
      event.preventDefault();
      stop();
    }
  });

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
      if (answer.startsWith('error')) {
        status.textContent = 'No frames: the capture failed (below).';
      } else {
        showTimes(`frames rendered in ${seconds} s`);
        draw();
        const last = Math.max(...frames.split(',').map(Number));
        const name = `frame_${String(last).padStart(5, '0')}.png`;
        canvas.toBlob(blob => offer(name, blob), 'image/png');
      }
    } else {
      answer = Module.ccall('web_audio', 'string', ['string'], [params.get('audio')]);
      status.textContent = answer.startsWith('error')
        ? 'No sound: the request failed (below).'
        : `rendered in ${((performance.now() - began) / 1000).toFixed(2)} s`;
    }
    if (answer.startsWith('error'))
      console.error(answer);
    pre.textContent = answer;
    state.captured = true;
  }

  function ready() {
    if (state.failed)
      return;
    state.ready = true;
    lengthMs = Module._web_length_ms();
    if (captureMode) {
      startButton.hidden = true;
      status.textContent = 'rendering…';
      // Lets the line above be drawn before the page is busy.
      setTimeout(capture, 20);
      return;
    }
    startButton.disabled = false;
    startButton.textContent = 'Click to start ' + show;
    showClock();
    statusTimer = setInterval(() => { if (state.playing) showTimes('frame passes'); }, 1000);
  }

  // ---- the show's program ----

  window.Module = {
    print: text => console.log(text),
    printErr: text => console.warn(text),
    onRuntimeInitialized: ready,
    onAbort: what => fail(`The show stopped: ${what}. Reloading the page starts it again.`),
    page: { note, over },
  };
  if (typeof WebAssembly !== 'object') {
    fail('This browser cannot run WebAssembly, which the show is made of.');
  } else {
    const program = document.createElement('script');
    program.src = `${show}.js`;
    program.addEventListener('error', () =>
      fail(`The show's program ${show}.js could not be loaded. It belongs in the same folder as this page.`));
    document.body.append(program);
  }
  fit();

  // ---- for the page's tests ----

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
    const s = { samples: Module._web_samples(), showTime, clock: element('clock').textContent,
                context: sound?.context.state ?? null };
    if (show === 'demo32') {
      s.position = Module._web_position();
      s.timerClock = sound === null;
    } else {
      s.frame = Module._web_frame_number();
    }
    return s;
  }
})();
