#pragma once
// The demo8 state the benchmarks draw from: the start-up tables, built once,
// and a plain 320x240 surface of palette indices.
#include "demo8/effects/effects.h"

namespace bench {

const d8::Tables &tables8();
d8::Surface8 surface8();

} // namespace bench
