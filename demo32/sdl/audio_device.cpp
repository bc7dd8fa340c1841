#include "demo32/sdl/audio_device.h"

#include <cstdio>

#include "demo32/show/no_sound.h"

namespace d32 {

void render_audio(void *userdata, Uint8 *stream, int length) {
  Music &music = *static_cast<Music *>(userdata);
  synth_render(music.synth, music.wave_memory, music.clock, reinterpret_cast<int16_t *>(stream),
               length / 2);
}

std::string open_audio(Music &music, AudioCallback callback) {
  SDL_AudioSpec desired{};
  desired.freq = SAMPLE_RATE;
  desired.format = AUDIO_S16LSB;
  desired.channels = 1;
  desired.samples = AUDIO_BUFFER_SAMPLES;
  desired.callback = callback;
  desired.userdata = &music;
  SDL_AudioSpec obtained{};
  if (SDL_OpenAudio(&desired, &obtained) < 0)
    return no_sound_line(SDL_GetError());
  // Any buffer size will do, but the stream itself must be exactly ours.
  if (obtained.freq != SAMPLE_RATE || obtained.format != AUDIO_S16LSB || obtained.channels != 1) {
    const std::string refused = refused_sound_line(SDL_GetError());
    SDL_CloseAudio();
    return refused;
  }
  // The device stays paused until the show starts, so the tables are ready
  // before the first callback.
  std::printf("wag: %f\n", compute_wag());
  build_wave_memory(music.wave_memory);
  return "";
}

} // namespace d32
