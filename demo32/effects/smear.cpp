// Row smear: one-pole low-pass filters along the rows, unit gain on even rows
// and a darkening 3/4 gain on odd rows, with the running values carried from
// the end of each row into the next.
#include "demo32/effects/effects.h"

namespace d32 {

void smear_rows(uint32_t *pixels) {
  // All values are non-negative, so the divisions round down.
  uint32_t b = 0, g = 0, r = 0;
  uint32_t *p = pixels;
  for (int pair = 0; pair < SCREEN_HEIGHT / 2; ++pair) {
    for (int x = 0; x < SCREEN_WIDTH; ++x, ++p) {
      const uint32_t in = *p;
      b = ((in & 0xFFu) + 3 * b) / 4;
      g = (((in >> 8) & 0xFFu) + g) / 2;
      r = (3 * ((in >> 16) & 0xFFu) + 5 * r) / 8;
      *p = (in & 0xFF000000u) | (r << 16) | (g << 8) | b;
    }
    for (int x = 0; x < SCREEN_WIDTH; ++x, ++p) {
      const uint32_t in = *p;
      b = ((in & 0xFFu) + 2 * b) / 4;
      g = (((in >> 8) & 0xFFu) + 2 * g) / 4;
      r = (((in >> 16) & 0xFFu) + 2 * r) / 4;
      *p = (in & 0xFF000000u) | (r << 16) | (g << 8) | b;
    }
  }
}

} // namespace d32
