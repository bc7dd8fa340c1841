#pragma once
// Twelve-voice wavetable synthesizer and song sequencer of demo32: plain code,
// no SDL. synth_render fills sample buffers; every 800th sample it runs the
// sequencer, which advances the show clock.
#include <cstdint>

#include "demo32/synth/show_clock.h"

namespace d32 {

constexpr int32_t SAMPLE_RATE = 44100;
constexpr int32_t TICK_SAMPLES = 800;
constexpr int32_t VOICES = 12;
constexpr int32_t TABLE_LENGTH = 44100;

struct Voice {
  int32_t phase = 0;      // entry within the voice's table, 0..44099
  int32_t increment = 0;  // phase step per sample: Hz, or 1 for samples
  int32_t wave_base = 0;  // first entry of the voice's table in wave_memory
  int32_t volume = 0;     // gain: adds volume * entry / 32768 per sample
  int32_t effect = 0;     // effect of the row last read
  int32_t param = 0;      // its parameter
  int32_t base = 0;       // arpeggio semitone offset, or slide target in Hz
};

struct Synth {
  Voice voices[VOICES];
  int32_t tick_fill = 0;  // samples of the current tick already rendered, 0..799
};

// The six tables (sine, saw, square, drum samples a, b, c), 44100 entries each.
struct WaveMemory {
  float wag = 0;  // normalisation divisor
  int32_t wave_memory[6 * TABLE_LENGTH];
};

struct ArrangementEntry {
  int32_t pattern;         // 0..8, or -1: channel silent
  int32_t wave_base;       // table of the channel
  int32_t delay;           // rows behind the position
  int32_t channel_volume;  // 1/256 units
};

struct PatternRow {
  int32_t note;    // >= -89 is a note; -100: none
  int32_t volume;  // 0..65000
  int32_t effect;  // FX_*
  int32_t param;
};

enum : int32_t {
  FX_NONE = 0,
  FX_ARPEGGIO = 1,
  FX_ARPEGGIO_SLOW = 2,
  FX_SLIDE = 3,
  FX_TRIGGER = 4,
  FX_END = 5,
};

extern const ArrangementEntry arrangement[29][12];
extern const PatternRow patterns[9][64];
extern const int32_t drum_sample_a[19345];
extern const int32_t drum_sample_b[3530];
extern const int32_t drum_sample_c[13104];

int32_t note_pitch(int32_t n);
float compute_wag();
void build_wave_memory(WaveMemory &memory);

// Renders n samples. If stems is non-null it receives each voice's
// contribution: stems[v * n + i] for voice v and sample i.
void synth_render(Synth &synth, const WaveMemory &memory, ShowClock &clock, int16_t *out,
                  int32_t n, int16_t *stems = nullptr);

void sequencer_row(Synth &synth, ShowClock &clock, int32_t ch);
void sequencer_effects(Synth &synth, int32_t t);
// The tick-end step: row or effects, then the counter advance.
void sequencer_tick_end(Synth &synth, ShowClock &clock);

} // namespace d32
