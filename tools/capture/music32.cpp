#include "tools/capture/music32.h"

#include <algorithm>

namespace capture {

namespace {

constexpr int64_t TICKS_PER_SONG = int64_t{d32::SONG_POSITIONS} * 64 * 6;

void write_piece(Music32 &m, int64_t start, int32_t n, const Sound32Outputs &out) {
  const int64_t skip64 = std::clamp<int64_t>(out.first_sample - start, 0, n);
  const auto skip = static_cast<int32_t>(skip64);
  if (skip == n)
    return;
  for (WavFile *wav : out.mix)
    if (wav != nullptr)
      wav_append_s16(*wav, m.mix + skip, n - skip);
  if (out.stems != nullptr)
    for (int32_t v = 0; v < d32::VOICES; ++v)
      wav_append_s16(out.stems[v], m.stems + v * n + skip, n - skip);
}

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

bool advance_music(Music32 &m, const d32::WaveMemory &memory, int64_t target,
                   const Sound32Outputs *out) {
  while (m.samples < target && d32::get(m.clock.song_end) == 0) {
    const int64_t room = d32::TICK_SAMPLES - m.synth.tick_fill;
    const auto n = static_cast<int32_t>(std::min(room, target - m.samples));
    const bool stems = out != nullptr && out->stems != nullptr;
    d32::synth_render(m.synth, memory, m.clock, m.mix, n, stems ? m.stems : nullptr);
    if (out != nullptr)
      write_piece(m, m.samples, n, *out);
    m.samples += n;
  }
  return d32::get(m.clock.song_end) == 0;
}

} // namespace capture
