#pragma once
// The canvas behind emscripten's SDL screen surface takes 32-bit pixels whose
// channels its format names by masks only: the shift fields stay 0.
#include <SDL.h>

#include <bit>
#include <cstdint>

namespace web {

struct ScreenFormat {
  int red, green, blue; // shifts
  uint32_t alpha;       // opaque
};

inline ScreenFormat screen_format(const SDL_PixelFormat &f) {
  return {std::countr_zero(f.Rmask), std::countr_zero(f.Gmask), std::countr_zero(f.Bmask), f.Amask};
}

inline uint32_t screen_pixel(const ScreenFormat &f, uint32_t r, uint32_t g, uint32_t b) {
  return r << f.red | g << f.green | b << f.blue | f.alpha;
}

} // namespace web
