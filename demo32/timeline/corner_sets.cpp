#include "demo32/timeline/corner_sets.h"

#include <cmath>
#include <cstdint>

namespace d32 {

namespace {

// Truncates toward zero, like every float-to-int conversion of the show.
int32_t fixed_16_16(double value) {
  return static_cast<int32_t>(value * 65536);
}

void store_corners(EffectState &fx, const double (&corners)[8]) {
  for (int i = 0; i < 8; ++i)
    fx.quad_corners[i] = fixed_16_16(corners[i]);
}

} // namespace

void set_corners_slanted_rotation(EffectState &fx) {
  const int32_t a = static_cast<int32_t>(std::cos(fx.phase17 * PI / 4096) * 500 * 65536);
  const int32_t b = static_cast<int32_t>(std::sin(fx.phase29 * PI / 4096) * 500 * 65536);
  const double zoom = std::sin(fx.phase6 * PI / 1024) + 1.2;
  const double angle = fx.phase4 * PI / 1024;
  // Wrap-around arithmetic of the 16.16 coordinates is done unsigned.
  const uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(zoom * std::cos(angle) * 65536));
  const uint32_t v = static_cast<uint32_t>(static_cast<int32_t>(zoom * std::sin(angle) * 65536));
  const uint32_t p = static_cast<uint32_t>(a) + 120 * v - 160 * u;
  const uint32_t q = static_cast<uint32_t>(b) - 160 * v - 120 * u;

  // The plain rotation at screen points (-400,0), (720,0), (0,440), (320,440):
  // the top edge spans 1120 steps, the bottom 320, squeezing the top.
  const uint32_t corners[8] = {
      p - 400 * u, q - 400 * v, p + 720 * u,           q + 720 * v,
      p - 440 * v, q + 440 * u, p + 320 * u - 440 * v, q + 320 * v + 440 * u,
  };
  for (int i = 0; i < 8; ++i)
    fx.quad_corners[i] = static_cast<int32_t>(corners[i]);
}

void set_corners_fold(EffectState &fx) {
  const double c = std::cos(fx.phase4 * PI / 1024) * 100;
  const double s = std::sin(fx.phase4 * PI / 1024) * 100;
  const double c6 = std::cos(fx.phase6 * PI / 1024) * 100;
  store_corners(fx, {
                        c - 500, s - 600,  // top-left
                        c - 500, s + 600,  // top-right
                        c + 500, s - 600,  // bottom-left
                        c6 - 500, s - 600, // bottom-right
                    });
}

void set_corners_wander(EffectState &fx) {
  const double left_u = std::cos(fx.phase4 * PI / 1024) * 800;
  const double top_v = std::sin(fx.phase6 * PI / 1024) * 700 + 500;
  store_corners(fx, {
                        left_u + 600,
                        top_v,
                        std::cos(fx.phase17 * PI / 4096) * 600 - 600,
                        top_v,
                        left_u + 600,
                        std::sin(fx.phase29 * PI / 4096) * 900 - 500,
                        left_u - 600,
                        std::sin(fx.phase17 * PI / 4096) * 700 - 500,
                    });
}

} // namespace d32
