#include "tools/capture/music32.h"

#include <algorithm>

namespace capture {

namespace {

void write_piece(d32::ReplayMusic &m, int64_t start, int32_t n, const Sound32Outputs &out) {
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

bool advance_music(d32::ReplayMusic &m, const d32::WaveMemory &memory, int64_t target,
                   const Sound32Outputs *out) {
  const bool stems = out != nullptr && out->stems != nullptr;
  while (const int32_t n = d32::render_music_piece(m, memory, target, stems))
    if (out != nullptr)
      write_piece(m, m.samples - n, n, *out);
  return d32::get(m.clock.song_end) == 0;
}

} // namespace capture
