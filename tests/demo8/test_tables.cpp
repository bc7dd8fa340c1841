#include <gtest/gtest.h>

#include <memory>

#include "demo8/effects/effects.h"

namespace {

using d8::Tables;

// Table entry for the point (x, y) relative to the centre.
struct Polar {
  const Tables &t;
  int depth(int x, int y) const { return t.depth_table[y + 90][x + 120]; }
  int angle(int x, int y) const { return t.angle_table[y + 90][x + 120]; }
  int radius(int x, int y) const { return t.radius_table[y + 90][x + 120]; }
};

class PolarTables : public ::testing::Test {
protected:
  void SetUp() override { d8::build_polar_tables(*tables); }
  std::unique_ptr<Tables> tables = std::make_unique<Tables>();
  Polar p{*tables};
};

TEST_F(PolarTables, DepthKeepsOnlyTheLowByteNearTheCentre) {
  EXPECT_EQ(p.depth(0, 0), 208);     // 2000 wrapped
  EXPECT_EQ(p.depth(1, 0), 232);     // 1000 wrapped
  EXPECT_EQ(p.depth(-120, -90), 13); // the far corner, rho = 150
  // Beyond rho 6.8 the depth no longer wraps and falls steadily outward.
  for (int x = 7; x < 119; ++x) {
    EXPECT_GE(p.depth(x, 0), p.depth(x + 1, 0)) << x;
  }
}

TEST_F(PolarTables, AngleTakesTheHorizontalCoordinateFirst) {
  EXPECT_EQ(p.angle(0, 0), 0);
  EXPECT_EQ(p.angle(0, 50), 0);    // straight down
  EXPECT_EQ(p.angle(0, -50), 0);   // straight up: 256 wrapped
  EXPECT_EQ(p.angle(30, 0), 128);  // right
  EXPECT_EQ(p.angle(-30, 0), 128); // left: -128 keeps its low byte
  EXPECT_EQ(p.angle(1, 1), 64);
  EXPECT_EQ(p.angle(-1, 1), 192); // -64
  // Either side of straight up, +256 and -256 meet without a seam.
  EXPECT_EQ(p.angle(1, -89), 255);
  EXPECT_EQ(p.angle(-1, -89), 1);
}

TEST_F(PolarTables, RadiusRestartsEvery128) {
  EXPECT_EQ(p.radius(0, 0), 0);
  EXPECT_EQ(p.radius(3, 4), 5);
  EXPECT_EQ(p.radius(4, 4), 5); // 5.66 truncated
  EXPECT_EQ(p.radius(-120, -90), 150 - 128);
  for (int r = 0; r < 180; ++r) {
    for (int c = 0; c < 240; ++c) {
      ASSERT_LT(tables->radius_table[r][c], 128);
    }
  }
}

} // namespace
