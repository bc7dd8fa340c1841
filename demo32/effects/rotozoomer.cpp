// XOR rotozoomer: the endless texture u XOR v seen through a camera that
// rotates, pulses in zoom and wanders on a Lissajous path around the origin.
#include <cmath>

#include "common/simd_clones.h"
#include "demo32/effects/effects.h"

namespace d32 {

Camera rotozoom_camera(const Phases &phases) {
  // Centre of the rotation in texture coordinates.
  const int32_t a = static_cast<int32_t>(std::cos(phases.phase17 * PI / 4096) * 500 * 65536);
  const int32_t b = static_cast<int32_t>(std::sin(phases.phase29 * PI / 4096) * 500 * 65536);
  const double zoom = std::sin(phases.phase6 * PI / 1024) + 1.2; // 0.2 .. 2.2
  const double angle = phases.phase4 * PI / 1024;
  Camera c;
  c.u = static_cast<uint32_t>(static_cast<int32_t>(zoom * std::cos(angle) * 65536));
  c.v = static_cast<uint32_t>(static_cast<int32_t>(zoom * std::sin(angle) * 65536));
  // The centre lands on screen point (160, 120).
  c.p = static_cast<uint32_t>(a) + 120u * c.v - 160u * c.u;
  c.q = static_cast<uint32_t>(b) - 160u * c.v - 120u * c.u;
  return c;
}

SIMD_CLONES void draw_rotozoomer(uint32_t *pixels, const Phases &phases) {
  // All trigonometry happens once per frame; the loops below are pure integer work.
  const Camera camera = rotozoom_camera(phases);
  const uint32_t udu = camera.u;
  const uint32_t udv = camera.v;
  uint32_t ur = camera.p;
  uint32_t vr = camera.q;

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
