// LD_PRELOAD library for the whole-show test: writes every buffer that the
// program's audio callback fills, unchanged and in order, to the file named
// by RECORD_AUDIO_FILE. SDL's disk driver records what reaches the device,
// but the SDL 1.2 compatibility layer first converts the stream to its own
// device format (stereo, through floating point, which moves samples above
// half scale by one step); this records the program's own samples instead.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

using OpenAudioFn = int (*)(SDL_AudioSpec *, SDL_AudioSpec *);
using CloseAudioFn = void (*)();
using CallbackFn = void (*)(void *, Uint8 *, int);

CallbackFn program_callback = nullptr;
std::FILE *recording = nullptr;

void recording_callback(void *userdata, Uint8 *stream, int length) {
  program_callback(userdata, stream, length);
  if (recording != nullptr && length > 0)
    std::fwrite(stream, 1, static_cast<size_t>(length), recording);
}

} // namespace

extern "C" int SDL_OpenAudio(SDL_AudioSpec *desired, SDL_AudioSpec *obtained) {
  const auto real = reinterpret_cast<OpenAudioFn>(dlsym(RTLD_NEXT, "SDL_OpenAudio"));
  if (real == nullptr) {
    SDL_SetError("record_audio: the real SDL_OpenAudio was not found");
    return -1;
  }
  const char *path = std::getenv("RECORD_AUDIO_FILE");
  if (desired == nullptr || desired->callback == nullptr || path == nullptr)
    return real(desired, obtained);
  recording = std::fopen(path, "wb");
  if (recording == nullptr) {
    SDL_SetError("record_audio: cannot write %s", path);
    return -1;
  }
  SDL_AudioSpec wrapped = *desired;
  program_callback = desired->callback;
  wrapped.callback = recording_callback;
  const int result = real(&wrapped, obtained);
  if (obtained == nullptr) {
    *desired = wrapped;
    desired->callback = program_callback;
  } else if (obtained->callback == recording_callback) {
    obtained->callback = program_callback;
  }
  return result;
}

// Once the device is closed the callback cannot run again.
extern "C" void SDL_CloseAudio() {
  const auto real = reinterpret_cast<CloseAudioFn>(dlsym(RTLD_NEXT, "SDL_CloseAudio"));
  if (real != nullptr)
    real();
  if (recording != nullptr)
    std::fflush(recording);
}
