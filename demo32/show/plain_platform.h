#pragma once
// A platform without devices: the surface in plain memory, a clock that reads
// what the caller set, no input, no screenshot, nothing to present. The offline
// renderer, the benchmarks and the tests drive the show's own pass through it.
#include <cstdint>

#include "demo32/show/show.h"

namespace d32 {

struct PlainScreen {
  uint32_t *pixels = nullptr; // 320x240 words
  uint32_t now = 0;           // milliseconds the clock reads
};

// Unpaced: every pass draws, with the steps due by `now`.
Platform32 plain_platform(PlainScreen &screen);

} // namespace d32
