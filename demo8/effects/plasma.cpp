// Plasma: one wave table looked up three times per pixel.
#include <cmath>

#include "demo8/effects/effects.h"

namespace d8 {

void build_wave_table(Tables &tables) {
  for (int32_t i = 0; i < 256; ++i) {
    const double phase = (i * PI) / 128.0;
    // h is held in a double before the second sine is added.
    const double h = 31.0 * std::sin(phase * 4.0) + 64.0;
    const int32_t v = static_cast<int32_t>(h + 31.0 * std::sin(phase * 3.0));
    // The two sines together are not periodic in 256: entries 255 and 0 jump.
    tables.wave_table[i] = static_cast<uint8_t>(v & 255);
  }
}

void draw_plasma_row(Surface8 s, const Tables &tables, int32_t y, int32_t t) {
  const uint8_t *wave = tables.wave_table;
  uint8_t *row = s.pixels + static_cast<intptr_t>(y) * s.pitch;
  // Negative arguments wrap modulo 256 through the two's-complement AND.
  const int32_t q = wave[(y - 3 * t) & 255];
  for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
    const int32_t p = wave[(t + x) & 255];
    row[x] = wave[(p + q - y) & 255];
  }
}

} // namespace d8
