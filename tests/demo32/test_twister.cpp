#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "demo32/effects/effects.h"

namespace {

// What the effect reads: the moving state and the built tables.
struct EffectState : d32::EffectState {
  d32::EffectTables tables;
};
using d32::SCREEN_HEIGHT;
using d32::SCREEN_PIXELS;
using d32::SCREEN_WIDTH;

constexpr uint32_t UNTOUCHED = 0xDEADBEEF;

// The tables as the show builds them, and the three phases the bar reads.
std::unique_ptr<EffectState> twister_state(int32_t phase17, int32_t phase29, int32_t phase6) {
  static const auto built = [] {
    auto fx = std::make_unique<EffectState>();
    d32::init_effect_tables(*fx, fx->tables, 1);
    return fx;
  }();
  auto fx = std::make_unique<EffectState>(*built);
  fx->phases.phase17 = phase17;
  fx->phases.phase29 = phase29;
  fx->phases.phase6 = phase6;
  return fx;
}

std::vector<uint32_t> render(const EffectState &fx) {
  std::vector<uint32_t> frame(SCREEN_PIXELS, UNTOUCHED);
  d32::draw_twister(frame.data(), fx.phases, fx.tables);
  return frame;
}

std::vector<uint32_t> row_of(const std::vector<uint32_t> &frame, int y) {
  return {frame.begin() + y * SCREEN_WIDTH, frame.begin() + (y + 1) * SCREEN_WIDTH};
}

struct RowShape {
  int first = -1, last = -1; // written columns
  int written = 0;
};

RowShape shape_of(const std::vector<uint32_t> &row) {
  RowShape r;
  for (int x = 0; x < SCREEN_WIDTH; ++x) {
    if (row[x] == UNTOUCHED)
      continue;
    if (r.first < 0)
      r.first = x;
    r.last = x;
    ++r.written;
  }
  return r;
}

TEST(Twister, FirstRowAtPhaseZero) {
  const auto frame = render(*twister_state(0, 0, 0));
  const auto row = row_of(frame, 0);
  const RowShape shape = shape_of(row);
  EXPECT_EQ(shape.first, 96);
  EXPECT_EQ(shape.last, 224);
  EXPECT_EQ(shape.written, 129);
  EXPECT_EQ(row[160], 255u);
  EXPECT_EQ(row[128], 206u);
  EXPECT_EQ(row[192], 206u);
  EXPECT_EQ(row[96], 157u);
  EXPECT_EQ(row[224], 157u);
  // Only the blue byte is ever set, and never below the farthest shade.
  for (int x = 96; x <= 224; ++x) {
    EXPECT_LE(row[x], 255u);
    EXPECT_GE(row[x], 64u);
  }
}

TEST(Twister, NearFacesAreBrighter) {
  const auto fx = twister_state(0, 0, 0);
  const auto &shades = fx->tables.shade_ramp;
  EXPECT_EQ(shades[0], 255);
  EXPECT_EQ(shades[d32::SHADES - 1], 64);
  for (int j = 1; j < d32::SHADES; ++j)
    EXPECT_LT(shades[j], shades[j - 1]) << j;
}

TEST(Twister, UntwistedBarKeepsItsWidthAndSwaysToAndFro) {
  // sin(phase29) = 0: every row has the same angle; only the sway moves it.
  for (int32_t phase17 : {0, 2048}) {
    // A corner towards the viewer: wherever the sway puts the bar, it has
    // the same width, but for the truncation of its two sides.
    const auto frame = render(*twister_state(phase17, 0, 512));
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
      const RowShape shape = shape_of(row_of(frame, y));
      EXPECT_EQ(shape.written, shape.last - shape.first + 1) << "row " << y << " has a gap";
      EXPECT_TRUE(shape.written == 128 || shape.written == 129) << "row " << y;
    }
  }
  for (int32_t phase17 : {0, 100, 2047, 5000}) {
    // Row 0 through a whole swing of the sway: right while it rises (phase
    // -512 to 512), back while it falls, never a column the other way.
    RowShape before = shape_of(row_of(render(*twister_state(phase17, 0, -512)), 0));
    const RowShape leftmost = before;
    for (int32_t phase6 = -511; phase6 <= 1536; ++phase6) {
      const RowShape now = shape_of(row_of(render(*twister_state(phase17, 0, phase6)), 0));
      if (phase6 <= 512) {
        ASSERT_TRUE(now.first >= before.first && now.last >= before.last) << phase6;
      } else {
        ASSERT_TRUE(now.first <= before.first && now.last <= before.last) << phase6;
      }
      before = now;
    }
    // From one side of the centre to the other.
    const RowShape rightmost = shape_of(row_of(render(*twister_state(phase17, 0, 512)), 0));
    EXPECT_LT(leftmost.first + leftmost.last, 2 * (160 - 16)) << phase17;
    EXPECT_GT(rightmost.first + rightmost.last, 2 * (160 + 16)) << phase17;
  }
}

// Angle and twist turned the other way, and the sway half a turn on: the bar
// is its own mirror image about column 160 (column x becomes 320 - x). Its
// outline and its nearest shade are exact; the shades along a face may differ
// by the truncation of the depth walked from the other end.
TEST(Twister, NegatedAngleTwistAndSwayMirrorTheBar) {
  uint32_t seed = 7;
  for (int k = 0; k < 300; ++k) {
    seed = seed * 1664525u + 1013904223u;
    const int32_t phase17 = seed >> 8 & 0x1FFF;
    const int32_t phase29 = k % 3 == 0 ? 0 : seed >> 4 & 0x1FFF;
    const int32_t phase6 = seed >> 21 & 0x7FF;
    const auto frame = render(*twister_state(phase17, phase29, phase6));
    const auto mirror = render(*twister_state(-phase17, -phase29, phase6 + 1024));
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
      const auto row = row_of(frame, y);
      const auto other = row_of(mirror, y);
      const RowShape a = shape_of(row);
      const RowShape b = shape_of(other);
      ASSERT_EQ(b.first, 320 - a.last)
          << phase17 << " " << phase29 << " " << phase6 << " row " << y;
      ASSERT_EQ(b.last, 320 - a.first)
          << phase17 << " " << phase29 << " " << phase6 << " row " << y;
      ASSERT_EQ(b.written, a.written);
      uint32_t nearest = 0;
      uint32_t nearest_mirrored = 0;
      for (int x = a.first; x <= a.last; ++x) {
        nearest = std::max(nearest, row[x]);
        nearest_mirrored = std::max(nearest_mirrored, other[320 - x]);
      }
      ASSERT_EQ(nearest, nearest_mirrored) << phase17 << " " << phase29 << " " << phase6;
    }
  }
}

TEST(Twister, QuarterTurnTwistShowsAFlatFrontFace) {
  // phase29 = 2048 turns each row 64 units further, so row 64 is at 45
  // degrees; phase6 puts that row at zero sway. One face is seen square on:
  // one depth, one shade, centred on the screen.
  const auto frame = render(*twister_state(0, 2048, 2048 - 6 * 64));
  const auto row = row_of(frame, 64);
  const RowShape shape = shape_of(row);
  EXPECT_EQ(shape.written, shape.last - shape.first + 1);
  EXPECT_EQ(shape.first + shape.last, 320);
  EXPECT_GT(shape.written, 100);
  for (int x = shape.first; x <= shape.last; ++x)
    EXPECT_EQ(row[x], row[160]) << "column " << x;
}

TEST(Twister, TwistAccumulatesWithTruncationTowardZero) {
  // phase29 = 8092 gives a twist of about -4.9 units per row; truncation
  // toward zero makes each step -4, so row 120 sits at a = -480. The same
  // angle as a start value (32288 = -480 + one full turn) with the sway
  // phase advanced by 120 rows must reproduce that row.
  const auto twisted = render(*twister_state(0, 8092, 0));
  const auto same = render(*twister_state(32288 / 4, 0, 6 * 120));
  EXPECT_EQ(row_of(twisted, 120), row_of(same, 0));
  // Rounding down instead would have reached a = -600.
  const auto floored = render(*twister_state(32168 / 4, 0, 6 * 120));
  EXPECT_NE(row_of(twisted, 120), row_of(floored, 0));
}

TEST(Twister, EveryRowStaysInsideItsBounds) {
  for (int32_t p : {0, 1000, 2047, 4095, 6000, 8191}) {
    const auto fx = twister_state(p, (p * 7) & 0x1FFF, p & 0x7FF);
    const auto &shades = fx->tables.shade_ramp;
    const auto frame = render(*fx);
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
      const RowShape shape = shape_of(row_of(frame, y));
      EXPECT_EQ(shape.written, shape.last - shape.first + 1) << "row " << y;
      EXPECT_GE(shape.first, 160 - 128);
      EXPECT_LE(shape.last, 160 + 128);
      for (int x = shape.first; x <= shape.last; ++x) {
        const uint32_t v = frame[y * SCREEN_WIDTH + x];
        EXPECT_TRUE(std::find(std::begin(shades), std::end(shades), v) != std::end(shades))
            << "pixel (" << x << ", " << y << ") = " << v;
      }
    }
  }
}

// The bar drawn the plain way: each face walked from a to b with running
// 16.16 sums and a branch per column.
std::vector<uint32_t> reference_twister(const EffectState &fx) {
  std::vector<uint32_t> frame(SCREEN_PIXELS, UNTOUCHED);
  const double pi = d32::PI;
  int32_t a = 4 * fx.phases.phase17;
  int32_t w = fx.phases.phase6;
  const double twist = 64 * std::sin(fx.phases.phase29 * pi / 4096);
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    uint8_t depth[SCREEN_WIDTH];
    std::fill(std::begin(depth), std::end(depth), 255);
    const int s = static_cast<int>(std::sin(a * pi / 16384) * 5120);
    const int c = static_cast<int>(std::cos(a * pi / 16384) * 5120);
    const int sway = static_cast<int>(std::sin(w * pi / 1024) * 2560);
    w += 6;
    a = static_cast<int32_t>(a + twist);
    const int corner[4][2] = {
        {s + sway, 20480 + c}, {c + sway, 20480 - s}, {sway - s, 20480 - c}, {sway - c, 20480 + s}};
    int x[4], dz[4];
    for (int k = 0; k < 4; ++k) {
      x[k] = corner[k][0] * 256 / corner[k][1];
      dz[k] = corner[k][1] / 256;
    }
    for (int k = 0; k < 4; ++k) {
      const int x0 = x[k], x1 = x[(k + 1) % 4], d0 = dz[k], d1 = dz[(k + 1) % 4];
      const int n = std::max(std::abs(x1 - x0), 1);
      const int sx = (x1 - x0) * 65536 / n, sd = (d1 - d0) * 65536 / n;
      for (int i = 0, ax = 0, ad = 0; i < n; ++i, ax += sx, ad += sd) {
        const int col = 160 + x0 + ax / 65536, d = d0 + ad / 65536;
        if (col >= 0 && col < SCREEN_WIDTH && depth[col] > d) {
          depth[col] = static_cast<uint8_t>(d);
          frame[y * SCREEN_WIDTH + col] =
              static_cast<uint32_t>(fx.tables.shade_ramp[std::clamp(d - 60, 0, 39)]);
        }
      }
    }
  }
  return frame;
}

TEST(Twister, MatchesThePlainLoopOverManyPhases) {
  // Phases as the effect clock keeps them; 1,000 triples cover every twist
  // direction and turn of the bar, faces walked both ways.
  uint32_t seed = 19;
  for (int k = 0; k < 1000; ++k) {
    seed = seed * 1664525u + 1013904223u;
    const auto fx = twister_state(seed >> 8 & 0x1FFF, seed >> 4 & 0x1FFF, seed >> 21 & 0x7FF);
    ASSERT_EQ(render(*fx), reference_twister(*fx))
        << fx->phases.phase17 << " " << fx->phases.phase29 << " " << fx->phases.phase6;
  }
}

} // namespace
