#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "demo32/effects/effects.h"

namespace {

using d32::EffectState;
using d32::LensTables;

// The tables are 170 KB: build them once for the whole file.
const LensTables &tables() {
  static const std::unique_ptr<LensTables> lens = [] {
    auto t = std::make_unique<LensTables>();
    d32::build_lens_tables(*t);
    return t;
  }();
  return *lens;
}

std::pair<int, int> lens_at(int x, int y) {
  return {tables().lens_map[y][x][0], tables().lens_map[y][x][1]};
}

std::vector<uint32_t> draw(const EffectState &fx) {
  std::vector<uint32_t> frame(d32::SCREEN_PIXELS, 0xDEADBEEF);
  d32::draw_lens(frame.data(), fx.phases, tables());
  return frame;
}

// The per-pixel rule written out plainly.
uint32_t reference_pixel(const EffectState &fx, int x, int y) {
  const double pi = d32::PI;
  const int du = static_cast<int>(std::cos(fx.phases.phase4 * pi / 1024) * 64 * 256) / 256;
  const int dv = static_cast<int>(std::sin(fx.phases.phase6 * pi / 1024) * 64 * 256) / 256;
  const int lu = static_cast<int>(std::cos(fx.phases.phase17 * pi / 4096) * 100 + 64);
  const int lv = static_cast<int>(std::sin(fx.phases.phase29 * pi / 4096) * 100 + 64);
  const auto [mu, mv] = lens_at(x, y);
  const int u = (mu + du) & 127, v = (mv + dv) & 127;
  return tables().light_map[(v + lv) & 127][(u + lu) & 127] + ((u ^ v) & 63);
}

TEST(LensTables, LightMap) {
  const auto &light = tables().light_map;
  EXPECT_EQ(light[64][64], 191);
  EXPECT_EQ(light[64][0], 0); // distance 64: 191 - 192 clamps to 0
  EXPECT_EQ(light[64][1], 2); // distance 63
  EXPECT_EQ(light[0][0], 0);
  EXPECT_EQ(light[64][85], 128); // distance 21
  EXPECT_EQ(light[87][73], 116); // distance sqrt(610) = 24.698
  for (int i = 0; i < 128; ++i)
    for (int j = 0; j < 128; ++j)
      ASSERT_LE(light[i][j], 191);
}

TEST(LensTables, CentreCornerAndMagnifiedValues) {
  EXPECT_EQ(lens_at(160, 120), std::make_pair(64, 64));
  EXPECT_EQ(lens_at(170, 120), std::make_pair(70, 64)); // 10 * 0.6547 + 64
  EXPECT_EQ(lens_at(0, 0), std::make_pair(9, 23));      // f = 60 / sqrt(31500)
}

TEST(LensTables, RimPixelsMapToTheOrigin) {
  EXPECT_EQ(lens_at(154, 28), std::make_pair(0, 0));
  EXPECT_EQ(lens_at(166, 28), std::make_pair(0, 0));
  int on_rim = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      if ((x - 160) * (x - 160) + (y - 120) * (y - 120) == 8500) {
        ++on_rim;
        EXPECT_EQ(lens_at(x, y), std::make_pair(0, 0)) << x << "," << y;
      }
  EXPECT_EQ(on_rim, 32);
}

// The mapping is computed in single precision. These pixels come out
// differently in double precision:
// (130, 5): q = 5625, f = 0.8f; -30 * f = -24.00000036 rounds to -24.0f, so u = 40 (not 39).
// (4, 50): q = 20736, f = 60/144 as float; -156 * f = -64.9999985 rounds to -65.0f,
//          so u = trunc(-1.0f) = -1, masked to 127 (not 0).
// (80, 10): q = 10000, f = 0.6f; v = trunc(-2.0f) = -2, masked to 126.
TEST(LensTables, SinglePrecisionMapping) {
  EXPECT_EQ(lens_at(130, 5), std::make_pair(40, 100));
  EXPECT_EQ(lens_at(4, 50), std::make_pair(127, 34));
  EXPECT_EQ(lens_at(80, 10), std::make_pair(16, 126));
  EXPECT_EQ(lens_at(142, 19), std::make_pair(40, 58));
}

// Off the rim q >= 1, so the value converted to int stays small.
TEST(LensTables, ConvertedValuesAreBoundedOffTheRim) {
  float largest = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      const int q = std::abs(8500 - (y - 120) * (y - 120) - (x - 160) * (x - 160));
      if (q == 0)
        continue;
      const float f = static_cast<float>(60 / std::sqrt(static_cast<double>(q)));
      largest = std::max({largest, std::fabs(static_cast<float>(x - 160) * f + 64.0f),
                          std::fabs(static_cast<float>(y - 120) * f + 64.0f)});
    }
  EXPECT_LT(largest, 9664.0f);
}

TEST(Lens, KnownPixelsWithLightOverTheOrigin) {
  EffectState fx;
  fx.phases.phase4 = 512;   // cos = 0: no horizontal scroll
  fx.phases.phase6 = 0;     // sin = 0: no vertical scroll
  fx.phases.phase17 = 2048; // light at (64, 64): over texel (0, 0)
  fx.phases.phase29 = 0;
  const std::vector<uint32_t> frame = draw(fx);
  EXPECT_EQ(frame[28 * 320 + 154], 191u); // rim pixel shows texel (0, 0) at full light
  EXPECT_EQ(frame[120 * 320 + 160], 0u);  // texel (64, 64): no light, XOR 0
  EXPECT_EQ(frame[0], 146u);              // texel (9, 23): light 116 + XOR 30
}

TEST(Lens, MatchesReferenceOverManyPhases) {
  EffectState fx;
  for (int tick = 0; tick < 3000; tick += 131) {
    fx.phases.phase17 = (17 * tick) & 0x1FFF;
    fx.phases.phase29 = (29 * tick) & 0x1FFF;
    fx.phases.phase4 = (4 * tick) & 0x7FF;
    fx.phases.phase6 = (6 * tick) & 0x7FF;
    const std::vector<uint32_t> frame = draw(fx);
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x)
        ASSERT_EQ(frame[y * 320 + x], reference_pixel(fx, x, y))
            << x << "," << y << " at tick " << tick;
  }
}

TEST(Lens, PixelsAreBlueAndAtMost254) {
  EffectState fx;
  uint32_t brightest = 0;
  for (int tick = 0; tick < 2048; tick += 29) {
    fx.phases.phase17 = (17 * tick) & 0x1FFF;
    fx.phases.phase29 = (29 * tick) & 0x1FFF;
    fx.phases.phase4 = (4 * tick) & 0x7FF;
    fx.phases.phase6 = (6 * tick) & 0x7FF;
    for (uint32_t p : draw(fx)) {
      ASSERT_LE(p, 254u);
      brightest = std::max(brightest, p);
    }
  }
  EXPECT_GT(brightest, 191u); // light and pattern do add up
}

} // namespace
