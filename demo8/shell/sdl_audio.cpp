// Audio device of demo8. The music runs alone on SDL's audio thread; nothing
// else reads its state once it has started.
#include "demo8/shell/sdl_audio.h"

#include <SDL.h>
#include <cstdio>

namespace d8 {

namespace {

void fill_audio(void *userdata, Uint8 *stream, int len) {
  music_render(*static_cast<Music *>(userdata), stream, len);
}

} // namespace

void music_start(Music &music) {
  SDL_AudioSpec desired{};
  desired.freq = MUSIC_RATE;
  desired.format = AUDIO_U8;
  desired.channels = 1;
  desired.samples = 8192;
  desired.callback = fill_audio;
  desired.userdata = &music;
  music.sample_clock = 0;

  SDL_AudioSpec obtained{};
  if (SDL_OpenAudio(&desired, &obtained) < 0) {
    std::printf("No huh ku ei mit\xE4\xE4n musaa saada\n");
    std::fflush(stdout);
    return;
  }
  // Only the sample format and the rate matter; the channel count is taken
  // as it comes.
  if (obtained.format != AUDIO_U8 || obtained.freq != MUSIC_RATE) {
    std::printf("Ei saa \xE4\xE4nt\xE4 silleen ku haluis, etp\xE4 kuule musaa\n");
    std::fflush(stdout);
    SDL_CloseAudio();
    return;
  }
  SDL_PauseAudio(0);
}

} // namespace d8
