#pragma once
// demo32 on the replay clock, one frame at a time: frame i sees the music
// rendered up to sample S_i and the effect steps that real time would have
// run by then (replay_clock.h), and is drawn by the show's own pass.
#include <cstdint>

#include "demo32/replay/replay_clock.h"
#include "demo32/replay/song_chart.h"
#include "demo32/screen.h"
#include "demo32/show/show.h"

namespace d32 {

struct Replay32 {
  Show32 show;
  ReplayMusic music;
  uint32_t pixels[SCREEN_PIXELS] = {}; // the offscreen surface, never cleared
};

// Initial state, then the tables built with the seed of the polygon motion.
void start_replay(Replay32 &replay, uint32_t seed, bool smear);

// Frame i, for i = 0, 1, 2, ... in turn: the music rendered up to S_i, then
// the show's own pass at the frame's time. False when the end mark had been
// read before the frame: the show is over and nothing was drawn.
bool replay_frame(Replay32 &replay, const WaveMemory &memory, int32_t fps, int64_t i);

// The same frame with the clock taken from the song's chart instead of
// rendering the music: the pictures are the same, the synth is not run.
bool replay_charted_frame(Replay32 &replay, const SongChart &chart, int32_t fps, int64_t i);

} // namespace d32
