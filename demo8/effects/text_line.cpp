// One 20-character row of the scroller at double size, drawn by inverting the
// indices under the set pixels so it shows over any background.
#include <array>
#include <cstring>

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

// What a glyph row of ink bits inverts in a cell that lies wholly on screen:
// 0xFF under both top pixels and under the bottom-left pixel of every set
// bit's block, so a cell row is two 16-byte XORs instead of a loop over bits.
struct CellMasks {
  uint8_t top[16];
  uint8_t bottom[16];
};

constexpr std::array<CellMasks, 256> make_cell_masks() {
  std::array<CellMasks, 256> masks{};
  for (int bits = 0; bits < 256; ++bits)
    for (int j = 0; j < 8; ++j)
      if (bits & (0x80 >> j)) {
        masks[bits].top[2 * j] = 0xFF;
        masks[bits].top[2 * j + 1] = 0xFF;
        masks[bits].bottom[2 * j] = 0xFF;
      }
  return masks;
}

constexpr std::array<CellMasks, 256> CELL_MASKS = make_cell_masks();

void invert_bytes(uint8_t *at, const uint8_t (&mask)[16]) {
  uint64_t p[2], m[2];
  std::memcpy(p, at, 16);
  std::memcpy(m, mask, 16);
  p[0] ^= m[0];
  p[1] ^= m[1];
  std::memcpy(at, p, 16);
}

} // namespace

void draw_text_line(Surface8 s, int32_t x, int32_t y, const char *row) {
  // Glyph row by glyph row across the line: inverting is its own inverse and
  // no two blocks share a pixel, so the order of the blocks does not matter.
  for (int32_t r = 0; r < 8; ++r) {
    const int32_t b = y + 2 * r;
    if (b < 0 || b > LAST_GLYPH_ROW)
      continue;
    uint8_t *top = s.pixels + static_cast<intptr_t>(b) * s.pitch;
    uint8_t *bottom = top + s.pitch;
    for (int32_t n = 0; n < 20; ++n) {
      const uint8_t bits = font_glyphs[static_cast<uint8_t>(row[n]) & 31][r];
      if (bits == 0)
        continue;
      const int32_t cell = x + 16 * n;
      if (cell >= 0 && cell + 16 <= SCREEN_WIDTH) {
        const CellMasks &m = CELL_MASKS[bits];
        invert_bytes(top + cell, m.top);
        invert_bytes(bottom + cell, m.bottom);
        continue;
      }
      for (int32_t j = 0; j < 8; ++j) {
        if (!(bits & (0x80 >> j)))
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
