#pragma once
#include "demo32/synth/synth.h"

namespace d32 {

// Opens the audio device (paused) with synth_render as its callback, builds the
// wave tables and prints wag. Returns 0, or -1 when audio cannot be used.
int synth_open(Synth &synth, WaveMemory &memory, ShowClock &clock);

} // namespace d32
