#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "demo32/timeline/corner_sets.h"

namespace {

using d32::CornerSet;
using d32::PI;

// The counters a corner set reads and the corners it gives.
struct EffectState {
  d32::Phases phases;
  int32_t quad_corners[8] = {};
};

void set_corners(EffectState &fx, CornerSet set) {
  const d32::QuadCorners q = d32::quad_corners(set, fx.phases);
  std::copy(q.uv, q.uv + 8, fx.quad_corners);
}

EffectState with_phases(int32_t p17, int32_t p29, int32_t p4, int32_t p6) {
  EffectState fx;
  fx.phases.phase17 = p17;
  fx.phases.phase29 = p29;
  fx.phases.phase4 = p4;
  fx.phases.phase6 = p6;
  return fx;
}

void expect_corners(const EffectState &fx, const int32_t (&expected)[8]) {
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(fx.quad_corners[i], expected[i]) << "corner word " << i;
}

TEST(CornerSetR, UnrotatedStartValues) {
  // Centre (32768000, 0), zoom 1.2 with no turn: U = 78643, V = 0.
  EffectState fx = with_phases(0, 0, 0, 0);
  set_corners(fx, CornerSet::SLANTED_ROTATION);
  expect_corners(fx,
                 {-11272080, -9437160, 76808080, -9437160, 20185120, 25165760, 45350880, 25165760});
}

TEST(CornerSetR, CornersAreThePlainRotationAtFourScreenPoints) {
  // Screen point (x, y) of the rotation about (a, b) placed at (160, 120).
  const int32_t states[][4] = {{0, 0, 0, 0},
                               {17, 29, 4, 6},
                               {4096, 2048, 512, 1536},
                               {8191, 8191, 2047, 2047},
                               {1234, 5678, 1000, 333},
                               {6000, 100, 1536, 512}};
  const int32_t points[4][2] = {{-400, 0}, {720, 0}, {0, 440}, {320, 440}};
  for (const auto &s : states) {
    EffectState fx = with_phases(s[0], s[1], s[2], s[3]);
    set_corners(fx, CornerSet::SLANTED_ROTATION);

    const int64_t a = static_cast<int32_t>(std::cos(s[0] * PI / 4096) * 500 * 65536);
    const int64_t b = static_cast<int32_t>(std::sin(s[1] * PI / 4096) * 500 * 65536);
    const double z = std::sin(s[3] * PI / 1024) + 1.2;
    const int64_t u = static_cast<int32_t>(z * std::cos(s[2] * PI / 1024) * 65536);
    const int64_t v = static_cast<int32_t>(z * std::sin(s[2] * PI / 1024) * 65536);
    for (int c = 0; c < 4; ++c) {
      const int64_t dx = points[c][0] - 160, dy = points[c][1] - 120;
      EXPECT_EQ(fx.quad_corners[2 * c], static_cast<int32_t>(a + dx * u - dy * v)) << c;
      EXPECT_EQ(fx.quad_corners[2 * c + 1], static_cast<int32_t>(b + dx * v + dy * u)) << c;
    }
  }
}

TEST(CornerSetS, StartValuesAndTruncation) {
  EffectState fx = with_phases(0, 0, 0, 0);
  set_corners(fx, CornerSet::FOLD);
  expect_corners(
      fx, {-26214400, -39321600, -26214400, 39321600, 39321600, -39321600, -26214400, -39321600});

  // A quarter turn leaves c a hair above 0: -499.99.. truncates to -32767999.
  fx = with_phases(0, 0, 512, 0);
  set_corners(fx, CornerSet::FOLD);
  expect_corners(
      fx, {-32767999, -32768000, -32767999, 45875200, 32768000, -32768000, -26214400, -32768000});
}

TEST(CornerSetS, OnlyTheBottomRightFollowsPhase6) {
  EffectState a = with_phases(3000, 700, 300, 0);
  EffectState b = with_phases(3000, 700, 300, 900);
  set_corners(a, CornerSet::FOLD);
  set_corners(b, CornerSet::FOLD);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(a.quad_corners[i], b.quad_corners[i]) << i;
  EXPECT_NE(a.quad_corners[6], b.quad_corners[6]);
  EXPECT_EQ(a.quad_corners[7], b.quad_corners[7]);
}

TEST(CornerSetT, StartValues) {
  EffectState fx = with_phases(0, 0, 0, 0);
  set_corners(fx, CornerSet::WANDER);
  expect_corners(fx, {91750400, 32768000, 0, 32768000, 91750400, -32768000, 13107200, -32768000});
}

TEST(CornerSetT, EachCornerFollowsItsOwnCounters) {
  const EffectState base = with_phases(1000, 2000, 300, 400);
  EffectState fx = base;
  set_corners(fx, CornerSet::WANDER);
  int32_t reference[8];
  std::copy(fx.quad_corners, fx.quad_corners + 8, reference);

  // Which corner words change when one counter moves.
  const struct {
    int32_t d32::Phases::*counter;
    bool moves[8];
  } cases[] = {
      {&d32::Phases::phase17, {false, false, true, false, false, false, false, true}},
      {&d32::Phases::phase29, {false, false, false, false, false, true, false, false}},
      {&d32::Phases::phase4, {true, false, false, false, true, false, true, false}},
      {&d32::Phases::phase6, {false, true, false, true, false, false, false, false}},
  };
  for (const auto &c : cases) {
    EffectState moved = base;
    moved.phases.*c.counter += 100;
    set_corners(moved, CornerSet::WANDER);
    for (int i = 0; i < 8; ++i)
      EXPECT_EQ(moved.quad_corners[i] != reference[i], c.moves[i]) << "word " << i;
  }
}

TEST(CornerSetT, MatchesTheCornerPathsAtAQuarterTurn) {
  // phase4 = 512 and phase6 = 512: cos ~ 0, sin = 1.
  EffectState fx = with_phases(0, 0, 512, 512);
  set_corners(fx, CornerSet::WANDER);
  EXPECT_EQ(fx.quad_corners[0], 39321600);  // 600 plus a hair
  EXPECT_EQ(fx.quad_corners[1], 78643200);  // 700 + 500
  EXPECT_EQ(fx.quad_corners[6], -39321599); // -600 plus a hair, truncated toward zero
}

} // namespace
