#pragma once
// The little that differs between the Linux and the Windows build of demo32.
// (On Windows, SDL.h also renames main to SDL_main; sdl_winmain.cpp starts
// it.)
#include <cstdlib>

namespace d32 {

// Sets an environment variable unless the viewer's environment already has it.
inline void set_env_default(const char *name, const char *value) {
#ifdef _WIN32
  if (std::getenv(name) == nullptr)
    _putenv_s(name, value);
#else
  setenv(name, value, 0);
#endif
}

// Sharp, visible pixels on a modern desktop: nearest-neighbour scaling and a
// 3x window, unless the viewer's environment already says otherwise.
inline void set_sdl_display_defaults() {
  set_env_default("SDL12COMPAT_SCALE_METHOD", "nearest");
  set_env_default("SDL12COMPAT_WINDOW_SCALING", "3");
}

} // namespace d32
