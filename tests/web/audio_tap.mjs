// What the browser really plays, taken where a page's sound goes to the
// speakers, and placed in the show's soundtrack (demo-capture's WAV file):
// with it a test knows which sample of the music is heard when, without
// asking the page.
import { readFileSync } from 'node:fs';

// Run in the page before its own scripts: every node the page connects to
// the speakers is also connected to a worklet that posts each 128-sample
// quantum it hears that is not silent, with its sample frame in the context.
// window.audioTap.context is the page's AudioContext.
export const TAP_SCRIPT = `(() => {
  const Native = window.AudioContext;
  if (!Native)
    return;
  const tap = window.audioTap = { quanta: [], context: null, node: null };
  const WORKLET = \`
    class Tap extends AudioWorkletProcessor {
      process(inputs) {
        const channel = inputs[0] && inputs[0][0];
        if (channel && channel.some(v => v !== 0))
          this.port.postMessage({ frame: currentFrame, samples: channel.slice() });
        return true;
      }
    }
    registerProcessor('tap', Tap);\`;
  const waiting = [];
  const connect = AudioNode.prototype.connect;
  AudioNode.prototype.connect = function (target, ...rest) {
    if (target instanceof AudioDestinationNode) {
      if (tap.node)
        connect.call(this, tap.node);
      else
        waiting.push(this);
    }
    return connect.call(this, target, ...rest);
  };
  window.AudioContext = class extends Native {
    constructor(options) {
      super(options);
      tap.context = this;
      const url = URL.createObjectURL(new Blob([WORKLET], { type: 'text/javascript' }));
      this.audioWorklet.addModule(url).then(() => {
        tap.node = new AudioWorkletNode(this, 'tap', { numberOfInputs: 1, numberOfOutputs: 0 });
        tap.node.port.onmessage = event => {
          tap.quanta.push(event.data);
          if (tap.quanta.length > 4000)
            tap.quanta.splice(0, 1000);
        };
        for (const node of waiting)
          connect.call(node, tap.node);
      });
    }
  };
})();`;

// The samples of a WAV file's data chunk: 16-bit signed or 8-bit unsigned.
export function wavSamples(file) {
  const wav = readFileSync(file);
  const bits = wav.readUInt16LE(34);
  for (let at = 12; at + 8 <= wav.length;) {
    const id = wav.toString('latin1', at, at + 4);
    const size = wav.readUInt32LE(at + 4);
    if (id === 'data') {
      const data = wav.subarray(at + 8, at + 8 + size);
      return bits === 16 ? new Int16Array(data.buffer.slice(data.byteOffset, data.byteOffset + size))
                         : new Uint8Array(data);
    }
    at += 8 + size + (size & 1);
  }
  throw new Error(`${file} has no data chunk`);
}

// Where the quanta the tap heard lie in the soundtrack: for each quantum
// that is found at exactly one place, {frame, sample}: its first sample
// frame in the context and its first sample in the soundtrack. The page
// plays the samples as floats, s / 32768 (16-bit) or (s - 128) / 128 (8-bit).
export function placeQuanta(quanta, song) {
  const value = song instanceof Int16Array ? v => Math.round(v * 32768) : v => Math.round(v * 128) + 128;
  const places = [];
  let offset = null; // sample - frame of the last quantum placed
  for (const q of quanta) {
    const x = Array.from(q.samples, value);
    const matches = at => {
      if (at < 0 || at + x.length > song.length)
        return false;
      for (let i = 0; i < x.length; ++i)
        if (song[at + i] !== x[i])
          return false;
      return true;
    };
    // Where the quantum before it leads, or anywhere: only a single match counts.
    let sample = offset !== null && matches(q.frame + offset) ? q.frame + offset : null;
    if (sample === null) {
      for (let at = 0; at + x.length <= song.length; ++at) {
        if (song[at] === x[0] && matches(at)) {
          if (sample !== null) {
            sample = null;
            break;
          }
          sample = at;
        }
      }
    }
    if (sample !== null) {
      places.push({ frame: q.frame, sample });
      offset = sample - q.frame;
    }
  }
  return places;
}

// The soundtrack's sample heard at context frame `frame`, or null where the
// places around it do not tell (nothing placed on both sides, or a gap in
// the sound between them).
export function sampleAt(places, frame) {
  let i = places.length - 1;
  while (i >= 0 && places[i].frame > frame)
    --i;
  if (i < 0 || i + 1 >= places.length)
    return null;
  const before = places[i];
  const after = places[i + 1];
  if (before.sample - before.frame !== after.sample - after.frame)
    return null;
  return frame + before.sample - before.frame;
}

// The context time being heard at page time `time`, by the browser's own
// account (the output timestamp), never past the context's current time.
export function contextTimeAt(stamp, now, time) {
  return Math.min(stamp.contextTime + (time - stamp.performanceTime) / 1000, now);
}
