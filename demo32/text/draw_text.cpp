// Placeholder until the font lands.
#include "demo32/text/draw_text.h"

namespace d32 {

const char font_charset[97] = "";
const uint8_t glyph_bitmaps[96 * 32] = {};
int glyph_index(uint8_t) { return GLYPH_SPACE; }
void draw_text(uint32_t *, int32_t, int32_t, uint32_t, int32_t, const char *, int32_t, int32_t) {}

} // namespace d32
