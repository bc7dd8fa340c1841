#pragma once
// The window's default size, as plain arithmetic: the desktop platform
// measures, this decides.

namespace desktop {

constexpr int MOST_WINDOW_SCALE = 3; // larger windows only hide more of the desktop

// A width and height in screen pixels.
struct Extent {
  int w = 0;
  int h = 0;
};

// The largest whole scale, MOST_WINDOW_SCALE at most, at which the surface
// enlarged plus the window's frame (title bar and borders, both directions
// together) fits in the desktop's usable area; 1 when not even 2 fits, since
// a window smaller than the surface would no longer show every pixel.
constexpr int window_scale(Extent usable, Extent frame, Extent surface) {
  for (int k = MOST_WINDOW_SCALE; k > 1; --k)
    if (k * surface.w + frame.w <= usable.w && k * surface.h + frame.h <= usable.h)
      return k;
  return 1;
}

} // namespace desktop
