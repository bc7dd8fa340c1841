#include "demo32/timeline/darken.h"

#include "common/simd_clones.h"
#include "demo32/screen.h"

namespace d32 {

SIMD_CLONES void darken_frame(uint32_t *pixels) {
  for (int i = 0; i < SCREEN_PIXELS; ++i) {
    const uint32_t p = pixels[i];
    // The mask stops each channel's low bit from sliding into its neighbour.
    pixels[i] = ((p >> 1) & 0x7F7F7F) | (p & 0xFF000000);
  }
}

} // namespace d32
