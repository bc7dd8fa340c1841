#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "demo32/effects/effects.h"
#include "demo32/text/draw_text.h"
#include "demo32/timeline/sine_scroller.h"

namespace {

using d32::EffectState;
using d32::ScrollerGlyph;

// Exactly sized, so a read past the NUL is caught by the address sanitizer.
const char TEXT[] = "0123456789ABCDEFGHIJKLMNOP"; // 26 characters

EffectState scroller_at(int32_t scroll_char, int32_t scroll_pixel, int32_t scroll_wave) {
  EffectState fx;
  fx.scroller.scroll_text = TEXT;
  fx.scroller.scroll_char = scroll_char;
  fx.scroller.scroll_pixel = scroll_pixel;
  fx.scroller.scroll_wave = scroll_wave;
  return fx;
}

TEST(SineScroller, GlyphPlacementOnTheWave) {
  const EffectState fx = scroller_at(0, 0, 0);
  // k: x = 16k; the wave has 160 columns per period and an amplitude of 20.
  const struct {
    int k, x, y;
  } expected[] = {
      {0, 0, 200},    {1, 16, 211},  {2, 32, 219},
      {5, 80, 200},   {7, 112, 180}, // -0.951 * 20 + 200 = 180.98, truncated
      {10, 160, 199},                // the sine of 2 * 3.14159265358979 is just below zero
  };
  for (const auto &e : expected) {
    const ScrollerGlyph g = d32::scroller_glyph(fx.scroller, e.k);
    EXPECT_EQ(g.x, e.x) << e.k;
    EXPECT_EQ(g.y, e.y) << e.k;
  }
}

TEST(SineScroller, SubGlyphOffsetAndWavePhase) {
  // Only the low four bits of scroll_pixel shift the row; the wave moves with it.
  const EffectState fx = scroller_at(0, 0x25, 45);
  const ScrollerGlyph first = d32::scroller_glyph(fx.scroller, 0);
  EXPECT_EQ(first.x, -5);
  EXPECT_EQ(first.y, 220);
  const ScrollerGlyph last = d32::scroller_glyph(fx.scroller, 20);
  EXPECT_EQ(last.x, 315);
  EXPECT_EQ(last.y, 220);
  EXPECT_EQ(d32::scroller_glyph(fx.scroller, 1).y, 216);
}

TEST(SineScroller, CharactersAndTheEndOfTheText) {
  EXPECT_EQ(d32::scroller_glyph(scroller_at(3, 0, 0).scroller, 0).ch, '3');
  EXPECT_EQ(d32::scroller_glyph(scroller_at(3, 0, 0).scroller, 20).ch, 'N');
  // At the last step (strlen - 20) glyph 20 is the terminating NUL.
  EXPECT_EQ(d32::scroller_glyph(scroller_at(6, 0, 0).scroller, 19).ch, 'P');
  EXPECT_EQ(d32::scroller_glyph(scroller_at(6, 0, 0).scroller, 20).ch, 0);
  // Further on, everything past the NUL reads as NUL without being read.
  const EffectState beyond = scroller_at(10, 0, 0);
  EXPECT_EQ(d32::scroller_glyph(beyond.scroller, 15).ch, 'P');
  for (int k = 16; k < d32::SCROLLER_GLYPHS; ++k)
    EXPECT_EQ(d32::scroller_glyph(beyond.scroller, k).ch, 0) << k;
  EffectState no_text;
  EXPECT_EQ(d32::scroller_glyph(no_text.scroller, 0).ch, 0);
}

TEST(SineScroller, ResetStartsTheTextOver) {
  EffectState fx = scroller_at(17, 0xAB, 99);
  const char other[] = "another text";
  d32::reset_scroller(fx.scroller, other);
  EXPECT_EQ(fx.scroller.scroll_char, 0);
  EXPECT_EQ(fx.scroller.scroll_pixel, 0);
  EXPECT_EQ(fx.scroller.scroll_wave, 0);
  EXPECT_EQ(fx.scroller.scroll_text, other);
}

std::vector<uint32_t> surface(uint32_t fill) {
  return std::vector<uint32_t>(d32::SCREEN_PIXELS, fill);
}

TEST(SineScroller, DrawsShadowThenRedForEachGlyph) {
  const EffectState fx = scroller_at(2, 7, 33);
  std::vector<uint32_t> drawn = surface(0x123456), expected = surface(0x123456);
  d32::draw_sine_scroller(drawn.data(), fx.scroller);
  for (int k = 0; k < d32::SCROLLER_GLYPHS; ++k) {
    const ScrollerGlyph g = d32::scroller_glyph(fx.scroller, k);
    d32::draw_glyph(expected.data(), g.x + 2, g.y + 2, 0x000000, d32::NO_BACKGROUND, g.ch, 0, 319);
    d32::draw_glyph(expected.data(), g.x, g.y, 0xFF0000, d32::NO_BACKGROUND, g.ch, 0, 319);
  }
  EXPECT_EQ(drawn, expected);
}

TEST(SineScroller, WritesOnlyRedAndBlackInTheWaveBand) {
  const EffectState fx = scroller_at(0, 9, 70);
  std::vector<uint32_t> drawn = surface(0x123456);
  d32::draw_sine_scroller(drawn.data(), fx.scroller);
  int red = 0;
  for (int y = 0; y < d32::SCREEN_HEIGHT; ++y)
    for (int x = 0; x < d32::SCREEN_WIDTH; ++x) {
      const uint32_t p = drawn[y * 320 + x];
      if (p == 0x123456)
        continue;
      ASSERT_TRUE(p == 0xFF0000 || p == 0x000000) << x << "," << y;
      ASSERT_GE(y, 180);
      ASSERT_LE(y, 237); // shadow of a glyph at row 220 reaches 220 + 2 + 15
      ASSERT_LT(x, 319);
      red += p == 0xFF0000;
    }
  EXPECT_GT(red, 0);
}

} // namespace
