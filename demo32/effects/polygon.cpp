// Placeholder until the effect lands: draws nothing.
#include "demo32/effects/effects.h"

namespace d32 {

void fill_polygon(uint32_t *, int32_t, const Vertex *, uint32_t) {}

} // namespace d32
