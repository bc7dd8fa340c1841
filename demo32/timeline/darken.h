#pragma once
#include <cstdint>

namespace d32 {

// Halves the blue, green and red byte of every pixel of the frame (rounding
// down); the fourth byte is kept. Drawn under the effects, it leaves trails.
void darken_frame(uint32_t *pixels);

} // namespace d32
