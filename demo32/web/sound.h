#pragma once
// demo32's music as a page plays it. The browser plays what it is given a
// few tenths of a second later, so the show clock the synthesizer advances
// runs that far ahead of what is heard. The state of the clock is kept for
// every tick rendered, by the sample it starts at; the page asks for the
// state of the sample being heard, and the picture follows that. Plain code,
// driven by the page's platform (main.cpp).
#include <cstdint>

#include "demo32/synth/synth.h"

namespace web32 {

// Clock states kept: 512 ticks of 800 samples, 9.3 s of music, far more
// than is ever queued ahead of what is heard.
constexpr int32_t KEPT_STATES = 512;

// What the page asks for at a time: 46 ms of music.
constexpr int32_t BLOCK_SAMPLES = 2048;

struct ClockState {
  int64_t from_sample = 0; // the first sample rendered with this state
  int32_t song_tick = 0;
  int32_t song_row = 0;
  int32_t song_position = 0;
  int32_t song_end = 0;
};

struct Sound32 {
  d32::Music music;               // synth, wave tables and the clock it advances
  int64_t rendered = 0;           // samples rendered since start_sound
  ClockState states[KEPT_STATES]; // a ring, by from_sample
  int64_t noted = 0;              // states noted since start_sound (at least 1)
};

// From the start of the song: a fresh synthesizer and clock, position 0.
// The wave tables must have been built (d32::build_wave_memory).
void start_sound(Sound32 &sound);

// After the clock was changed outside the synthesizer (a position skip):
// the samples rendered from now on belong to its new state.
void note_clock(Sound32 &sound);

// Renders the next n samples into out, a tick at a time, and keeps the
// clock's state after each. Returns n, or 0 once the end mark has been
// rendered: the song is over and nothing is rendered.
int32_t render_sound(Sound32 &sound, int16_t *out, int32_t n);

// The show clock as it was while sample `heard` was rendered: before the
// first sample the state at start, before the oldest state kept that one.
void clock_at(const Sound32 &sound, int64_t heard, d32::ShowClock &clock);

} // namespace web32
