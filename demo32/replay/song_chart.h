#pragma once
// The song's chart: the show clock after every tick of the song, found by
// stepping the sequencer alone (it never looks at the samples). It gives the
// pictures the clock the music would give them at any sample, without
// rendering one.
#include <cstdint>
#include <vector>

#include "demo32/synth/synth.h"

namespace d32 {

struct ClockAt {
  int32_t song_tick;
  int32_t song_row;
  int32_t song_position;
  int32_t song_end;
};

struct SongChart {
  std::vector<ClockAt> after_tick; // [k]: the clock after k ticks, up to the end mark's tick
  int64_t end_sample = -1;         // the sample count after which the end mark has been
                                   // read; -1 if not within two passes through the song
};

void chart_song(SongChart &chart);

// Sets clock to what it is once the music has been rendered up to sample
// target (the rendering stops at the end mark).
void clock_at_sample(const SongChart &chart, int64_t target, ShowClock &clock);

} // namespace d32
