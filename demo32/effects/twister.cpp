// Placeholder until the effect lands: draws nothing.
#include "demo32/effects/effects.h"

namespace d32 {

void draw_twister(uint32_t *, const EffectState &) {}

} // namespace d32
