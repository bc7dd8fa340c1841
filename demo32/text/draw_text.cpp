// Opaque and transparent text in the 16x16 font.
#include "demo32/text/draw_text.h"

#include <cstring>

#include "demo32/screen.h"

namespace d32 {

namespace {

constexpr int CELL = 16;

// 64-bit coordinates: a cell position far off screen must not overflow.
// Callers are expected to stay on screen; a pixel that would not is dropped
// rather than written outside the surface or wrapped into the next row.
void put_pixel(uint32_t *pixels, int64_t x, int64_t y, uint32_t value) {
  if (x >= 0 && x < SCREEN_WIDTH && y >= 0 && y < SCREEN_HEIGHT)
    pixels[y * SCREEN_WIDTH + x] = value;
}

unsigned glyph_row(const uint8_t *glyph, int r) {
  return glyph[2 * r] << 8 | glyph[2 * r + 1];
}

void draw_opaque_cell(uint32_t *pixels, int64_t cell_x, int64_t y, const uint8_t *glyph,
                      uint32_t colour, uint32_t background) {
  for (int r = 0; r < CELL; ++r) {
    const unsigned bits = glyph_row(glyph, r);
    for (int c = 0; c < CELL; ++c)
      put_pixel(pixels, cell_x + c, y + r, bits & (0x8000u >> c) ? colour : background);
  }
}

// Column 15 is never visited, even inside the window; it is blank anyway.
void draw_transparent_cell(uint32_t *pixels, int64_t cell_x, int64_t y, const uint8_t *glyph,
                           uint32_t colour, int32_t clip_left, int32_t clip_right) {
  int64_t first = clip_left - cell_x;
  if (first < 0)
    first = 0;
  if (first >= CELL)
    first = CELL - 1;
  int64_t end = clip_right - cell_x;
  if (end >= CELL)
    end = CELL - 1;
  for (int r = 0; r < CELL; ++r) {
    const unsigned bits = glyph_row(glyph, r);
    for (int64_t c = first; c < end; ++c)
      if (bits & (0x8000u >> c))
        put_pixel(pixels, cell_x + c, y + r, colour);
  }
}

} // namespace

void draw_text(uint32_t *pixels, int32_t x, int32_t y, uint32_t colour, int32_t background,
               const char *text, int32_t clip_left, int32_t clip_right) {
  const size_t length = std::strlen(text);
  // Centring puts the middle of the row of cells on column 160.
  const int64_t left = x == CENTRED ? 160 - 8 * static_cast<int64_t>(length) : x;
  const int64_t top = y == CENTRED ? 112 : y;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t *glyph = glyph_bitmaps + 32 * glyph_index(static_cast<uint8_t>(text[i]));
    const int64_t cell_x = left + CELL * static_cast<int64_t>(i);
    if (background != NO_BACKGROUND)
      draw_opaque_cell(pixels, cell_x, top, glyph, colour, static_cast<uint32_t>(background));
    else
      draw_transparent_cell(pixels, cell_x, top, glyph, colour, clip_left, clip_right);
  }
}

} // namespace d32
