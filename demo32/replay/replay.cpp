#include "demo32/replay/replay.h"

#include "demo32/show/plain_platform.h"

namespace d32 {

void start_replay(Replay32 &replay, uint32_t seed, bool smear) {
  replay.show = Show32{};
  replay.show.smear_enabled = smear ? 1 : 0;
  replay.music.synth = Synth{};
  put(replay.music.clock.song_tick, 0);
  put(replay.music.clock.song_row, 0);
  put(replay.music.clock.song_position, 0);
  put(replay.music.clock.song_end, 0);
  replay.music.samples = 0;
  for (uint32_t &p : replay.pixels)
    p = 0;
  // The seed decides the polygon's motion, as at the desktop's start-up.
  prepare_show(replay.show, seed);
  start_show(replay.show, replay.music.clock, 0);
}

namespace {

bool draw_replay_frame(Replay32 &replay, int32_t fps, int64_t i) {
  // Every frame is drawn, with the steps due by its time (none for frame 0).
  PlainScreen screen{replay.pixels, millis_of_frame(i, fps)};
  // The show leaves its loop, without drawing, once the end mark is read.
  return show_pass(replay.show, replay.music.clock, plain_platform(screen)) != Pass::ENDED;
}

} // namespace

bool replay_frame(Replay32 &replay, const WaveMemory &memory, int32_t fps, int64_t i) {
  while (render_music_piece(replay.music, memory, sample_of_frame(i, fps), false) > 0) {
  }
  return draw_replay_frame(replay, fps, i);
}

bool replay_charted_frame(Replay32 &replay, const SongChart &chart, int32_t fps, int64_t i) {
  clock_at_sample(chart, sample_of_frame(i, fps), replay.music.clock);
  return draw_replay_frame(replay, fps, i);
}

} // namespace d32
