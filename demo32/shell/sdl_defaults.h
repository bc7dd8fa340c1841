#pragma once
#include <cstdlib>

namespace d32 {

// Sharp, visible pixels on a modern desktop: nearest-neighbour scaling and a
// 3x window, unless the viewer's environment already says otherwise.
inline void set_sdl_display_defaults() {
  setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
  setenv("SDL12COMPAT_WINDOW_SCALING", "3", 0);
}

} // namespace d32
