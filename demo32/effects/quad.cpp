// Placeholder until the effect lands: draws nothing.
#include "demo32/effects/effects.h"

namespace d32 {

void draw_quad(uint32_t *, const EffectState &, int32_t, int32_t, int32_t, int32_t) {}

} // namespace d32
