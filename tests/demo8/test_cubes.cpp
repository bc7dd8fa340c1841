#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "demo8/effects/effects.h"

namespace {

using namespace d8;

TEST(CubeColour, BrightInFourFrameSpellsOutOfStepByCube) {
  auto bright = [](int32_t k, int32_t t) { return (cube_colour(k, t, 0) >> 8) == 0x80; };
  for (int32_t k = 0; k < 4; ++k) {
    EXPECT_TRUE(bright(k, 0)) << k; // all four start bright
  }
  EXPECT_FALSE(bright(3, 1)); // k + t = 4
  EXPECT_TRUE(bright(2, 1));
  EXPECT_FALSE(bright(0, 4));
  EXPECT_TRUE(bright(3, 5)); // k + t = 8
  for (int32_t t = 0; t < 64; ++t) {
    for (int32_t k = 0; k < 4; ++k) {
      ASSERT_EQ(bright(k, t), (k + t) % 8 < 4) << k << " " << t;
    }
  }
}

TEST(CubeColour, EachFaceClearsTwoBitsAndOppositeTrianglesShareOne) {
  EXPECT_EQ(cube_colour(0, 0, 0), 0x80FD);
  EXPECT_EQ(cube_colour(0, 0, 1), 0x80FB);
  EXPECT_EQ(cube_colour(0, 0, 5), 0x80BF);
  EXPECT_EQ(cube_colour(0, 0, 6), 0x80FD);
  EXPECT_EQ(cube_colour(0, 4, 11), 0x00BF);
  for (int32_t f = 0; f < 12; ++f) {
    // Every mask keeps bit 7, so the result does not depend on drawing order.
    EXPECT_NE(cube_colour(0, 0, f) & 0x80, 0);
  }
}

TEST(CubePose, FrameZero) {
  const CubePose p = cube_pose(0, 0, 40, 20);
  EXPECT_EQ(p.s, 0);
  EXPECT_EQ(p.c, 256);
  EXPECT_EQ(p.s2, 0);
  EXPECT_EQ(p.c2, 256);
  EXPECT_EQ(p.j, -100);
  EXPECT_EQ(p.n, 0);
  EXPECT_EQ(p.m, 0);
  const CubePose q = cube_pose(1, 0, 40, 20);
  EXPECT_EQ(q.j, 100);
  EXPECT_EQ(q.n, 38); // 100 sin(pi/8)
  EXPECT_EQ(q.m, 100);
}

TEST(CubePose, AfterTheTunnel) {
  const CubePose p = cube_pose(2, 300, 35, 15);
  EXPECT_EQ(p.s, 212);
  EXPECT_EQ(p.c, -142);
  EXPECT_EQ(p.s2, -144);
  EXPECT_EQ(p.c2, 211);
  EXPECT_EQ(p.j, 305);
  EXPECT_EQ(p.n, 24); // trunc(19.51 + 5)
  EXPECT_EQ(p.m, 200);
}

TEST(TransformVertex, TurnsThenTiltsWithTruncatingDivisions) {
  CubeVertex v = transform_vertex(CubeVertex{90, 90, 90}, cube_pose(0, 0, 40, 20));
  EXPECT_EQ(v.x, -10);
  EXPECT_EQ(v.y, 90);
  EXPECT_EQ(v.z, 90);
  // The turn gives -24.6, which must become -24 (a shift would give -25).
  v = transform_vertex(CubeVertex{-90, 90, -90}, cube_pose(2, 300, 35, 15));
  EXPECT_EQ(v.x, 281);
  EXPECT_EQ(v.y, 48);
  EXPECT_EQ(v.z, 366);
}

TEST(CubeGeometry, DepthDivisorStaysPositiveAllShow) {
  int32_t lowest = 1 << 30;
  for (int32_t t = 0; t <= 1567; ++t) {
    int32_t ox = 35, oy = 15;
    if (t <= 287) {
      tunnel_params(t, ox, oy);
    }
    for (int32_t k = 0; k < 4; ++k) {
      const CubePose p = cube_pose(k, t, ox, oy);
      for (const auto &tri : cube_triangles) {
        for (const CubeVertex &v : tri) {
          lowest = std::min(lowest, transform_vertex(v, p).z + 398);
        }
      }
    }
  }
  EXPECT_GE(lowest, 175);
}

// Pixel counts and a position-weighted sum of whole frames of cubes over a
// flat 0x7F background, from an independent model written from the same
// rules (Python, exact integer arithmetic).
struct Golden {
  int32_t t, ox, oy;
  int changed, bright;
  uint64_t weighted;
};

TEST(DrawCubes, WholeFramesMatchAnIndependentModel) {
  const Golden cases[] = {
      {0, 40, 20, 26542, 26542, 971777341},    {4, 43, 22, 27546, 0, 986236751},
      {37, 67, 38, 36064, 3525, 526314980},    {300, 35, 15, 27018, 0, 352251966},
      {1400, 35, 15, 30271, 30271, 207638226},
  };
  for (const Golden &g : cases) {
    std::vector<uint8_t> pixels(320 * 240, 0x7F);
    draw_cubes(Surface8{pixels.data(), 320}, g.t, g.ox, g.oy);
    int changed = 0, bright = 0;
    uint64_t weighted = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
      changed += pixels[i] != 0x7F;
      bright += pixels[i] >= 128;
      weighted = (weighted + (i + 1) * pixels[i]) % 1000000007;
    }
    EXPECT_EQ(changed, g.changed) << g.t;
    EXPECT_EQ(bright, g.bright) << g.t;
    EXPECT_EQ(weighted, g.weighted) << g.t;
  }
}

} // namespace
