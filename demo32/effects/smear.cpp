// Placeholder until the effect lands: draws nothing.
#include "demo32/effects/effects.h"

namespace d32 {

void smear_rows(uint32_t *) {}

} // namespace d32
