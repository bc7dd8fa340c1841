// The mixing loop: twelve table-reading voices summed into 16-bit samples, cut
// into ticks of 800 samples at whose ends the sequencer runs.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "demo32/synth/synth.h"

namespace d32 {

namespace {

// Mathematical modulo: the same as % for the non-negative values the song
// produces, and keeps a table index in range whatever a voice holds.
int32_t wrap_phase(int64_t value) {
  const int64_t r = value % TABLE_LENGTH;
  return static_cast<int32_t>(r < 0 ? r + TABLE_LENGTH : r);
}

// What a voice adds to one sample: a 32-bit product (wrapping rather than
// overflowing) divided with truncation toward zero.
inline int32_t contribution(int32_t volume, int32_t entry) {
  const auto product =
      static_cast<int32_t>(static_cast<uint32_t>(volume) * static_cast<uint32_t>(entry));
  return product / 32768;
}

// Adds one voice to out[0..count) and, if stem is given, records what it added.
void render_voice(Voice &voice, const int32_t *wave_memory, int16_t *out, int16_t *stem,
                  int32_t count) {
  const int32_t step = wrap_phase(voice.increment);
  int32_t phase = wrap_phase(voice.phase);
  if (voice.volume == 0) {
    // Adds nothing, but the phase runs on as if it played.
    voice.phase = wrap_phase(phase + static_cast<int64_t>(step) * count);
    if (stem != nullptr) {
      std::fill(stem, stem + count, int16_t{0});
    }
    return;
  }
  const int32_t *table = wave_memory + voice.wave_base;
  const int32_t volume = voice.volume;
  // phase and step are both below 44100, so one subtraction is the modulo.
  if (stem == nullptr) {
    for (int32_t i = 0; i < count; ++i) {
      // The mix wraps around in 16 bits; there is no clipping stage.
      out[i] = static_cast<int16_t>(out[i] + contribution(volume, table[phase]));
      phase += step;
      if (phase >= TABLE_LENGTH) {
        phase -= TABLE_LENGTH;
      }
    }
  } else {
    for (int32_t i = 0; i < count; ++i) {
      const int32_t add = contribution(volume, table[phase]);
      stem[i] = static_cast<int16_t>(add);
      out[i] = static_cast<int16_t>(out[i] + add);
      phase += step;
      if (phase >= TABLE_LENGTH) {
        phase -= TABLE_LENGTH;
      }
    }
  }
  voice.phase = phase;
}

} // namespace

void synth_render(Synth &synth, const WaveMemory &memory, ShowClock &clock, int16_t *out, int32_t n,
                  int16_t *stems) {
  int32_t b = 0;
  while (b < n) {
    // Ticks are exactly 800 samples however the caller cuts the stream; a tick
    // begun in one call is finished in the next.
    const int32_t end = std::min(b + TICK_SAMPLES - synth.tick_fill, n);
    synth.tick_fill = (synth.tick_fill + end - b) % TICK_SAMPLES;
    std::fill(out + b, out + end, int16_t{0});
    for (int32_t v = 0; v < VOICES; ++v) {
      int16_t *stem = stems == nullptr ? nullptr : stems + static_cast<std::size_t>(v) * n + b;
      render_voice(synth.voices[v], memory.wave_memory, out + b, stem, end - b);
    }
    if (synth.tick_fill == 0) {
      // Its changes are heard from the next sample on.
      sequencer_tick_end(synth, clock);
    }
    b = end;
  }
}

} // namespace d32
