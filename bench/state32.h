#pragma once
// The demo32 state the benchmarks draw from: one prepared show, moved on to a
// representative moment, and the surface it draws into.
#include <cstdint>

#include "demo32/show/show.h"

namespace bench {

// Prepared once (fixed seed), then advanced so that every effect does real
// work: names in front of and behind the twister, the hourglass at its
// narrowest stretch (most rings on screen), the twister visibly twisted.
d32::Show32 &show32();

// The representative effect state the show was left at; benchmarks that
// advance the state put it back from here.
const d32::EffectState &start_fx();

// Puts back everything that moves (a few hundred bytes; the tables are kept
// apart), so that a benchmark can return to the same moment before every
// iteration.
void restore_motion(d32::EffectState &fx, const d32::EffectState &from);

// The offscreen surface, 320x240 words.
uint32_t *surface32();

// Fills the surface with a busy picture (the rotozoomer and the plasma), so
// that effects drawing over it do not start from black.
void fill_busy_picture32();

} // namespace bench
