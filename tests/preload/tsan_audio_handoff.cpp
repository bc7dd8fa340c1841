// LD_PRELOAD library for the ThreadSanitizer runs. It tells the sanitizer
// about the one hand-over that SDL makes with atomics inside its own,
// uninstrumented library: whatever the main thread writes before
// SDL_PauseAudio(0) - demo32 builds its wave tables while the device is open
// but paused - is visible to the audio callback, because SDL only calls the
// callback after it has read the cleared pause flag. The sanitizer cannot see
// that flag and would report the tables as a race. Here the unpause is a
// release and every callback entry an acquire on one token: exactly that
// guarantee and nothing more, so every other access shared by the two threads
// is still checked.
#include <SDL.h>
#include <dlfcn.h>

// Weak: without the sanitizer the library loads and only passes calls on.
extern "C" void __tsan_acquire(void *addr) __attribute__((weak));
extern "C" void __tsan_release(void *addr) __attribute__((weak));

namespace {

using OpenAudioFn = int (*)(SDL_AudioSpec *, SDL_AudioSpec *);
using PauseAudioFn = void (*)(int);
using CallbackFn = void (*)(void *, Uint8 *, int);

char handoff_token;
CallbackFn program_callback = nullptr;

void callback_after_handoff(void *userdata, Uint8 *stream, int length) {
  if (__tsan_acquire != nullptr)
    __tsan_acquire(&handoff_token);
  program_callback(userdata, stream, length);
}

} // namespace

extern "C" int SDL_OpenAudio(SDL_AudioSpec *desired, SDL_AudioSpec *obtained) {
  const auto real = reinterpret_cast<OpenAudioFn>(dlsym(RTLD_NEXT, "SDL_OpenAudio"));
  if (real == nullptr) {
    SDL_SetError("tsan_audio_handoff: the real SDL_OpenAudio was not found");
    return -1;
  }
  if (desired == nullptr || desired->callback == nullptr)
    return real(desired, obtained);

  SDL_AudioSpec wrapped = *desired;
  program_callback = desired->callback;
  wrapped.callback = callback_after_handoff;
  const int result = real(&wrapped, obtained);
  // SDL fills in the SDL_AudioSpec it was given when there is no obtained one.
  if (obtained == nullptr) {
    *desired = wrapped;
    desired->callback = program_callback;
  } else if (obtained->callback == callback_after_handoff) {
    obtained->callback = program_callback;
  }
  return result;
}

extern "C" void SDL_PauseAudio(int pause_on) {
  const auto real = reinterpret_cast<PauseAudioFn>(dlsym(RTLD_NEXT, "SDL_PauseAudio"));
  if (pause_on == 0 && __tsan_release != nullptr)
    __tsan_release(&handoff_token);
  if (real != nullptr)
    real(pause_on);
}
