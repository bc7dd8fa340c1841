// XOR rotozoomer: the endless texture u XOR v seen through a camera that
// rotates, pulses in zoom and wanders on a Lissajous path around the origin.
#include <cmath>

#include "demo32/effects/effects.h"

namespace d32 {

void draw_rotozoomer(uint32_t *pixels, const EffectState &fx) {
  // All trigonometry happens once per frame; the loops below are pure integer work.
  const int32_t cu = static_cast<int32_t>(std::cos(fx.phase17 * PI / 4096) * 500 * 65536);
  const int32_t cv = static_cast<int32_t>(std::sin(fx.phase29 * PI / 4096) * 500 * 65536);
  const double zoom = std::sin(fx.phase6 * PI / 1024) + 1.2;
  const double angle = fx.phase4 * PI / 1024;
  const int32_t du = static_cast<int32_t>(zoom * std::cos(angle) * 65536);
  const int32_t dv = static_cast<int32_t>(zoom * std::sin(angle) * 65536);

  // 16.16 coordinates wrap modulo 2^32, so every sum and product is unsigned;
  // only the texel lookup reads them as signed.
  const uint32_t udu = static_cast<uint32_t>(du);
  const uint32_t udv = static_cast<uint32_t>(dv);
  uint32_t ur = static_cast<uint32_t>(cu) + 120u * udv - 160u * udu;
  uint32_t vr = static_cast<uint32_t>(cv) - 160u * udv - 120u * udu;

  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    ur -= udv;
    vr += udu;
    uint32_t u = ur;
    uint32_t v = vr;
    uint32_t *row = pixels + y * SCREEN_WIDTH;
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      u += udu;
      v += udv;
      // Division truncates toward zero, so texel 0 spans (-1, 1): the texel row
      // and column through the origin are twice as wide as the others. Intended.
      const int32_t tu = static_cast<int32_t>(u) / 65536;
      const int32_t tv = static_cast<int32_t>(v) / 65536;
      row[x] = static_cast<uint32_t>(tu ^ tv) & 0xFFu;
    }
  }
}

} // namespace d32
