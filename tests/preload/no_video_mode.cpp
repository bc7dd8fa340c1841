// LD_PRELOAD library for the failure-path tests: every SDL_SetVideoMode call
// is refused, as by a display that has no 320x240 mode at all. It stands in
// front of the SDL 1.2 library the programs link, so their own failure
// handling runs exactly as it would on such a machine. The line on standard
// error shows the test that the refusal really came from here.
#include <SDL.h>

#include <cstdio>

extern "C" SDL_Surface *SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  std::fprintf(stderr, "preload: SDL_SetVideoMode(%d, %d, %d, 0x%08X) refused\n", width, height,
               bpp, static_cast<unsigned>(flags));
  SDL_SetError("no such video mode (refused by the test)");
  return nullptr;
}
