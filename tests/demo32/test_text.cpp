// The font table, the character lookup and draw_text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "demo32/effects/effect_state.h"
#include "demo32/text/draw_text.h"

namespace {

using namespace d32;

constexpr uint32_t UNTOUCHED = 0xDEADBEEF;
constexpr uint32_t INK = 0x00FFC040;
constexpr uint32_t PAPER = 0x00102030;

struct Surface {
  std::vector<uint32_t> words = std::vector<uint32_t>(SCREEN_PIXELS, UNTOUCHED);
  uint32_t *pixels() { return words.data(); }
  uint32_t at(int x, int y) const { return words[y * SCREEN_WIDTH + x]; }
  int count_written() const {
    int n = 0;
    for (uint32_t w : words)
      n += w != UNTOUCHED;
    return n;
  }
};

// Read bit by bit from the byte layout, independently of the drawing code.
bool glyph_bit(int glyph, int r, int c) {
  return glyph_bitmaps[32 * glyph + 2 * r + c / 8] >> (7 - c % 8) & 1;
}

int glyph_of(char ch) {
  return glyph_index(static_cast<uint8_t>(ch));
}

// ---- character set and lookup ----

TEST(FontCharset, PositionsOfEachGroup) {
  EXPECT_EQ(std::strlen(font_charset), 96u);
  EXPECT_EQ(glyph_of('A'), 0);
  EXPECT_EQ(glyph_of('N'), 13);
  EXPECT_EQ(glyph_of('Q'), 18);
  EXPECT_EQ(glyph_of('Z'), 27);
  EXPECT_EQ(glyph_of('a'), 28);
  EXPECT_EQ(glyph_of('z'), 53);
  EXPECT_EQ(glyph_of('0'), 54);
  EXPECT_EQ(glyph_of('9'), 63);
  const char marks[] = "({[<!@#$%^&'?_:,\"/~>]})-";
  for (int i = 0; i < 24; ++i)
    EXPECT_EQ(glyph_of(marks[i]), 64 + i) << marks[i];
  const uint8_t nordic[] = {0xC4, 0xE4, 0xC5, 0xE5, 0xD6, 0xF6};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(glyph_index(nordic[i]), 88 + i);
  EXPECT_EQ(glyph_of('.'), 94);
  EXPECT_EQ(glyph_of(' '), 95);
}

TEST(FontCharset, RepeatedOAndPFindTheFirstCopy) {
  EXPECT_EQ(font_charset[16], 'O');
  EXPECT_EQ(font_charset[17], 'P');
  EXPECT_EQ(glyph_of('O'), 14);
  EXPECT_EQ(glyph_of('P'), 15);
}

TEST(FontCharset, BytesOutsideTheSetGiveTheBlankGlyph) {
  for (int b : {0x00, 0x09, 0x2A, 0x2B, 0x3D, 0x5C, 0x60, 0x7C, 0x7F, 0x80, 0xE9, 0xFF})
    EXPECT_EQ(glyph_index(static_cast<uint8_t>(b)), GLYPH_SPACE) << b;
  // Every byte either maps to its first position or is blank.
  for (int b = 0; b < 256; ++b) {
    const char *found =
        b == 0 ? nullptr : static_cast<const char *>(std::memchr(font_charset, b, 96));
    const int expected = found ? static_cast<int>(found - font_charset) : GLYPH_SPACE;
    EXPECT_EQ(glyph_index(static_cast<uint8_t>(b)), expected) << b;
  }
}

// ---- glyph layout ----

struct Extent {
  int top = 99, bottom = -1, left = 99, right = -1;
};

Extent extent_of(int glyph, int first_row = 0) {
  Extent e;
  for (int r = first_row; r < 16; ++r)
    for (int c = 0; c < 16; ++c)
      if (glyph_bit(glyph, r, c)) {
        e.top = std::min(e.top, r);
        e.bottom = std::max(e.bottom, r);
        e.left = std::min(e.left, c);
        e.right = std::max(e.right, c);
      }
  return e;
}

TEST(GlyphLayout, GapColumnsClearCopiesEqualSpaceEmpty) {
  for (int g = 0; g < 96; ++g)
    for (int r = 0; r < 16; ++r) {
      EXPECT_FALSE(glyph_bit(g, r, 14)) << g;
      EXPECT_FALSE(glyph_bit(g, r, 15)) << g;
    }
  EXPECT_EQ(std::memcmp(glyph_bitmaps + 32 * 16, glyph_bitmaps + 32 * 14, 64), 0);
  EXPECT_EQ(extent_of(GLYPH_SPACE).bottom, -1);
  for (int g = 0; g < 95; ++g)
    EXPECT_GE(extent_of(g).bottom, 0) << "glyph " << g << " is empty";
}

TEST(GlyphLayout, RowsUsedByEachClass) {
  const std::string short_lower = "cmnoruvw";
  const std::string descending_lower = "gpqy";
  const std::string all = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (char ch : all) {
    const Extent e = extent_of(glyph_of(ch));
    const bool starts_low =
        short_lower.find(ch) != std::string::npos || descending_lower.find(ch) != std::string::npos;
    const bool descends = ch == 'Q' || descending_lower.find(ch) != std::string::npos;
    EXPECT_EQ(e.top, starts_low ? 6 : 4) << ch;
    EXPECT_EQ(e.bottom, descends ? 13 : 11) << ch;
  }
  for (int g = 64; g < 96; ++g)
    EXPECT_LE(extent_of(g).bottom, 13) << g;
}

TEST(GlyphLayout, LettersAndDigitsFillTheBoxExceptNarrowOnes) {
  const std::string narrow = "Iil1";
  const std::string all = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (char ch : all) {
    const Extent e = extent_of(glyph_of(ch));
    if (narrow.find(ch) != std::string::npos) {
      EXPECT_EQ(e.left + e.right, 13) << ch << " is not centred";
      EXPECT_LE(e.right - e.left + 1, 6) << ch;
    } else {
      EXPECT_EQ(e.left, 0) << ch;
      EXPECT_EQ(e.right, 13) << ch;
    }
  }
}

TEST(GlyphLayout, NordicLettersAreTheirBaseLetterWithAMarkOnTop) {
  const char base[] = "AaAaOo";
  for (int i = 0; i < 6; ++i) {
    const int g = 88 + i;
    const Extent mark = extent_of(g);
    EXPECT_EQ(mark.top, 0) << g;
    for (int r = 2; r < 4; ++r)
      for (int c = 0; c < 16; ++c)
        EXPECT_FALSE(glyph_bit(g, r, c)) << g;
    EXPECT_EQ(
        std::memcmp(glyph_bitmaps + 32 * g + 8, glyph_bitmaps + 32 * glyph_of(base[i]) + 8, 24), 0)
        << g;
    // The two umlauts share one mark, the two rings another.
    EXPECT_EQ(std::memcmp(glyph_bitmaps + 32 * g,
                          glyph_bitmaps + 32 * (i < 2   ? 88
                                                : i < 4 ? 90
                                                        : 88),
                          4),
              0)
        << g;
  }
  EXPECT_NE(std::memcmp(glyph_bitmaps + 32 * 88, glyph_bitmaps + 32 * 90, 4), 0);
}

// ---- opaque drawing ----

void expect_opaque_cell(const Surface &s, int x, int y, int glyph) {
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c)
      ASSERT_EQ(s.at(x + c, y + r), glyph_bit(glyph, r, c) ? INK : PAPER)
          << "glyph " << glyph << " r " << r << " c " << c;
}

TEST(DrawTextOpaque, WritesWholeCellsSideBySide) {
  Surface s;
  draw_text(s.pixels(), 30, 50, INK, PAPER, "Kg\xE4", 0, 319);
  expect_opaque_cell(s, 30, 50, glyph_of('K'));
  expect_opaque_cell(s, 46, 50, glyph_of('g'));
  expect_opaque_cell(s, 62, 50, 89);
  EXPECT_EQ(s.count_written(), 3 * 256);
}

TEST(DrawTextOpaque, SpaceIsAFullBackgroundBlock) {
  Surface s;
  draw_text(s.pixels(), 100, 20, INK, 0x00FFFFFF, " ", 0, 319);
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c)
      EXPECT_EQ(s.at(100 + c, 20 + r), 0x00FFFFFFu);
  EXPECT_EQ(s.count_written(), 256);
}

TEST(DrawTextOpaque, CentredStringsAndEmptyString) {
  Surface s;
  draw_text(s.pixels(), CENTRED, CENTRED, INK, PAPER, "", 0, 319);
  draw_text(s.pixels(), CENTRED, CENTRED, INK, NO_BACKGROUND, "", 0, 319);
  EXPECT_EQ(s.count_written(), 0);

  draw_text(s.pixels(), CENTRED, CENTRED, INK, PAPER, "                    ", 0, 319);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      ASSERT_EQ(s.at(x, y), y >= 112 && y < 128 ? PAPER : UNTOUCHED) << x << "," << y;

  Surface t;
  draw_text(t.pixels(), CENTRED, 7, INK, PAPER, "           ", 0, 319);
  EXPECT_EQ(t.count_written(), 11 * 256);
  EXPECT_EQ(t.at(71, 7), UNTOUCHED);
  EXPECT_EQ(t.at(72, 7), PAPER);
  EXPECT_EQ(t.at(247, 22), PAPER);
  EXPECT_EQ(t.at(248, 22), UNTOUCHED);
}

// ---- transparent drawing ----

// The window rule stated pixel by pixel.
void reference_transparent(Surface &s, int x, int y, uint32_t colour, const std::string &text,
                           int clip_left, int clip_right) {
  for (size_t i = 0; i < text.size(); ++i)
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c <= 14; ++c) {
        const int sx = x + 16 * static_cast<int>(i);
        const int px = sx + c;
        if (glyph_bit(glyph_of(text[i]), r, c) && px >= clip_left && px < clip_right && px >= 0 &&
            px < 320 && y + r >= 0 && y + r < 240)
          s.words[(y + r) * 320 + px] = colour;
      }
}

TEST(DrawTextTransparent, RightEdgeColumnIsNeverWritten) {
  // H has its right stroke in glyph column 13, which lands on column 319 at x = 306.
  for (int x = 290; x < 320; ++x) {
    Surface s;
    draw_text(s.pixels(), x, 100, INK, NO_BACKGROUND, "HH", 0, 319);
    for (int y = 0; y < 240; ++y)
      ASSERT_EQ(s.at(319, y), UNTOUCHED) << "x " << x;
  }
  Surface s;
  draw_text(s.pixels(), 2, 100, INK, NO_BACKGROUND, "HHHHHHHHHHHHHHHHHHHH", 0, 319);
  EXPECT_EQ(s.at(318, 108), INK);
  EXPECT_EQ(s.at(319, 108), UNTOUCHED);
}

TEST(DrawTextTransparent, CellsOutsideTheWindowWriteNothing) {
  Surface s;
  // Cells at 0 and 16 lie left of the window, the one at 48 starts at its end.
  draw_text(s.pixels(), 0, 30, INK, NO_BACKGROUND, "EEEE", 32, 48);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      if (x < 32 || x >= 48) {
        ASSERT_EQ(s.at(x, y), UNTOUCHED) << x << "," << y;
      }
  EXPECT_EQ(s.at(32, 34), INK);
  EXPECT_EQ(s.at(45, 34), INK);
}

TEST(DrawTextTransparent, MatchesThePixelRuleOverManyWindows) {
  const std::string text = "Zyrkon \xC5"
                           "ke.";
  Surface got, want;
  for (int x = -40; x <= 330; x += 11)
    for (int clip_left : {-20, 0, 3, 37, 150, 305, 330})
      for (int clip_right : {-5, 0, 20, 44, 151, 319, 320, 400}) {
        // The top byte is not part of 0x00RRGGBB but is stored all the same.
        draw_text(got.pixels(), x, 90, 0xFF00FF00, NO_BACKGROUND, text.c_str(), clip_left,
                  clip_right);
        reference_transparent(want, x, 90, 0xFF00FF00, text, clip_left, clip_right);
        ASSERT_EQ(got.words, want.words) << x << " " << clip_left << " " << clip_right;
        std::fill(got.words.begin(), got.words.end(), UNTOUCHED);
        std::fill(want.words.begin(), want.words.end(), UNTOUCHED);
      }
}

// ---- drawing near and beyond the surface edges ----

TEST(DrawTextEdges, NothingLandsOutsideTheSurfaceOrWraps) {
  // Guard words before and after the surface catch stray writes.
  std::vector<uint32_t> guarded(SCREEN_PIXELS + 2 * 640, UNTOUCHED);
  uint32_t *pixels = guarded.data() + 640;
  draw_text(pixels, 310, 100, INK, PAPER, "MM", 0, 0);
  draw_text(pixels, -8, 50, INK, PAPER, "MM", 0, 0);
  draw_text(pixels, 40, -10, INK, PAPER, "Ag", 0, 0);
  draw_text(pixels, 40, 232, INK, PAPER, "Ag", 0, 0);
  draw_text(pixels, 200, 236, INK, NO_BACKGROUND, "Qy", -1000, 1000);
  draw_text(pixels, 200, -12, INK, NO_BACKGROUND, "Qy", -1000, 1000);
  draw_text(pixels, CENTRED, 20, INK, PAPER, std::string(45, 'W').c_str(), 0, 0);
  draw_text(pixels, 2147483000, 2147483000, INK, PAPER, "MM", 0, 0);
  draw_text(pixels, -2147483000, 5, INK, NO_BACKGROUND, "MM", -2147483647, 2147483647);
  for (int i = 0; i < 640; ++i) {
    ASSERT_EQ(guarded[i], UNTOUCHED) << i;
    ASSERT_EQ(guarded[640 + SCREEN_PIXELS + i], UNTOUCHED) << i;
  }
  // Right edge: the cell at 310 keeps its 10 visible columns and does not
  // spill into the start of the next row.
  for (int r = 0; r < 16; ++r) {
    EXPECT_EQ(pixels[(100 + r) * 320 + 319], glyph_bit(glyph_of('M'), r, 9) ? INK : PAPER);
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(pixels[(100 + r) * 320 + x], UNTOUCHED);
  }
  // Left edge: the first cell loses its 8 leftmost columns.
  for (int r = 0; r < 16; ++r)
    for (int c = 8; c < 16; ++c)
      EXPECT_EQ(pixels[(50 + r) * 320 + c - 8], glyph_bit(glyph_of('M'), r, c) ? INK : PAPER);
  // A centred string wider than the screen shows its middle part.
  for (int c = 0; c < 16; ++c)
    EXPECT_EQ(pixels[(20 + 4) * 320 + 8 + c], glyph_bit(glyph_of('W'), 4, c) ? INK : PAPER);
}

} // namespace
