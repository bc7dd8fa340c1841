// LD_PRELOAD library for the failure-path tests: SDL_OpenAudio fails as it
// does on a machine without a sound device, with a known error text that the
// programs' messages must carry.
#include <SDL.h>

extern "C" int SDL_OpenAudio(SDL_AudioSpec *, SDL_AudioSpec *) {
  SDL_SetError("no audio device (refused by the test)");
  return -1;
}
