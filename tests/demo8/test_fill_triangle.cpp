#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "demo8/effects/effects.h"

namespace {

using namespace d8;

constexpr uint8_t BACKGROUND = 0x7F;
constexpr uint16_t MARK = 0x80FD; // clear bit 1, set bit 7: 0x7F becomes 0xFD

struct Screen {
  static constexpr int PITCH = 336; // wider than the picture, to catch overruns
  std::vector<uint8_t> pixels = std::vector<uint8_t>(PITCH * 240, BACKGROUND);
  Surface8 surface() { return Surface8{pixels.data(), PITCH}; }
  uint8_t at(int x, int y) const { return pixels[y * PITCH + x]; }
  bool filled(int x, int y) const { return at(x, y) == 0xFD; }
  int count() const {
    int n = 0;
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x)
        n += filled(x, y);
    return n;
  }
  int row_count(int y) const {
    int n = 0;
    for (int x = 0; x < 320; ++x)
      n += filled(x, y);
    return n;
  }
};

TEST(FillTriangle, ColourWordIsAndMaskThenOrValue) {
  Screen sc;
  fill_triangle(sc.surface(), 0, 0, 10, 0, 0, 10, 0x80F7);
  EXPECT_EQ(sc.at(0, 0), 0xF7); // (0x7F & 0xF7) | 0x80
  fill_triangle(sc.surface(), 0, 0, 10, 0, 0, 10, 0x00BF);
  EXPECT_EQ(sc.at(0, 0), 0xB7); // bit 7 set earlier is kept
}

TEST(FillTriangle, DegenerateTriangleDrawsNothing) {
  Screen sc;
  fill_triangle(sc.surface(), 5, 50, 200, 50, 100, 50, MARK);
  EXPECT_EQ(sc.count(), 0);
}

TEST(FillTriangle, FlatTopHasOnlyTheLowerPart) {
  Screen sc;
  fill_triangle(sc.surface(), 10, 10, 20, 10, 10, 20, MARK);
  EXPECT_EQ(sc.row_count(10), 10); // columns 10..19: right end excluded
  EXPECT_TRUE(sc.filled(10, 10));
  EXPECT_FALSE(sc.filled(20, 10));
  EXPECT_EQ(sc.row_count(19), 1);
  EXPECT_EQ(sc.row_count(20), 0); // bottom row excluded
  EXPECT_EQ(sc.count(), 55);
}

TEST(FillTriangle, FlatBottomHasOnlyTheUpperPart) {
  Screen sc;
  fill_triangle(sc.surface(), 10, 10, 10, 20, 20, 20, MARK);
  EXPECT_EQ(sc.row_count(9), 0);
  EXPECT_EQ(sc.row_count(10), 0); // left and right ends meet: empty span
  EXPECT_EQ(sc.row_count(11), 1);
  EXPECT_EQ(sc.row_count(19), 9);
  EXPECT_EQ(sc.row_count(20), 0);
  EXPECT_EQ(sc.count(), 45);
}

TEST(FillTriangle, SingleRow) {
  Screen sc;
  fill_triangle(sc.surface(), 50, 6, 0, 5, 100, 5, MARK);
  EXPECT_EQ(sc.row_count(5), 100);
  EXPECT_EQ(sc.count(), 100);
}

TEST(FillTriangle, VertexOrderDoesNotMatter) {
  const int v[3][2] = {{30, 12}, {250, 80}, {90, 200}};
  const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  Screen first;
  fill_triangle(first.surface(), v[0][0], v[0][1], v[1][0], v[1][1], v[2][0], v[2][1], MARK);
  for (const auto &o : orders) {
    Screen sc;
    fill_triangle(sc.surface(), v[o[0]][0], v[o[0]][1], v[o[1]][0], v[o[1]][1], v[o[2]][0],
                  v[o[2]][1], MARK);
    EXPECT_EQ(sc.pixels, first.pixels);
  }
}

TEST(FillTriangle, EdgesAreSteppedThroughRowsAboveTheScreen) {
  Screen sc;
  // Upper part from row -10 to 10; the long edge gains one column per row.
  fill_triangle(sc.surface(), 0, -10, 0, 10, 20, 10, MARK);
  EXPECT_EQ(sc.row_count(0), 10);
  EXPECT_EQ(sc.row_count(9), 19);
  EXPECT_EQ(sc.count(), 145);
  // Also when the whole upper part is hidden and the lower part continues.
  Screen lower;
  fill_triangle(lower.surface(), 0, -40, 40, -20, 0, 20, MARK);
  // Long edge x = 0; short edge from (40, -20) back to (0, 20): at row 0 it
  // has covered half the way, so the span is columns 0..19.
  EXPECT_EQ(lower.row_count(0), 20);
  EXPECT_EQ(lower.row_count(19), 1);
  EXPECT_EQ(lower.row_count(20), 0);
}

TEST(FillTriangle, ColumnThreeNineteenIsNeverFilled) {
  Screen sc;
  fill_triangle(sc.surface(), -500, -500, 5000, 0, -500, 5000, MARK);
  for (int y = 0; y < 240; ++y) {
    ASSERT_TRUE(sc.filled(0, y)) << y;
    ASSERT_TRUE(sc.filled(318, y)) << y;
    ASSERT_FALSE(sc.filled(319, y)) << y;
    for (int x = 320; x < Screen::PITCH; ++x) {
      ASSERT_EQ(sc.at(x, y), BACKGROUND);
    }
  }
}

TEST(FillTriangle, SlopesDivideTowardZero) {
  Screen sc;
  // Long edge from (100, 0) to (99, 255): step -256/255 is -1, not -2, so the
  // left end stays at column 99 down the whole screen.
  fill_triangle(sc.surface(), 100, 0, 200, 255, 99, 255, MARK);
  for (int y : {1, 128, 200, 239}) {
    EXPECT_TRUE(sc.filled(99, y)) << y;
    EXPECT_FALSE(sc.filled(98, y)) << y;
  }
}

// The plain filler, stepping every row however far off screen: the
// definition that the clipped one must match.
void reference_fill(std::vector<uint8_t> &px, int pitch, int64_t x0, int64_t y0, int64_t x1,
                    int64_t y1, int64_t x2, int64_t y2, uint16_t colour) {
  if (y2 < y0)
    std::swap(x0, x2), std::swap(y0, y2);
  if (y1 < y0)
    std::swap(x0, x1), std::swap(y0, y1);
  if (y2 < y1)
    std::swap(x1, x2), std::swap(y1, y2);
  if (y2 == y0)
    return;
  auto span = [&](int64_t y, int64_t xs, int64_t xl) {
    if (y < 0 || y > 239)
      return;
    int64_t l = std::clamp<int64_t>(std::min(xs / 256, xl / 256), 0, 319);
    int64_t r = std::clamp<int64_t>(std::max(xs / 256, xl / 256), 0, 319);
    for (int64_t x = l; x < r; ++x) {
      uint8_t &p = px[y * pitch + x];
      p = static_cast<uint8_t>((p & (colour & 0xFF)) | (colour >> 8));
    }
  };
  int64_t xl = x0 * 256, sl = (x2 - x0) * 256 / (y2 - y0);
  if (y1 != y0) {
    int64_t xs = x0 * 256, ss = (x1 - x0) * 256 / (y1 - y0);
    for (int64_t y = y0; y < y1; ++y, xs += ss, xl += sl)
      span(y, xs, xl);
  }
  if (y2 != y1) {
    int64_t xs = x1 * 256, ss = (x2 - x1) * 256 / (y2 - y1);
    for (int64_t y = y1; y < y2; ++y, xs += ss, xl += sl)
      span(y, xs, xl);
  }
}

TEST(FillTriangle, MatchesRowByRowSteppingAnywhere) {
  // Small triangles give spans of every short length; a patterned background
  // shows a pixel filtered in the wrong place or written outside the span.
  std::mt19937 rng(8);
  std::vector<uint8_t> pattern(Screen::PITCH * 240);
  for (uint8_t &p : pattern)
    p = static_cast<uint8_t>(rng());
  for (int range : {20, 400, 3000}) {
    std::uniform_int_distribution<int> coord(-range, range);
    for (int n = 0; n < 400; ++n) {
      int v[6];
      for (int &c : v)
        c = coord(rng);
      if (range == 20) // around the middle and the right edge of the screen
        for (int k = 0; k < 6; k += 2)
          v[k] += n % 2 == 0 ? 160 : 315, v[k + 1] += 120;
      const uint16_t colour = static_cast<uint16_t>(0x80FF ^ (2 << (n % 6)));
      Screen sc;
      sc.pixels = pattern;
      fill_triangle(sc.surface(), v[0], v[1], v[2], v[3], v[4], v[5], colour);
      std::vector<uint8_t> expected = pattern;
      reference_fill(expected, Screen::PITCH, v[0], v[1], v[2], v[3], v[4], v[5], colour);
      ASSERT_EQ(sc.pixels, expected)
          << v[0] << "," << v[1] << " " << v[2] << "," << v[3] << " " << v[4] << "," << v[5];
    }
  }
}

TEST(FillTriangle, HugeCoordinatesAreSafe) {
  Screen sc;
  const int32_t big = 2000000000;
  fill_triangle(sc.surface(), -big, -big, big, 100, -big, big, MARK);
  fill_triangle(sc.surface(), big, -big, big, big, -big, 0, MARK);
  // Both cover the middle of the screen.
  EXPECT_TRUE(sc.filled(160, 120));
  EXPECT_FALSE(sc.filled(319, 120));
}

} // namespace
