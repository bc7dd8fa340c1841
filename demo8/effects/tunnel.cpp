// The tunnel: an XOR of depth and angle read through a wandering window of the
// polar tables, flown through one depth unit per frame, twisted and turned.
#include <cmath>

#include "demo8/effects/effects.h"

namespace d8 {

TunnelParams tunnel_params(int32_t t, int32_t &ox, int32_t &oy) {
  const double slow = (t * PI) / 1024.0;
  const double fast = (t * PI) / 8.0;
  ox = static_cast<int32_t>(39.0 * std::sin(slow * 7.0) + 40.0);
  oy = static_cast<int32_t>(19.0 * std::sin(slow * 11.0) + 20.0);
  TunnelParams p;
  p.k1 = static_cast<int32_t>(static_cast<double>(-t) * std::sin(fast));
  p.k2 = static_cast<int32_t>(32.0 * std::sin(fast));
  return p;
}

void draw_tunnel_row(Surface8 s, const Tables &tables, int32_t j, int32_t t, int32_t ox, int32_t oy,
                     TunnelParams p) {
  uint8_t *row = s.pixels + static_cast<intptr_t>(2 * j + 1) * s.pitch;
  const uint8_t *depth = &tables.depth_table[oy + j][ox];
  const uint8_t *angle = &tables.angle_table[oy + j][ox];
  for (int32_t i = 0; i < SCREEN_WIDTH / 2; ++i) {
    const int32_t d = depth[i];
    const int32_t u = d + t;
    // A true division: the twist of negative products rounds toward zero.
    const int32_t w = angle[i] + (d * p.k1) / 128 + p.k2;
    const uint8_t v = static_cast<uint8_t>(((w ^ u) >> 1) & 127);
    row[2 * i] = v;
    row[2 * i + 1] = v;
  }
}

} // namespace d8
