// LD_PRELOAD library for the failure-path tests: the audio device really
// opens, but the format reported back differs from the one asked for, as from a
// driver that only offers its own format. ODD_AUDIO_FIELD chooses what
// differs: "freq" (48000 Hz, the default), "format" (unsigned 8-bit becomes
// signed 16-bit and anything else unsigned 8-bit) or "channels" (stereo).
// The programs must then close the device again or, where that field does not
// matter to them, play on.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace {

using OpenAudioFn = int (*)(SDL_AudioSpec *, SDL_AudioSpec *);

bool field_is(const char *field, const char *name) {
  return field != nullptr && std::strcmp(field, name) == 0;
}

} // namespace

extern "C" int SDL_OpenAudio(SDL_AudioSpec *desired, SDL_AudioSpec *obtained) {
  const auto real = reinterpret_cast<OpenAudioFn>(dlsym(RTLD_NEXT, "SDL_OpenAudio"));
  if (real == nullptr) {
    SDL_SetError("odd_audio_format: the real SDL_OpenAudio was not found");
    return -1;
  }
  const int result = real(desired, obtained);
  if (result < 0 || obtained == nullptr)
    return result;

  const char *field = std::getenv("ODD_AUDIO_FIELD");
  if (field_is(field, "format")) {
    obtained->format = obtained->format == AUDIO_U8 ? AUDIO_S16LSB : AUDIO_U8;
    SDL_SetError("device wants another sample format (test)");
  } else if (field_is(field, "channels")) {
    obtained->channels = 2;
    SDL_SetError("device is stereo only (test)");
  } else {
    obtained->freq = 48000;
    SDL_SetError("device runs at 48000 Hz (test)");
  }
  return result;
}
