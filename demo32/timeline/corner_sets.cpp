#include "demo32/timeline/corner_sets.h"

#include <cmath>
#include <cstdint>

namespace d32 {

namespace {

// Truncates toward zero, like every float-to-int conversion of the show.
QuadCorners fixed_16_16(const double (&corners)[8]) {
  QuadCorners c;
  for (int i = 0; i < 8; ++i)
    c.uv[i] = static_cast<int32_t>(corners[i] * 65536);
  return c;
}

QuadCorners slanted_rotation(const Phases &phases) {
  const Camera c = rotozoom_camera(phases);
  const uint32_t p = c.p, q = c.q, u = c.u, v = c.v;
  // The plain rotation at screen points (-400,0), (720,0), (0,440), (320,440):
  // the top edge spans 1120 steps, the bottom 320, squeezing the top.
  const uint32_t corners[8] = {
      p - 400 * u, q - 400 * v, p + 720 * u,           q + 720 * v,
      p - 440 * v, q + 440 * u, p + 320 * u - 440 * v, q + 320 * v + 440 * u,
  };
  QuadCorners out;
  for (int i = 0; i < 8; ++i)
    out.uv[i] = static_cast<int32_t>(corners[i]);
  return out;
}

QuadCorners fold(const Phases &phases) {
  const double c = std::cos(phases.phase4 * PI / 1024) * 100;
  const double s = std::sin(phases.phase4 * PI / 1024) * 100;
  const double c6 = std::cos(phases.phase6 * PI / 1024) * 100;
  return fixed_16_16({
      c - 500, s - 600,  // top-left
      c - 500, s + 600,  // top-right
      c + 500, s - 600,  // bottom-left
      c6 - 500, s - 600, // bottom-right
  });
}

QuadCorners wander(const Phases &phases) {
  const double left_u = std::cos(phases.phase4 * PI / 1024) * 800;
  const double top_v = std::sin(phases.phase6 * PI / 1024) * 700 + 500;
  return fixed_16_16({
      left_u + 600,
      top_v,
      std::cos(phases.phase17 * PI / 4096) * 600 - 600,
      top_v,
      left_u + 600,
      std::sin(phases.phase29 * PI / 4096) * 900 - 500,
      left_u - 600,
      std::sin(phases.phase17 * PI / 4096) * 700 - 500,
  });
}

} // namespace

QuadCorners quad_corners(CornerSet set, const Phases &phases) {
  switch (set) {
  case CornerSet::SLANTED_ROTATION:
    return slanted_rotation(phases);
  case CornerSet::FOLD:
    return fold(phases);
  case CornerSet::WANDER:
    return wander(phases);
  case CornerSet::NONE:
    break;
  }
  return QuadCorners{};
}

} // namespace d32
