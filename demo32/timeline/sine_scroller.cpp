#include "demo32/timeline/sine_scroller.h"

#include <cmath>
#include <cstring>

#include "demo32/text/draw_text.h"

namespace d32 {

ScrollerGlyph scroller_glyph(const Scroller &scroller, int k) {
  ScrollerGlyph glyph;
  glyph.x = 16 * k - (scroller.scroll_pixel & 15);
  glyph.y = static_cast<int32_t>(std::sin((glyph.x + scroller.scroll_wave) * PI / 80) * 20 + 200);

  // At the last scroll step glyph 20 sits just past the text; anything beyond
  // the terminating NUL reads as NUL too, which draws a blank.
  const char *text = scroller.scroll_text ? scroller.scroll_text : "";
  const int64_t index = int64_t{scroller.scroll_char} + k;
  const int64_t length = static_cast<int64_t>(std::strlen(text));
  glyph.ch = (index >= 0 && index < length) ? static_cast<uint8_t>(text[index]) : 0;
  return glyph;
}

void draw_sine_scroller(uint32_t *pixels, const Scroller &scroller) {
  for (int k = 0; k < SCROLLER_GLYPHS; ++k) {
    const ScrollerGlyph glyph = scroller_glyph(scroller, k);
    draw_glyph(pixels, glyph.x + 2, glyph.y + 2, 0x000000, NO_BACKGROUND, glyph.ch, CLIP_LEFT,
               CLIP_RIGHT);
    draw_glyph(pixels, glyph.x, glyph.y, 0xFF0000, NO_BACKGROUND, glyph.ch, CLIP_LEFT, CLIP_RIGHT);
  }
}

void reset_scroller(Scroller &scroller, const char *text) {
  scroller.scroll_char = 0;
  scroller.scroll_pixel = 0;
  scroller.scroll_wave = 0;
  scroller.scroll_text = text;
}

} // namespace d32
