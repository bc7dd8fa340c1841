#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "demo8/effects/effects.h"

namespace {

constexpr int W = d8::SCREEN_WIDTH;
constexpr int H = d8::SCREEN_HEIGHT;
constexpr uint8_t PADDING = 0xA5;

// A patterned screen, so that every inversion shows, with padding past
// column 319 when the pitch is wider.
struct Screen {
  int32_t pitch;
  std::vector<uint8_t> mem;
  explicit Screen(int32_t p = W) : pitch(p), mem(static_cast<size_t>(p) * H) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < p; ++x)
        mem[y * p + x] = x < W ? static_cast<uint8_t>(x * 7 + y * 13) : PADDING;
  }
  d8::Surface8 surface() { return {mem.data(), pitch}; }
  uint8_t at(int x, int y) const { return mem[y * pitch + x]; }
};

const Screen BASE;

// Glyphs a..t all have ink in their first row.
const char INKED[21] = "abcdefghijklmnopqrst";
const char OTHERS[21] = "uvwxyz[|]^_ aeiou|[_";

int ink_bits(const char *text, int first_row, int last_row) {
  int bits = 0;
  for (int n = 0; n < 20; ++n)
    for (int r = first_row; r <= last_row; ++r)
      bits += __builtin_popcount(d8::font_glyphs[text[n] & 31][r]);
  return bits;
}

int changed(const Screen &s) {
  int count = 0;
  for (size_t i = 0; i < s.mem.size(); ++i)
    count += s.mem[i] != BASE.mem[i];
  return count;
}

TEST(TextLine, InvertsThreePixelsOfEachBlock) {
  for (const char *text : {INKED, OTHERS}) {
    Screen s;
    d8::draw_text_line(s.surface(), 0, 50, text);
    EXPECT_EQ(changed(s), 3 * ink_bits(text, 0, 7));
    for (int n = 0; n < 20; ++n)
      for (int r = 0; r < 8; ++r)
        for (int j = 0; j < 8; ++j) {
          const bool set = d8::font_glyphs[text[n] & 31][r] & (0x80 >> j);
          const int x = 16 * n + 2 * j, y = 50 + 2 * r;
          auto inverted = [&](int dx, int dy) {
            return s.at(x + dx, y + dy) == static_cast<uint8_t>(~BASE.at(x + dx, y + dy));
          };
          EXPECT_EQ(inverted(0, 0) && inverted(1, 0) && inverted(0, 1), set);
          EXPECT_FALSE(inverted(1, 1)); // the corner left out
        }
    // Inverting again restores the picture.
    d8::draw_text_line(s.surface(), 0, 50, text);
    EXPECT_EQ(s.mem, BASE.mem);
  }
}

TEST(TextLine, GlyphRowsCrossingTheEdgesAreSkippedWhole) {
  Screen s;
  // Glyph row 0 at b = 237 is drawn (rows 237 and 238); row 1 would be 239.
  d8::draw_text_line(s.surface(), 0, 237, INKED);
  EXPECT_EQ(changed(s), 3 * ink_bits(INKED, 0, 0));
  EXPECT_NE(s.at(16 + 2, 238), BASE.at(16 + 2, 238)); // 'b' starts at column 16
  // b = -1 is skipped although its lower screen row would be row 0.
  s = BASE;
  d8::draw_text_line(s.surface(), 0, -1, INKED);
  EXPECT_EQ(changed(s), 3 * ink_bits(INKED, 1, 7));
  for (int y : {238, 239, 240, -15, -1000}) {
    s = BASE;
    d8::draw_text_line(s.surface(), 0, y, INKED);
    EXPECT_EQ(changed(s), 0) << y;
  }
}

TEST(TextLine, NeverTouchesTheLastRowOrThePadding) {
  // Also with the row shifted sideways, which the scroller never does.
  for (int x : {0, 5, 319, -3}) {
    Screen s(352);
    const std::vector<uint8_t> last_row(&s.mem[239 * 352], &s.mem[240 * 352]);
    for (int y = -20; y < 250; ++y)
      d8::draw_text_line(s.surface(), x, y, "mmmmmmmmmmmmmmmmmmmm");
    EXPECT_EQ(std::vector<uint8_t>(&s.mem[239 * 352], &s.mem[240 * 352]), last_row) << x;
    for (int y = 0; y < H; ++y)
      for (int px = W; px < 352; ++px)
        ASSERT_EQ(s.at(px, y), PADDING) << "x " << x << " y " << y << " column " << px;
  }
}

// The text drawn the plain way, pixel by pixel, with every pixel clipped.
void reference_text_line(Screen &s, int x, int y, const char *text) {
  for (int n = 0; n < 20; ++n)
    for (int r = 0; r < 8; ++r) {
      const int b = y + 2 * r;
      if (b < 0 || b > H - 3)
        continue;
      for (int j = 0; j < 8; ++j)
        if (d8::font_glyphs[text[n] & 31][r] & (0x80 >> j))
          for (const auto &[dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}}) {
            const int px = x + 16 * n + 2 * j + dx;
            if (px >= 0 && px < W)
              s.mem[(b + dy) * s.pitch + px] ^= 0xFF;
          }
    }
}

TEST(TextLine, MatchesThePlainLoopAtAnyPlace) {
  // Cells wholly on screen, cut by either edge, or off it, over a padded pitch.
  std::mt19937 rng(8);
  for (int k = 0; k < 300; ++k) {
    char text[21] = {};
    for (int n = 0; n < 20; ++n)
      text[n] = static_cast<char>(rng());
    const int x = static_cast<int>(rng() % 400) - 60, y = static_cast<int>(rng() % 280) - 20;
    Screen got(336), want(336);
    d8::draw_text_line(got.surface(), x, y, text);
    reference_text_line(want, x, y, text);
    ASSERT_EQ(got.mem, want.mem) << "x " << x << " y " << y;
  }
}

Screen rows_at(int first, int last, int t) {
  Screen s;
  for (int n = first; n <= last; ++n)
    d8::draw_text_line(s.surface(), 0, 16 * n - t, d8::scroll_rows + 20 * n);
  return s;
}

TEST(Scroller, PlacesRowNAtSixteenNMinusT) {
  Screen s;
  // t = 0: rows 0..14; the title, row 15 at y = 240, is not drawn.
  d8::draw_scroller(s.surface(), 0);
  EXPECT_EQ(s.mem, rows_at(0, 14, 0).mem);
  // Three frames later the title's first glyph row covers rows 237 and 238.
  s = BASE;
  d8::draw_scroller(s.surface(), 3);
  EXPECT_EQ(s.mem, rows_at(0, 15, 3).mem);
  EXPECT_NE(s.mem, rows_at(0, 14, 3).mem);
  // t = 15: row 0 at y = -15 is dropped whole, row 15 is at y = 225.
  s = BASE;
  d8::draw_scroller(s.surface(), 15);
  EXPECT_EQ(s.mem, rows_at(1, 15, 15).mem);
  s = BASE;
  d8::draw_scroller(s.surface(), 1000);
  EXPECT_EQ(s.mem, rows_at(62, 77, 1000).mem);
}

TEST(Scroller, BlankAtTheEndAndPastTheTable) {
  // From frame 1552 the screen holds rows 97 onwards: blank ones, then rows
  // 113..127 of the cycle, which do not exist and count as blank, then the
  // wrap to rows 0 and 1 (row 1's dot shows from frame 1839).
  for (int32_t t = 1552; t <= 1838; ++t) {
    Screen s;
    d8::draw_scroller(s.surface(), t);
    ASSERT_EQ(changed(s), 0) << t;
  }
  Screen at_cycle, at_zero;
  d8::draw_scroller(at_cycle.surface(), 2048);
  d8::draw_scroller(at_zero.surface(), 0);
  EXPECT_EQ(at_cycle.mem, at_zero.mem);
}

} // namespace
