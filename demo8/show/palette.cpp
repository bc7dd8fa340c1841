#include "demo8/show/palette.h"

namespace d8 {

void build_palette(Rgb (&palette)[256]) {
  for (int i = 0; i < 128; ++i) {
    // Green is a triangle wave of period 64: up while bit 5 is clear, down after.
    const int m = i % 32;
    const int green = (i & 32) ? 8 * (31 - m) : 8 * m;
    palette[i] = Rgb{0, static_cast<uint8_t>(green), static_cast<uint8_t>(2 * i)};
  }
  for (int i = 128; i < 256; ++i) {
    palette[i] = Rgb{255, 255, static_cast<uint8_t>(i)};
  }
}

} // namespace d8
