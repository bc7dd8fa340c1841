#pragma once
#include "demo32/synth/synth.h"

namespace d32 {

// Opens the audio device (paused) with the synthesizer as its callback, builds
// the wave tables and prints wag. Returns 0, or -1 when audio cannot be used.
int synth_open(Music &music);

} // namespace d32
