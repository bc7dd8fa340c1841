#include <gtest/gtest.h>

#include <vector>

#include "demo8/effects/effects.h"

namespace {

using namespace d8;

TEST(RotozoomParams, StepsAtKnownFrames) {
  RotozoomParams p = rotozoom_params(288);
  EXPECT_EQ(p.du, 5792);
  EXPECT_EQ(p.dv, 5792);
  // Not 4096: the short pi and the truncation shave one unit off.
  p = rotozoom_params(320);
  EXPECT_EQ(p.du, 4095);
  EXPECT_EQ(p.dv, 0);
  p = rotozoom_params(575);
  EXPECT_EQ(p.du, 821);
  EXPECT_EQ(p.dv, 20);
  // Negative steps truncate toward zero too.
  p = rotozoom_params(450);
  EXPECT_EQ(p.du, -1349); // -1349.63
  EXPECT_EQ(p.dv, 66);
}

// The pixel in closed form: the plane's origin is one step above and to the
// left of the top-left pixel.
uint8_t closed_form(int32_t x, int32_t y, RotozoomParams p) {
  const int64_t a = int64_t(y + 1) * p.dv + int64_t(x + 1) * p.du;
  const int64_t b = int64_t(x + 1) * p.dv - int64_t(y + 1) * p.du;
  return static_cast<uint8_t>(((a ^ b) >> 12) & 127);
}

TEST(RotozoomRow, MatchesTheClosedFormOverThePhase) {
  std::vector<uint8_t> pixels(320 * 240 + 80, 0xEE);
  Surface8 s{pixels.data(), 320};
  for (int32_t t = 288; t <= 575; t += 7) {
    const RotozoomParams p = rotozoom_params(t);
    for (int32_t y : {1, 2, 119, 239}) {
      // The row accumulators as the scene advances them, one step per row.
      const int32_t a = (y + 1) * p.dv;
      const int32_t b = -(y + 1) * p.du;
      draw_rotozoom_row(s, y, a, b, p);
      for (int32_t x = 0; x < 320; ++x) {
        ASSERT_EQ(pixels[y * 320 + x], closed_form(x, y, p)) << t << " " << x << "," << y;
      }
    }
  }
  // Nothing past the last row was written.
  for (size_t i = 320 * 240; i < pixels.size(); ++i) {
    ASSERT_EQ(pixels[i], 0xEE);
  }
}

} // namespace
