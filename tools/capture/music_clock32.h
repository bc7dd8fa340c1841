#pragma once
// demo32's music on the virtual clock, rendered exactly as the audio callback
// renders it. Plain code without files, shared by the offline renderer and
// the web page's capture mode.
#include <cstdint>
#include <vector>

#include "demo32/synth/synth.h"

namespace capture {

struct Music32 {
  d32::Synth synth;
  d32::ShowClock clock; // the show clock the sequencer advances
  int64_t samples = 0;  // rendered so far
  int16_t mix[d32::TICK_SAMPLES] = {};
  int16_t stems[d32::VOICES * d32::TICK_SAMPLES] = {};
};

// The sample count after which the song's end mark has been read, found by
// stepping the sequencer alone (it never looks at the samples). -1 if the song
// has none within two passes through its positions.
int64_t find_end_sample();

// The show clock after each tick of the song, up to the tick that reads the
// end mark, found by stepping the sequencer alone: what the pictures need of
// the music, without rendering a sample.
struct ClockAt {
  int32_t song_tick;
  int32_t song_row;
  int32_t song_position;
  int32_t song_end;
};

struct SongChart {
  std::vector<ClockAt> after_tick; // [k]: the clock after k ticks
  int64_t end_sample = -1;         // as find_end_sample
};

void chart_song(SongChart &chart);

// Sets clock to what it is once the music has been rendered up to sample
// target (the rendering stops at the end mark).
void clock_at_sample(const SongChart &chart, int64_t target, d32::ShowClock &clock);

// Renders the next piece toward sample target into mix (and, if stems, each
// voice's share into stems), never past the end of the current tick, so a run
// can stop on the very sample whose tick read the end mark. Returns the
// piece's length: 0 once target is reached or the end mark has been read.
int32_t render_music_piece(Music32 &music, const d32::WaveMemory &memory, int64_t target,
                           bool stems);

} // namespace capture
