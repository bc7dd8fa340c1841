#pragma once
// demo32's audio device, as the desktop shell opens it. (The web page plays
// its sound through the browser's Web Audio instead.)
#include <SDL.h>

#include <string>

#include "demo32/synth/synth.h"

namespace d32 {

constexpr int AUDIO_BUFFER_SAMPLES = 4096; // asked of the device for each callback

using AudioCallback = void (*)(void *userdata, Uint8 *stream, int length);

// The audio callback: the synthesizer fills SDL's buffer. userdata is the Music.
void render_audio(void *userdata, Uint8 *stream, int length);

// Opens the audio device, paused, for 16-bit mono at 44,100 Hz with callback
// (render_audio, or a platform's own that calls it) and music as its user
// data; then prints wag and builds the wave tables. Returns an empty string,
// or the line (Latin-1, no newline) that says why the show has no sound; a
// device that came in another format is closed again.
std::string open_audio(Music &music, AudioCallback callback = render_audio);

} // namespace d32
