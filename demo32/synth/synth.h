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
  int32_t phase = 0;     // entry within the voice's table, 0..44099
  int32_t increment = 0; // phase step per sample: Hz, or 1 for samples
  int32_t wave_base = 0; // first entry of the voice's table in wave_memory
  int32_t volume = 0;    // gain: adds volume * entry / 32768 per sample
  int32_t effect = 0;    // effect of the row last read
  int32_t param = 0;     // its parameter
  int32_t base = 0;      // arpeggio semitone offset, or slide target in Hz
};

struct Synth {
  Voice voices[VOICES];
  int32_t tick_fill = 0; // samples of the current tick already rendered, 0..799
};

// The six tables (sine, saw, square, drum samples a, b, c), 44100 entries each.
struct WaveMemory {
  float wag = 0; // normalisation divisor
  int32_t wave_memory[6 * TABLE_LENGTH];
};

// Everything the music is rendered from; the platform's audio callback is
// handed it as its user data.
struct Music {
  Synth synth;
  WaveMemory wave_memory;
  ShowClock clock; // the show clock, advanced by the sequencer
};

struct ArrangementEntry {
  int32_t pattern;        // 0..8, or -1: channel silent
  int32_t wave_base;      // table of the channel
  int32_t delay;          // rows behind the position
  int32_t channel_volume; // 1/256 units
};

struct PatternRow {
  int32_t note;   // >= -89 is a note; -100: none
  int32_t volume; // 0..65000
  int32_t effect; // FX_*
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
constexpr int32_t BASS_DRUM_LENGTH = 19345;
constexpr int32_t HI_HAT_LENGTH = 3530;
constexpr int32_t SNARE_LENGTH = 13104;

// The drum samples before scaling by wag: 16-bit values at 44100 Hz.
struct DrumSamples {
  int32_t bass_drum[BASS_DRUM_LENGTH]; // table a
  int32_t hi_hat[HI_HAT_LENGTH];       // table b
  int32_t snare[SNARE_LENGTH];         // table c
};

void build_drum_samples(DrumSamples &drums);
// The drums' sine: a 32-bit phase (2^32 a turn) to fixed point (DRUM_ONE = 1.0).
constexpr int64_t DRUM_ONE = int64_t{1} << 30;
int64_t drum_sine(uint32_t phase);

int32_t note_pitch(int32_t n);
float compute_wag();
void build_wave_memory(WaveMemory &memory);

// Renders n samples. If stems is non-null it receives each voice's
// contribution: stems[v * n + i] for voice v and sample i.
void synth_render(Synth &synth, const WaveMemory &memory, ShowClock &clock, int16_t *out, int32_t n,
                  int16_t *stems = nullptr);

void sequencer_row(Synth &synth, ShowClock &clock, int32_t ch);
void sequencer_effects(Synth &synth, int32_t t);
// The tick-end step: row or effects, then the counter advance.
void sequencer_tick_end(Synth &synth, ShowClock &clock);

} // namespace d32
