#include "demo8/sdl/audio_device.h"

#include "demo8/show/no_music.h"

namespace d8 {

void render_audio(void *userdata, Uint8 *stream, int length) {
  music_render(*static_cast<Music *>(userdata), stream, length);
}

std::string start_audio(Music &music, AudioCallback callback) {
  SDL_AudioSpec desired{};
  desired.freq = MUSIC_RATE;
  desired.format = AUDIO_U8;
  desired.channels = 1;
  desired.samples = AUDIO_BUFFER_SAMPLES;
  desired.callback = callback;
  desired.userdata = &music;
  music.sample_clock = 0;

  SDL_AudioSpec obtained{};
  if (SDL_OpenAudio(&desired, &obtained) < 0)
    return NO_MUSIC_LINE;
  // Only the sample format and the rate matter; the channel count is taken
  // as it comes.
  if (obtained.format != AUDIO_U8 || obtained.freq != MUSIC_RATE) {
    SDL_CloseAudio();
    return WRONG_MUSIC_LINE;
  }
  SDL_PauseAudio(0);
  return "";
}

} // namespace d8
