#include <gtest/gtest.h>

#include <cstring>

#include "demo8/effects/effects.h"

namespace {

const uint8_t (&glyph(char c))[8] {
  return d8::font_glyphs[c & 31];
}

TEST(Font, SpotChecksThroughTheTextEncoding) {
  const uint8_t a[8] = {0x78, 0x8C, 0x0C, 0x7C, 0x8C, 0x8C, 0x7C, 0x00};
  const uint8_t a_umlaut[8] = {0x48, 0x00, 0x78, 0x0C, 0x7C, 0x8C, 0x7C, 0x00};
  const uint8_t two[8] = {0xF8, 0x04, 0x04, 0x78, 0xC0, 0xC0, 0xFC, 0x00};
  for (int r = 0; r < 8; ++r) {
    EXPECT_EQ(glyph('a')[r], a[r]) << r;
    EXPECT_EQ(glyph('[')[r], a_umlaut[r]) << r;
    EXPECT_EQ(glyph('_')[r], two[r]) << r;
    EXPECT_EQ(glyph(' ')[r], 0) << r;
  }
  EXPECT_EQ(glyph('|')[2], 0x7C); // ö
  EXPECT_EQ(glyph('j')[6], 0xF0);
  EXPECT_EQ(glyph('w')[6], 0x68);
  EXPECT_EQ(glyph('z')[3], 0x30);
  EXPECT_EQ(glyph(']')[1], 0x20); // colon: two dots
  EXPECT_EQ(glyph(']')[6], 0x20);
  EXPECT_EQ(glyph('^')[1], 0x00); // full stop: one
  EXPECT_EQ(glyph('^')[6], 0x20);
}

TEST(Font, EveryGlyphFitsItsCellWithGaps) {
  // The last row and the last two columns stay empty in every glyph: that is
  // the only spacing between lines and characters. Every glyph but the blank
  // has ink, and no two are alike.
  for (int g = 0; g < 32; ++g) {
    int ink = 0;
    for (int r = 0; r < 8; ++r) {
      EXPECT_EQ(d8::font_glyphs[g][r] & 0x03, 0) << g << " row " << r;
      ink += __builtin_popcount(d8::font_glyphs[g][r]);
    }
    EXPECT_EQ(d8::font_glyphs[g][7], 0) << g;
    EXPECT_EQ(ink > 0, g != 0) << g;
    for (int h = 0; h < g; ++h)
      EXPECT_NE(std::memcmp(d8::font_glyphs[g], d8::font_glyphs[h], 8), 0) << g << " " << h;
  }
}

} // namespace
