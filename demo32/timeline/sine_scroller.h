#pragma once
// The red text scroller that rides a sine wave near the bottom of the screen.
#include <cstdint>

#include "demo32/effects/effect_state.h"

namespace d32 {

constexpr int SCROLLER_GLYPHS = 21; // enough to cover 320 columns at any offset

struct ScrollerGlyph {
  int32_t x;  // left column, -15..320
  int32_t y;  // top row, 180..220
  uint8_t ch; // 0 past the end of the text
};

// Where glyph k (0..20) of the scroller goes this frame and what it shows.
ScrollerGlyph scroller_glyph(const Scroller &scroller, int k);

// 21 glyphs, each a black shadow at +2,+2 and then the red character.
void draw_sine_scroller(uint32_t *pixels, const Scroller &scroller);

// Starts a scroller stretch from the beginning of text.
void reset_scroller(Scroller &scroller, const char *text);

} // namespace d32
