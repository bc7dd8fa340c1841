#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "demo32/effects/effects.h"

namespace {

using d32::EffectState;

struct Camera {
  int64_t cu, cv, du, dv;
};

Camera camera_of(const EffectState &fx) {
  const double pi = d32::PI;
  const double z = std::sin(fx.phases.phase6 * pi / 1024) + 1.2;
  const double a = fx.phases.phase4 * pi / 1024;
  return {static_cast<int64_t>(std::cos(fx.phases.phase17 * pi / 4096) * 500 * 65536),
          static_cast<int64_t>(std::sin(fx.phases.phase29 * pi / 4096) * 500 * 65536),
          static_cast<int64_t>(z * std::cos(a) * 65536),
          static_cast<int64_t>(z * std::sin(a) * 65536)};
}

// Closed form of the pixel at (x, y), in 64 bits and then wrapped to 32.
uint32_t oracle_pixel(const Camera &c, int x, int y) {
  const int64_t u = c.cu + (x - 159) * c.du - (y - 119) * c.dv;
  const int64_t v = c.cv + (x - 159) * c.dv + (y - 119) * c.du;
  const int32_t u32 = static_cast<int32_t>(static_cast<uint32_t>(u));
  const int32_t v32 = static_cast<int32_t>(static_cast<uint32_t>(v));
  return static_cast<uint32_t>((u32 / 65536) ^ (v32 / 65536)) & 0xFF;
}

std::vector<uint32_t> render(const EffectState &fx) {
  std::vector<uint32_t> frame(d32::SCREEN_PIXELS, 0xDEADBEEF);
  d32::draw_rotozoomer(frame.data(), fx.phases);
  return frame;
}

void expect_matches_oracle(const EffectState &fx) {
  const Camera c = camera_of(fx);
  const std::vector<uint32_t> frame = render(fx);
  int mismatches = 0;
  for (int y = 0; y < d32::SCREEN_HEIGHT; ++y)
    for (int x = 0; x < d32::SCREEN_WIDTH; ++x)
      if (frame[y * 320 + x] != oracle_pixel(c, x, y) && ++mismatches <= 5)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") phases " << fx.phases.phase17 << " "
                      << fx.phases.phase29 << " " << fx.phases.phase4 << " " << fx.phases.phase6;
  EXPECT_EQ(mismatches, 0);
}

TEST(Rotozoomer, AllPhasesZeroGivesKnownPixels) {
  const EffectState fx;
  const Camera c = camera_of(fx);
  EXPECT_EQ(c.cu, 32768000);
  EXPECT_EQ(c.cv, 0);
  EXPECT_EQ(c.du, 78643);
  EXPECT_EQ(c.dv, 0);
  const std::vector<uint32_t> frame = render(fx);
  EXPECT_EQ(frame[0], 71u);
  EXPECT_EQ(frame[119 * 320 + 159], 244u);
  EXPECT_EQ(frame[239 * 320 + 319], 60u);
  expect_matches_oracle(fx);
}

TEST(Rotozoomer, MatchesClosedFormOverManyPhases) {
  EffectState fx;
  // Walk the phases the way the effect clock does, sampling every 37th step,
  // plus a few hand-picked extremes of angle and zoom.
  for (int tick = 0; tick < 2000; tick += 37) {
    fx.phases.phase17 = (17 * tick) & 0x1FFF;
    fx.phases.phase29 = (29 * tick) & 0x1FFF;
    fx.phases.phase4 = (4 * tick) & 0x7FF;
    fx.phases.phase6 = (6 * tick) & 0x7FF;
    expect_matches_oracle(fx);
  }
  const int32_t extremes[][4] = {{2048, 4096, 512, 512}, // 90 degrees, widest zoom
                                 {0, 6144, 1024, 1536},  // 180 degrees, tightest zoom
                                 {8191, 8191, 2047, 2047},
                                 {4096, 2048, 1536, 0}};
  for (const auto &e : extremes) {
    fx.phases.phase17 = e[0];
    fx.phases.phase29 = e[1];
    fx.phases.phase4 = e[2];
    fx.phases.phase6 = e[3];
    expect_matches_oracle(fx);
  }
}

// The texel column through the origin is twice as wide because the division
// truncates toward zero; a floor (arithmetic shift) would make all equal.
TEST(Rotozoomer, OriginTexelIsTwiceAsWide) {
  EffectState fx;
  fx.phases.phase17 = 2048; // cos = 0: centre u on the origin
  fx.phases.phase29 = 0;    // sin = 0: centre v on the origin
  fx.phases.phase4 = 0;     // unrotated
  fx.phases.phase6 = 1536;  // zoom 0.2: du = 13107, about 5 pixels per texel
  ASSERT_EQ(camera_of(fx).du, 13107);
  const std::vector<uint32_t> frame = render(fx);
  const uint32_t *row = &frame[119 * 320]; // v = 0 on this row, so pixel = u texel
  auto run_length = [row](int start) {
    int n = 0;
    for (int x = start; x < 320 && row[x] == row[start]; ++x)
      ++n;
    return n;
  };
  EXPECT_EQ(row[159], 0u);
  EXPECT_EQ(row[153], 255u);      // texel -1 on the left
  EXPECT_EQ(run_length(154), 11); // texel 0: columns 154..164
  EXPECT_EQ(row[165], 1u);
  EXPECT_EQ(run_length(165), 5); // texel 1: columns 165..169
}

} // namespace
