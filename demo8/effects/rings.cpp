// Interference rings: two windows of the radius table, wandering apart,
// combined by XOR; the banded form keeps only bit 1 of the XOR.
#include <cmath>

#include "demo8/effects/effects.h"

namespace d8 {

namespace {

int32_t ring_offset(int32_t t, double speed, double swing, double centre) {
  return static_cast<int32_t>(swing * std::sin(((t * PI) / 1024.0) * speed) + centre);
}

} // namespace

RingParams ring_params(int32_t t) {
  RingParams p;
  p.x1 = ring_offset(t, 11.0, 39.0, 40.0);
  p.y1 = ring_offset(t, 17.0, 19.0, 20.0);
  p.x2 = ring_offset(t, 13.0, 39.0, 40.0);
  p.y2 = ring_offset(t, 9.0, 19.0, 20.0);
  return p;
}

void draw_rings_row(Surface8 s, const Tables &tables, int32_t j, RingParams p, bool banded) {
  uint8_t *row = s.pixels + static_cast<intptr_t>(2 * j + 1) * s.pitch;
  const uint8_t *r1 = &tables.radius_table[p.y1 + j][p.x1];
  const uint8_t *r2 = &tables.radius_table[p.y2 + j][p.x2];
  for (int32_t i = 0; i < SCREEN_WIDTH / 2; ++i) {
    const uint8_t x = static_cast<uint8_t>(r1[i] ^ r2[i]);
    const uint8_t v = banded ? ((x & 2) ? 127 : 0) : x;
    row[2 * i] = v;
    row[2 * i + 1] = v;
  }
}

} // namespace d8
