#pragma once
#include <cstdint>

namespace d32 {

constexpr int32_t CENTRED = -9999;    // text/glyph coordinate that centres
constexpr int32_t NO_BACKGROUND = -1; // background value selecting transparent drawing

// The 96 characters of the font, a glyph number being the position in this
// string (O and P appear twice; the first copy wins). NUL-terminated.
extern const char font_charset[97];
// 96 glyphs x 16 rows x 2 bytes, first byte high, MSB = leftmost column.
extern const uint8_t glyph_bitmaps[96 * 32];

constexpr int GLYPH_SPACE = 95;
// Glyph number of a byte; bytes outside the set give the blank glyph.
int glyph_index(uint8_t ch);

// Draws text in the 16x16 font. background == NO_BACKGROUND draws only set
// pixels, clipped to clip_left <= X < clip_right; any other background draws
// whole cells. x or y may be CENTRED.
void draw_text(uint32_t *pixels, int32_t x, int32_t y, uint32_t colour, int32_t background,
               const char *text, int32_t clip_left, int32_t clip_right);

// One 16x16 glyph, transparent only, clipped to clip_left <= X < clip_right
// and to the surface: the sine scroller's building block.
void draw_glyph(uint32_t *pixels, int32_t x, int32_t y, uint32_t colour, int32_t background,
                uint8_t ch, int32_t clip_left, int32_t clip_right);

} // namespace d32
