#pragma once
// demo32 on the virtual clock, one frame at a time: frame i sees the music
// rendered up to sample S_i and the effect steps that real time would have
// run by then (virtual_clock.h). Plain code without files, shared by the
// offline renderer and the web page's capture mode.
#include <cstdint>

#include "demo32/screen.h"
#include "demo32/show/show.h"
#include "tools/capture/music_clock32.h"

namespace capture {

struct Run32 {
  d32::Show32 show;
  Music32 music;
  uint32_t pixels[d32::SCREEN_PIXELS] = {}; // the offscreen surface, never cleared
};

// Initial state, then the tables built with the seed of the polygon motion.
void start_run32(Run32 &run, uint32_t seed, bool smear);

// Frame i, for i = 0, 1, 2, ... in turn: the music up to S_i, then (if draw)
// the show's own pass at the frame's time. False when the end mark had been
// read before the frame: the show is over and nothing was drawn.
bool run_frame32(Run32 &run, const d32::WaveMemory &memory, int32_t fps, int64_t i,
                 bool draw = true);

// The same frame with the clock taken from the song's chart instead of
// rendering the music: the pictures are the same, the synth is not run.
bool run_charted_frame32(Run32 &run, const SongChart &chart, int32_t fps, int64_t i,
                         bool draw = true);

} // namespace capture
