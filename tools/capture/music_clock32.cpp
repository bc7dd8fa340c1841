#include "tools/capture/music_clock32.h"

#include <algorithm>

namespace capture {

namespace {

constexpr int64_t TICKS_PER_SONG = int64_t{d32::SONG_POSITIONS} * 64 * 6;

} // namespace

int64_t find_end_sample() {
  d32::Synth synth;
  d32::ShowClock clock;
  for (int64_t tick = 1; tick <= 2 * TICKS_PER_SONG; ++tick) {
    d32::sequencer_tick_end(synth, clock);
    if (d32::get(clock.song_end) != 0)
      return tick * d32::TICK_SAMPLES;
  }
  return -1;
}

int32_t render_music_piece(Music32 &m, const d32::WaveMemory &memory, int64_t target, bool stems) {
  if (m.samples >= target || d32::get(m.clock.song_end) != 0)
    return 0;
  const int64_t room = d32::TICK_SAMPLES - m.synth.tick_fill;
  const auto n = static_cast<int32_t>(std::min(room, target - m.samples));
  d32::synth_render(m.synth, memory, m.clock, m.mix, n, stems ? m.stems : nullptr);
  m.samples += n;
  return n;
}

} // namespace capture
