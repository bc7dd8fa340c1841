// Placeholder until the effect lands: draws nothing.
#include "demo32/effects/effects.h"

namespace d32 {

void draw_glyph(uint32_t *, int32_t, int32_t, uint32_t, int32_t, uint8_t, int32_t, int32_t) {}

} // namespace d32
