#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "demo8/effects/effects.h"

namespace {

using namespace d8;

struct Tunnel : ::testing::Test {
  void SetUp() override { build_polar_tables(*tables); }
  std::unique_ptr<Tables> tables = std::make_unique<Tables>();
  std::vector<uint8_t> pixels = std::vector<uint8_t>(320 * 240, 0xEE);
  Surface8 s{pixels.data(), 320};
  uint8_t at(int x, int y) const { return pixels[y * 320 + x]; }

  void draw(int32_t t) {
    int32_t ox = 0, oy = 0;
    const TunnelParams p = tunnel_params(t, ox, oy);
    for (int32_t j = 0; j < 120; ++j) {
      draw_tunnel_row(s, *tables, j, t, ox, oy, p);
    }
  }
};

TEST_F(Tunnel, ParametersAtKnownFrames) {
  int32_t ox = 0, oy = 0;
  TunnelParams p = tunnel_params(0, ox, oy);
  EXPECT_EQ(ox, 40);
  EXPECT_EQ(oy, 20);
  EXPECT_EQ(p.k1, 0);
  EXPECT_EQ(p.k2, 0);

  // sin(pi/2) with the short pi falls just under 1, so -4 truncates to -3.
  p = tunnel_params(4, ox, oy);
  EXPECT_EQ(ox, 43);
  EXPECT_EQ(oy, 22);
  EXPECT_EQ(p.k1, -3);
  EXPECT_EQ(p.k2, 31);

  p = tunnel_params(100, ox, oy);
  EXPECT_EQ(ox, 72);
  EXPECT_EQ(oy, 15);
  EXPECT_EQ(p.k1, -99);
  EXPECT_EQ(p.k2, 31);

  // The values the cubes keep after the tunnel.
  p = tunnel_params(287, ox, oy);
  EXPECT_EQ(ox, 35);
  EXPECT_EQ(oy, 15);
  EXPECT_EQ(p.k1, 109);
  EXPECT_EQ(p.k2, -12);
}

TEST_F(Tunnel, CentreAtFrameZero) {
  draw(0);
  // Table point (0, 0) lies at window column 80, row 70: depth 208, angle 0.
  EXPECT_EQ(at(160, 141), 104);
  EXPECT_EQ(at(161, 141), 104);
}

TEST_F(Tunnel, NegativeTwistDividesTowardZero) {
  draw(100); // k1 = -99
  // d = 32, a = 73: a shift would round -24.75 down to -25 and give 101.
  EXPECT_EQ(at(2, 75), 106);
  EXPECT_EQ(at(3, 75), 106);
  // d = 38, a = 104: here the shift would give 113.
  EXPECT_EQ(at(0, 121), 112);
}

TEST_F(Tunnel, DrawsOnlyOddRowsInPixelPairs) {
  for (int32_t t : {0, 150, 287}) {
    std::fill(pixels.begin(), pixels.end(), 0xEE);
    draw(t);
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; x += 2) {
        if (y % 2 == 0) {
          ASSERT_EQ(at(x, y), 0xEE) << x << "," << y;
          ASSERT_EQ(at(x + 1, y), 0xEE);
        } else {
          ASSERT_LT(at(x, y), 128);
          ASSERT_EQ(at(x, y), at(x + 1, y)) << x << "," << y;
        }
      }
    }
  }
}

TEST_F(Tunnel, WindowStaysInsideTheTablesAllPhase) {
  for (int32_t t = 0; t <= 287; ++t) {
    int32_t ox = 0, oy = 0;
    tunnel_params(t, ox, oy);
    ASSERT_GE(ox, 1);
    ASSERT_LE(ox + 159, 239);
    ASSERT_GE(oy, 1);
    ASSERT_LE(oy + 119, 179);
  }
}

} // namespace
