// draw_glyph: the scroller's single transparent glyph with a column window.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "demo32/effects/effects.h"
#include "demo32/text/draw_text.h"

namespace {

using namespace d32;

constexpr uint32_t UNTOUCHED = 0xDEADBEEF;
constexpr uint32_t INK = 0x00FF2010;

struct Surface {
  std::vector<uint32_t> words = std::vector<uint32_t>(SCREEN_PIXELS, UNTOUCHED);
  uint32_t *pixels() { return words.data(); }
  uint32_t at(int x, int y) const { return words[y * SCREEN_WIDTH + x]; }
  void clear() { std::fill(words.begin(), words.end(), UNTOUCHED); }
};

// Which glyph columns of a glyph drawn at x came out, judged on a row where
// E sets columns 0..13.
std::vector<int> columns_shown(const Surface &s, int x, int row) {
  std::vector<int> shown;
  for (int sx = 0; sx < 320; ++sx)
    if (s.at(sx, row) != UNTOUCHED)
      shown.push_back(sx - x);
  return shown;
}

std::vector<int> range(int first, int last) {
  std::vector<int> v;
  for (int c = first; c <= last; ++c)
    v.push_back(c);
  return v;
}

TEST(DrawGlyph, ClipWindowAtTheScreenEdges) {
  const int e_row = 4; // a full-width bar of E
  Surface s;
  draw_glyph(s.pixels(), 310, 50, INK, NO_BACKGROUND, 'E', 0, 319);
  EXPECT_EQ(columns_shown(s, 310, 50 + e_row), range(0, 8));
  for (int y = 0; y < 240; ++y)
    EXPECT_EQ(s.at(319, y), UNTOUCHED);

  s.clear();
  // Column 14 is visited but is blank, so 5..13 show.
  draw_glyph(s.pixels(), -5, 50, INK, NO_BACKGROUND, 'E', 0, 319);
  EXPECT_EQ(columns_shown(s, -5, 50 + e_row), range(5, 13));
  // Nothing wrapped to the end of the row above.
  for (int y = 0; y < 240; ++y)
    for (int x = 300; x < 320; ++x)
      ASSERT_EQ(s.at(x, y), UNTOUCHED);

  s.clear();
  draw_glyph(s.pixels(), 100, 50, INK, NO_BACKGROUND, 'E', 104, 110);
  EXPECT_EQ(columns_shown(s, 100, 50 + e_row), range(4, 9));

  s.clear();
  draw_glyph(s.pixels(), 100, 50, INK, NO_BACKGROUND, 'E', 116, 319);
  draw_glyph(s.pixels(), 100, 50, INK, NO_BACKGROUND, 'E', 0, 100);
  draw_glyph(s.pixels(), 100, 50, INK, NO_BACKGROUND, 'E', 108, 108);
  EXPECT_TRUE(columns_shown(s, 100, 50 + e_row).empty());
}

TEST(DrawGlyph, CentredMeansTheMiddleOfTheScreen) {
  Surface a, b;
  draw_glyph(a.pixels(), CENTRED, CENTRED, INK, NO_BACKGROUND, 'W', 0, 319);
  draw_glyph(b.pixels(), 152, 112, INK, NO_BACKGROUND, 'W', 0, 319);
  EXPECT_EQ(a.words, b.words);
  EXPECT_EQ(a.at(152, 116), INK);
}

TEST(DrawGlyph, OnlyTransparentDrawingDrawsAnything) {
  Surface s;
  for (int background : {0, 0x00FFFFFF, -2, CENTRED})
    draw_glyph(s.pixels(), 100, 100, INK, background, 'M', 0, 319);
  draw_glyph(s.pixels(), 100, 100, INK, NO_BACKGROUND, ' ', 0, 319);
  draw_glyph(s.pixels(), 100, 100, INK, NO_BACKGROUND, '+', 0, 319);
  draw_glyph(s.pixels(), 100, 100, INK, NO_BACKGROUND, 0, 0, 319);
  EXPECT_TRUE(
      std::all_of(s.words.begin(), s.words.end(), [](uint32_t w) { return w == UNTOUCHED; }));
}

TEST(DrawGlyph, AgreesWithTransparentTextForAnyWindow) {
  // Both draw rows 200..215 only; compare a band a little wider than that.
  const auto band_first = (200 - 1) * 320, band_end = (216 + 1) * 320;
  Surface a, b;
  for (int ch : {0x51, 0x67, 0xC5, 0x25, 0x4F}) // Q g A-ring % O
    for (int x = -20; x <= 325; x += 3)
      for (int clip_left : {-30, 0, 17, 160, 318})
        for (int clip_right : {-1, 0, 40, 170, 319, 330}) {
          const char text[2] = {static_cast<char>(ch), 0};
          draw_glyph(a.pixels(), x, 200, INK, NO_BACKGROUND, static_cast<uint8_t>(ch), clip_left,
                     clip_right);
          draw_text(b.pixels(), x, 200, INK, NO_BACKGROUND, text, clip_left, clip_right);
          ASSERT_TRUE(std::equal(a.words.begin() + band_first, a.words.begin() + band_end,
                                 b.words.begin() + band_first))
              << ch << " " << x << " " << clip_left << " " << clip_right;
          std::fill(a.words.begin() + band_first, a.words.begin() + band_end, UNTOUCHED);
          std::fill(b.words.begin() + band_first, b.words.begin() + band_end, UNTOUCHED);
        }
  // Nothing was written outside the band.
  EXPECT_TRUE(
      std::all_of(a.words.begin(), a.words.end(), [](uint32_t w) { return w == UNTOUCHED; }));
}

TEST(DrawGlyph, NothingLandsOutsideTheSurface) {
  std::vector<uint32_t> guarded(SCREEN_PIXELS + 2 * 640, UNTOUCHED);
  uint32_t *pixels = guarded.data() + 640;
  draw_glyph(pixels, 100, 232, INK, NO_BACKGROUND, 'q', -1000, 1000);
  draw_glyph(pixels, 100, -9, INK, NO_BACKGROUND, 'A', -1000, 1000);
  draw_glyph(pixels, 315, 20, INK, NO_BACKGROUND, 'H', -1000, 1000);
  draw_glyph(pixels, -10, 60, INK, NO_BACKGROUND, 'H', -1000, 1000);
  draw_glyph(pixels, 2147483000, -2147483000, INK, NO_BACKGROUND, 'H', -2147483647, 2147483647);
  for (int i = 0; i < 640; ++i) {
    ASSERT_EQ(guarded[i], UNTOUCHED) << i;
    ASSERT_EQ(guarded[640 + SCREEN_PIXELS + i], UNTOUCHED) << i;
  }
  // The visible parts are still there: q's descender rows are dropped, the
  // top of its bowl at row 6 shows on screen row 238.
  EXPECT_EQ(pixels[238 * 320 + 101], INK);
  EXPECT_EQ(pixels[0 * 320 + 101], INK); // A's row 9 lands on row 0
  for (int r = 4; r < 12; ++r) {
    EXPECT_EQ(pixels[(20 + r) * 320 + 315], INK); // H column 0
    EXPECT_EQ(pixels[(60 + r) * 320 + 3], INK);   // H column 13 of the glyph at -10
    EXPECT_EQ(pixels[(21 + r) * 320 + 0], UNTOUCHED);
    EXPECT_EQ(pixels[(59 + r) * 320 + 319],
              UNTOUCHED); // nor back from the one at -10 // no wrap from the glyph at 315
  }
}

} // namespace
