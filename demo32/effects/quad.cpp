// Quad texture mapper: the XOR texture interpolated between four corner
// texture coordinates, stepped down the left and right edges
// and then across each row.
#include <algorithm>

#include "common/simd_clones.h"
#include "demo32/effects/effects.h"

namespace d32 {

namespace {

// (to - from) / n on 16.16 values that wrap modulo 2^32; n > 0.
uint32_t wrapped_step(uint32_t from, uint32_t to, int32_t n) {
  return static_cast<uint32_t>(static_cast<int32_t>(to - from) / n);
}

} // namespace

SIMD_CLONES void draw_quad(uint32_t *pixels, const QuadCorners &corners, int32_t x, int32_t y,
                           int32_t w, int32_t h) {
  // The edge and row steps divide by h and w.
  if (w <= 0 || h <= 0)
    return;

  // Visible part of the rectangle. Only right and bottom clipping is ever needed
  // by the show; clipping on the left and top as well keeps any call inside the
  // surface and shows exactly the part of the full quad that is on screen.
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + w, SCREEN_WIDTH);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + h, SCREEN_HEIGHT);
  if (left >= right || top >= bottom)
    return;

  const int32_t *c = corners.uv; // u,v of top-left, top-right, bottom-left, bottom-right
  const auto corner = [c](int k) { return static_cast<uint32_t>(c[k]); };
  uint32_t left_u = corner(0);
  uint32_t left_v = corner(1);
  uint32_t right_u = corner(2);
  uint32_t right_v = corner(3);
  const uint32_t left_u_step = wrapped_step(corner(0), corner(4), h);
  const uint32_t left_v_step = wrapped_step(corner(1), corner(5), h);
  const uint32_t right_u_step = wrapped_step(corner(2), corner(6), h);
  const uint32_t right_v_step = wrapped_step(corner(3), corner(7), h);

  // Rows above the surface only advance the edges (k additions = one product mod 2^32).
  const uint32_t skipped_rows = static_cast<uint32_t>(top - y);
  left_u += skipped_rows * left_u_step;
  left_v += skipped_rows * left_v_step;
  right_u += skipped_rows * right_u_step;
  right_v += skipped_rows * right_v_step;
  const uint32_t skipped_cols = static_cast<uint32_t>(left - x);

  for (int64_t row = top; row < bottom; ++row) {
    // Divided by the requested width even when the row is clipped, so the
    // texture keeps its stretch and is cut off rather than squeezed.
    const uint32_t du = wrapped_step(left_u, right_u, w);
    const uint32_t dv = wrapped_step(left_v, right_v, w);
    uint32_t u = left_u + skipped_cols * du;
    uint32_t v = left_v + skipped_cols * dv;
    uint32_t *out = pixels + row * SCREEN_WIDTH;
    for (int64_t col = left; col < right; ++col) {
      // The XOR is taken on the full 16.16 values and the signed division
      // truncates toward zero, so a negative XOR rounds up, not down.
      out[col] = static_cast<uint32_t>(static_cast<int32_t>(u ^ v) / 65536) & 0xFFu;
      u += du;
      v += dv;
    }
    left_u += left_u_step;
    left_v += left_v_step;
    right_u += right_u_step;
    right_v += right_v_step;
  }
}

} // namespace d32
