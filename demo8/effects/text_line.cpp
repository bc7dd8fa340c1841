// One 20-character row of the scroller at double size, drawn by inverting the
// indices under the set pixels so it shows over any background.
#include "demo8/effects/effects.h"

namespace d8 {

namespace {

// A glyph row whose top lies above row 0 or whose bottom would reach row 239
// is dropped whole, so the text never touches the last screen row.
constexpr int32_t LAST_GLYPH_ROW = SCREEN_HEIGHT - 3;

void invert(uint8_t *row, int32_t col) {
  // The scroller always draws at x = 0; other callers get clipping instead of
  // writes into the neighbouring row or past the surface.
  if (col >= 0 && col < SCREEN_WIDTH)
    row[col] = static_cast<uint8_t>(~row[col]);
}

} // namespace

void draw_text_line(Surface8 s, int32_t x, int32_t y, const char *row) {
  for (int32_t n = 0; n < 20; ++n) {
    const uint8_t *glyph = font_glyphs[static_cast<uint8_t>(row[n]) & 31];
    const int32_t cell = x + 16 * n;
    for (int32_t r = 0; r < 8; ++r) {
      const int32_t b = y + 2 * r;
      if (b < 0 || b > LAST_GLYPH_ROW)
        continue;
      uint8_t *top = s.pixels + static_cast<intptr_t>(b) * s.pitch;
      uint8_t *bottom = top + s.pitch;
      for (int32_t j = 0; j < 8; ++j) {
        if (!(glyph[r] & (0x80 >> j)))
          continue;
        const int32_t col = cell + 2 * j;
        // Three pixels of the 2x2 block, not four: the missing corner gives
        // the double-size glyphs their stepped edges.
        invert(top, col);
        invert(top, col + 1);
        invert(bottom, col);
      }
    }
  }
}

} // namespace d8
