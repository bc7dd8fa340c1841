#pragma once
// demo8's audio device, as the desktop shell opens it. (The web page plays
// its music through the browser's Web Audio instead.) The music then runs
// alone on SDL's audio thread; nothing else reads its state once it has
// started.
#include <SDL.h>

#include <string>

#include "demo8/synth/music.h"

namespace d8 {

constexpr int AUDIO_BUFFER_SAMPLES = 8192; // asked of the device for each callback

using AudioCallback = void (*)(void *userdata, Uint8 *stream, int length);

// The audio callback: the music fills SDL's buffer. userdata is the Music.
void render_audio(void *userdata, Uint8 *stream, int length);

// Opens the audio device for unsigned 8-bit samples at 22,050 Hz with
// callback (render_audio, or a platform's own that calls it) and music as its
// user data, and starts the music. Returns an empty string, or the line
// (Latin-1, no newline) that says why the show runs silent; a device that
// came in another format is closed again.
std::string start_audio(Music &music, AudioCallback callback = render_audio);

} // namespace d8
