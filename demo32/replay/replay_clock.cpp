#include "demo32/replay/replay_clock.h"

#include <algorithm>

namespace d32 {

int64_t sample_of_frame(int64_t i, int32_t fps) {
  return i * SAMPLE_RATE / fps;
}

uint32_t millis_of_frame(int64_t i, int32_t fps) {
  // SDL's millisecond counter is 32 bits and wraps; so does this one.
  return static_cast<uint32_t>(i * 1000 / fps);
}

int64_t last_frame_before(int64_t end_sample, int32_t fps) {
  if (end_sample <= 0)
    return -1;
  // floor(i * 44100 / fps) < end  <=>  i * 44100 < end * fps
  return (end_sample * fps - 1) / SAMPLE_RATE;
}

int32_t render_music_piece(ReplayMusic &m, const WaveMemory &memory, int64_t target, bool stems) {
  if (m.samples >= target || get(m.clock.song_end) != 0)
    return 0;
  const int64_t room = TICK_SAMPLES - m.synth.tick_fill;
  const auto n = static_cast<int32_t>(std::min(room, target - m.samples));
  synth_render(m.synth, memory, m.clock, m.mix, n, stems ? m.stems : nullptr);
  m.samples += n;
  return n;
}

} // namespace d32
