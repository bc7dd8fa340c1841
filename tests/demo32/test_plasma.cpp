#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "demo32/effects/effects.h"

namespace {

// What the effect reads: the moving state and the built tables.
struct EffectState : d32::EffectState {
  d32::EffectTables tables;
};

constexpr uint32_t UNTOUCHED = 0xDEADBEEF;

// The oscillators' starting values and sine tables, built here from their
// definition so the plasma can be checked on its own.
EffectState initial_state() {
  static const d32::Oscillator start[16] = {
      {40, 321, 6, 3},    {32, 1000, -7, -9}, {20, 555, -3, 11},  {35, 720, 8, -17},
      {21, 525, 9, 5},    {60, 100, -4, -4},  {26, 257, 3, 7},    {20, 320, -5, 4},
      {43, 721, -8, -15}, {43, 500, -3, 12},  {20, 183, -5, 9},   {21, 220, 4, -10},
      {30, 521, -7, 17},  {41, 101, 10, 3},   {22, 200, 11, -11}, {34, 920, -6, -9}};
  EffectState fx;
  for (int c = 0; c < 16; ++c) {
    fx.plasma.oscillators[c] = start[c];
    const double a = start[c].amplitude;
    for (int j = 0; j < 1024; ++j)
      fx.tables.osc_table[c][j] = static_cast<int32_t>(a * std::sin(j * (2 * d32::PI / 1024)) + a);
  }
  return fx;
}

void advance_phases(EffectState &fx, int ticks) {
  for (int t = 0; t < ticks; ++t)
    for (d32::Oscillator &o : fx.plasma.oscillators)
      o.phase = (o.phase + o.speed) & 1023;
}

// The plasma computed the plain way: twelve lookups per pixel.
void reference_plasma(uint32_t *pixels, const EffectState &fx, int first_row, int end_row,
                      int set) {
  const d32::Oscillator *o = &fx.plasma.oscillators[4 * set];
  auto T = [&](int k, int phase, int acc) {
    return fx.tables.osc_table[4 * set + k][(phase + acc) & 1023];
  };
  const int P0 = o[0].phase, P1 = o[1].phase, P2 = o[2].phase, P3 = o[3].phase;
  int R0 = 0, R1 = 0, R2 = 0, R3 = 0;
  for (int y = first_row; y < end_row; ++y) {
    const int red_row = T(1, P1, R2) + T(3, P3, R0);
    const int green_row = T(3, P1, R1) + T(1, P0, R3);
    const int blue_row = T(0, P3, R0) + T(3, P0, R2);
    int C0 = 0, C1 = 0, C2 = 0, C3 = 0;
    for (int x = 0; x < 320; ++x) {
      const int red = T(2, P2, C1) + T(0, P0, C0) + red_row;
      const int green = T(0, P3, C2) + T(2, P2, C3) + green_row;
      const int blue = T(2, P2, C2) + T(1, P1, C1) + blue_row;
      pixels[y * 320 + x] = static_cast<uint32_t>(red * 65536 + green * 256 + blue);
      C0 += o[0].step;
      C1 += o[1].step;
      C2 += o[2].step;
      C3 += o[3].step;
    }
    R3 += o[0].step;
    R2 += o[1].step;
    R1 += o[2].step;
    R0 += o[3].step;
  }
}

std::vector<uint32_t> draw(const EffectState &fx, int first_row, int end_row, int set) {
  std::vector<uint32_t> frame(d32::SCREEN_PIXELS, UNTOUCHED);
  d32::draw_plasma(frame.data(), fx.plasma, fx.tables, first_row, end_row, set);
  return frame;
}

bool rows_equal(const std::vector<uint32_t> &a, int row_a, const std::vector<uint32_t> &b,
                int row_b) {
  return std::equal(a.begin() + row_a * 320, a.begin() + row_a * 320 + 320,
                    b.begin() + row_b * 320);
}

TEST(Plasma, FirstPixelOfSetZero) {
  const EffectState fx = initial_state();
  ASSERT_EQ(fx.tables.osc_table[0][256], 80); // the tables built above: 40, 80, 40, 0 at quarters
  ASSERT_EQ(fx.tables.osc_table[0][768], 0);
  const std::vector<uint32_t> frame = draw(fx, 0, 239, 0);
  EXPECT_EQ(frame[0], (118u << 16) | (105u << 8) | 109u);
  // Same sample wherever the band starts.
  EXPECT_EQ(draw(fx, 57, 58, 0)[57 * 320], frame[0]);
}

TEST(Plasma, EmptyBandsDrawNothing) {
  const EffectState fx = initial_state();
  const std::pair<int, int> bands[] = {{0, 0}, {120, 120}, {200, 100}, {240, 240}, {239, 0}};
  for (auto [first, end] : bands)
    for (int set = 0; set < 4; ++set)
      for (uint32_t p : draw(fx, first, end, set))
        ASSERT_EQ(p, UNTOUCHED) << first << ".." << end << " set " << set;
}

TEST(Plasma, MatchesReferenceForEverySetAndManyPhases) {
  EffectState fx = initial_state();
  std::vector<uint32_t> want(d32::SCREEN_PIXELS, UNTOUCHED);
  for (int round = 0; round < 12; ++round) {
    for (int set = 0; set < 4; ++set) {
      std::fill(want.begin(), want.end(), UNTOUCHED);
      reference_plasma(want.data(), fx, 0, 240, set);
      ASSERT_EQ(draw(fx, 0, 240, set), want) << "set " << set << " round " << round;
    }
    advance_phases(fx, 97);
  }
}

TEST(Plasma, BandPatternStartsAtItsFirstRow) {
  const EffectState fx = initial_state();
  for (int set = 0; set < 4; ++set) {
    const std::vector<uint32_t> full = draw(fx, 0, 239, set);
    const std::vector<uint32_t> band = draw(fx, 100, 239, set);
    for (int k = 0; k < 139; ++k)
      ASSERT_TRUE(rows_equal(band, 100 + k, full, k)) << "set " << set << " row " << k;
    for (int y = 0; y < 100; ++y)
      ASSERT_EQ(band[y * 320], UNTOUCHED);
  }
}

TEST(Plasma, LeavesRowsOutsideTheBandAlone) {
  const EffectState fx = initial_state();
  const std::vector<uint32_t> frame = draw(fx, 30, 239, 2);
  for (int x = 0; x < 320; ++x) {
    EXPECT_EQ(frame[29 * 320 + x], UNTOUCHED);
    EXPECT_NE(frame[30 * 320 + x], UNTOUCHED);
    EXPECT_NE(frame[238 * 320 + x], UNTOUCHED);
    EXPECT_EQ(frame[239 * 320 + x], UNTOUCHED);
  }
}

TEST(Plasma, OutOfRangeArgumentsStayOnTheSurface) {
  const EffectState fx = initial_state();
  const std::vector<uint32_t> full = draw(fx, 0, 240, 1);
  EXPECT_EQ(draw(fx, -10, 400, 1), full);
  for (int set : {-1, 4, 1000})
    for (uint32_t p : draw(fx, 0, 240, set))
      ASSERT_EQ(p, UNTOUCHED);
}

} // namespace
