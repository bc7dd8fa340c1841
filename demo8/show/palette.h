#pragma once
// The one palette of demo8, as plain RGB data; main.cpp hands it to SDL.
#include <cstdint>

namespace d8 {

struct Rgb {
  uint8_t r, g, b;
};

// Entries 0..127 are the effects' blue-green shades, 128..255 light yellow to
// white, reached by the cubes (bit 7) and by the text (inversion).
void build_palette(Rgb (&palette)[256]);

} // namespace d8
