// One transparent glyph of the 16x16 font with a column window: the sine
// scroller's building block.
#include "demo32/screen.h"
#include "demo32/text/draw_text.h"

namespace d32 {

void draw_glyph(uint32_t *pixels, int32_t x, int32_t y, uint32_t colour, int32_t background,
                uint8_t ch, int32_t clip_left, int32_t clip_right) {
  // CENTRED puts the one 16x16 cell in the middle of the screen.
  const int64_t left = x == CENTRED ? 152 : x;
  const int64_t top = y == CENTRED ? 112 : y;
  // Only transparent drawing exists; an opaque request draws nothing.
  if (background != NO_BACKGROUND)
    return;
  const uint8_t *glyph = glyph_bitmaps + 32 * glyph_index(ch);

  int64_t first = clip_left - left;
  if (first < 0)
    first = 0;
  if (first >= 16)
    first = 15;
  int64_t end = clip_right - left;
  if (end >= 16)
    end = 15;

  for (int r = 0; r < 16; ++r) {
    const int64_t screen_y = top + r;
    // Bit 15 of the shifted row is always the column being visited.
    uint32_t bits = static_cast<uint32_t>(glyph[2 * r] << 8 | glyph[2 * r + 1]) << first;
    for (int64_t c = first; c < end; ++c, bits <<= 1) {
      const int64_t screen_x = left + c;
      // A glyph that sticks out of the surface loses those pixels instead of
      // landing outside it or wrapping into a neighbouring row.
      if ((bits & 0x8000u) && screen_x >= 0 && screen_x < SCREEN_WIDTH && screen_y >= 0 &&
          screen_y < SCREEN_HEIGHT)
        pixels[screen_y * SCREEN_WIDTH + screen_x] = colour;
    }
  }
}

} // namespace d32
