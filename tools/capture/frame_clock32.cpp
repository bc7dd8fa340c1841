#include "tools/capture/frame_clock32.h"

#include "demo32/show/plain_platform.h"
#include "tools/capture/virtual_clock.h"

namespace capture {

void start_run32(Run32 &run, uint32_t seed, bool smear) {
  run.show = d32::Show32{};
  run.show.smear_enabled = smear ? 1 : 0;
  run.music.synth = d32::Synth{};
  d32::put(run.music.clock.song_tick, 0);
  d32::put(run.music.clock.song_row, 0);
  d32::put(run.music.clock.song_position, 0);
  d32::put(run.music.clock.song_end, 0);
  run.music.samples = 0;
  for (uint32_t &p : run.pixels)
    p = 0;
  // The seed decides the polygon's motion, as at the desktop's start-up.
  d32::prepare_show(run.show, seed);
  d32::start_show(run.show, run.music.clock, 0);
}

namespace {

bool draw_frame32(Run32 &run, int32_t fps, int64_t i, bool draw) {
  if (!draw)
    return d32::get(run.music.clock.song_end) == 0;
  // Every frame is drawn, with the steps due by its time (none for frame 0).
  d32::PlainScreen screen{run.pixels, millis_of_frame(i, fps)};
  // The show leaves its loop, without drawing, once the end mark is read.
  return d32::show_pass(run.show, run.music.clock, d32::plain_platform(screen)) != d32::Pass::ENDED;
}

} // namespace

bool run_frame32(Run32 &run, const d32::WaveMemory &memory, int32_t fps, int64_t i, bool draw) {
  while (render_music_piece(run.music, memory, sample_of_frame(i, fps), false) > 0) {
  }
  return draw_frame32(run, fps, i, draw);
}

bool run_charted_frame32(Run32 &run, const SongChart &chart, int32_t fps, int64_t i, bool draw) {
  clock_at_sample(chart, sample_of_frame(i, fps), run.music.clock);
  return draw_frame32(run, fps, i, draw);
}

} // namespace capture
