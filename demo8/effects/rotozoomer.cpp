// An endless XOR plane, turned and zoomed by stepping 20.12 fixed-point
// texture coordinates along the rows and columns.
#include <cmath>

#include "demo8/effects/effects.h"

namespace d8 {

RotozoomParams rotozoom_params(int32_t t) {
  const double angle = (t * PI) / 128.0;
  // The scale falls from two texels per pixel at t = 288 to about a fifth.
  const double divisor = static_cast<double>(t - 256);
  RotozoomParams p;
  p.du = static_cast<int32_t>((std::sin(angle) * 262144.0) / divisor);
  p.dv = static_cast<int32_t>((std::cos(angle) * 262144.0) / divisor);
  return p;
}

void draw_rotozoom_row(Surface8 s, int32_t y, int32_t a, int32_t b, RotozoomParams p) {
  uint8_t *row = s.pixels + static_cast<intptr_t>(y) * s.pitch;
  for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
    // Stepped before use: the plane's origin is one step up and left of (0, 0).
    a += p.du;
    b += p.dv;
    row[x] = static_cast<uint8_t>(((a ^ b) >> 12) & 127);
  }
}

} // namespace d8
