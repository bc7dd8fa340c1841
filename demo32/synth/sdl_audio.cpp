// The audio device: opens SDL audio with the synthesizer as its callback.
#include "demo32/synth/sdl_audio.h"

#include <SDL.h>

#include <cstdio>

namespace d32 {

namespace {

// SDL's callback gets no state of ours (its user pointer stays NULL), so the
// synthesizer is reached through these, set once before the device can run.
Synth *audio_synth = nullptr;
const WaveMemory *audio_memory = nullptr;
ShowClock *audio_clock = nullptr;

void audio_callback(void * /*userdata*/, Uint8 *stream, int length) {
  synth_render(*audio_synth, *audio_memory, *audio_clock, reinterpret_cast<int16_t *>(stream),
               length / 2);
}

} // namespace

int synth_open(Synth &synth, WaveMemory &memory, ShowClock &clock) {
  audio_synth = &synth;
  audio_memory = &memory;
  audio_clock = &clock;

  SDL_AudioSpec desired{};
  desired.freq = SAMPLE_RATE;
  desired.format = AUDIO_S16LSB;
  desired.channels = 1;
  desired.samples = 4096;
  desired.callback = audio_callback;
  desired.userdata = nullptr;
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
  build_wave_memory(memory);
  return 0;
}

} // namespace d32
