#pragma once
#include "demo8/synth/music.h"

namespace d8 {

// Opens the audio device and starts the music; on failure prints why and
// returns, and the show runs silent.
void music_start(Music &music);

} // namespace d8
