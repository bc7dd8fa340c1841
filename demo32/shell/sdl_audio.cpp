// The audio device: opens SDL audio with the synthesizer as its callback.
#include "demo32/shell/sdl_audio.h"

#include <SDL.h>

#include <cstdio>

namespace d32 {

namespace {

void audio_callback(void *userdata, Uint8 *stream, int length) {
  Music &music = *static_cast<Music *>(userdata);
  synth_render(music.synth, music.wave_memory, music.clock, reinterpret_cast<int16_t *>(stream),
               length / 2);
}

} // namespace

int synth_open(Music &music) {
  SDL_AudioSpec desired{};
  desired.freq = SAMPLE_RATE;
  desired.format = AUDIO_S16LSB;
  desired.channels = 1;
  desired.samples = 4096;
  desired.callback = audio_callback;
  desired.userdata = &music;
  SDL_AudioSpec obtained{};
  if (SDL_OpenAudio(&desired, &obtained) < 0) {
    std::fprintf(stderr, "emm\xE4 osaa soittaa musiiccia ku oot lameri t\xE4st\xE4 syyst\xE4: %s\n",
                 SDL_GetError());
    return -1;
  }
  // Any buffer size will do, but the stream itself must be exactly ours.
  if (obtained.freq != SAMPLE_RATE || obtained.format != AUDIO_S16LSB || obtained.channels != 1) {
    std::fprintf(stderr,
                 "emm\xE4 osaa soittaa musiiccia ku oot lameri t\xE4st\xE4 syyst\xE4: %s"
                 " (ja et t\xE4yt\xE4 mun laatuvaatimuksia!)\n",
                 SDL_GetError());
    SDL_CloseAudio();
    return -1;
  }
  // The device stays paused until the show starts, so the tables are ready
  // before the first callback.
  std::printf("wag: %f\n", compute_wag());
  build_wave_memory(music.wave_memory);
  return 0;
}

} // namespace d32
