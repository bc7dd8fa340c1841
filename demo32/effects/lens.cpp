// Placeholder until the effect lands: draws nothing.
#include "demo32/effects/effects.h"

namespace d32 {

void build_lens_tables(LensTables &lens) { lens = LensTables{}; }
void draw_lens(uint32_t *, const EffectState &, const LensTables &) {}

} // namespace d32
