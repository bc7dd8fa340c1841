#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "demo8/effects/effects.h"

namespace {

using namespace d8;

TEST(RingParams, OffsetsAtKnownFrames) {
  struct Case {
    int32_t t, x1, y1, x2, y2;
  };
  for (const Case c :
       {Case{896, 3, 27, 3, 12}, Case{1152, 76, 12, 76, 27}, Case{1535, 78, 1, 1, 1}}) {
    const RingParams p = ring_params(c.t);
    EXPECT_EQ(p.x1, c.x1) << c.t;
    EXPECT_EQ(p.y1, c.y1) << c.t;
    EXPECT_EQ(p.x2, c.x2) << c.t;
    EXPECT_EQ(p.y2, c.y2) << c.t;
  }
}

struct Rings : ::testing::Test {
  void SetUp() override { build_polar_tables(*tables); }
  std::unique_ptr<Tables> tables = std::make_unique<Tables>();
  std::vector<uint8_t> pixels = std::vector<uint8_t>(320 * 240, 0xEE);
  Surface8 s{pixels.data(), 320};
  uint8_t at(int x, int y) const { return pixels[y * 320 + x]; }

  void draw(RingParams p, bool banded) {
    for (int32_t j = 0; j < 120; ++j) {
      draw_rings_row(s, *tables, j, p, banded);
    }
  }
};

TEST_F(Rings, XorFormCombinesBothWindows) {
  const RingParams p{3, 27, 40, 12};
  draw(p, false);
  for (int32_t j : {0, 63, 119}) {
    for (int32_t i : {0, 80, 159}) {
      const int r1 = tables->radius_table[27 + j][3 + i];
      const int r2 = tables->radius_table[12 + j][40 + i];
      EXPECT_EQ(at(2 * i, 2 * j + 1), r1 ^ r2);
      EXPECT_EQ(at(2 * i + 1, 2 * j + 1), r1 ^ r2);
    }
  }
  // Even rows belong to the gradient, not to the rings.
  EXPECT_EQ(at(5, 0), 0xEE);
  EXPECT_EQ(at(5, 238), 0xEE);
}

TEST_F(Rings, BandedFormIsBlackOrFullColourOnly) {
  draw(ring_params(1000), true);
  int coloured = 0;
  for (int y = 1; y < 240; y += 2) {
    for (int x = 0; x < 320; ++x) {
      ASSERT_TRUE(at(x, y) == 0 || at(x, y) == 127) << x << "," << y;
      coloured += at(x, y) == 127;
    }
  }
  // Both bands really occur.
  EXPECT_GT(coloured, 2000);
  EXPECT_LT(coloured, 320 * 120 - 2000);
}

TEST_F(Rings, BitOneOfTheXorPicksTheBand) {
  // Window 1 puts the centre (radius 0) at screen (160, 121); window 2 is
  // shifted right by d, so the same pixel sees radius d there.
  for (const auto &[d, want] : {std::pair{1, 0}, {2, 127}, {3, 127}, {4, 0}, {6, 127}}) {
    draw(RingParams{40, 30, 40 + d, 30}, true);
    EXPECT_EQ(at(160, 121), want) << d;
    draw(RingParams{40, 30, 40 + d, 30}, false);
    EXPECT_EQ(at(160, 121), d) << d;
  }
}

TEST_F(Rings, CoincidingWindowsCancel) {
  const RingParams p{20, 10, 20, 10};
  for (bool banded : {true, false}) {
    std::fill(pixels.begin(), pixels.end(), 0xEE);
    draw(p, banded);
    for (int y = 1; y < 240; y += 2) {
      for (int x = 0; x < 320; ++x) {
        ASSERT_EQ(at(x, y), 0) << banded << " " << x << "," << y;
      }
    }
  }
}

TEST(RingParams, WindowsStayInsideTheTable) {
  for (int32_t t = 896; t <= 1535; ++t) {
    const RingParams p = ring_params(t);
    for (int32_t x : {p.x1, p.x2}) {
      ASSERT_GE(x, 0);
      ASSERT_LE(x + 159, 239);
    }
    for (int32_t y : {p.y1, p.y2}) {
      ASSERT_GE(y, 0);
      ASSERT_LE(y + 119, 179);
    }
  }
}

} // namespace
