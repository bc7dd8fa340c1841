#pragma once
// How a show's 320x240 surface reaches the screen, the same for demo32 and
// demo8. The shows ask SDL 1.2 for their mode exactly as they always did;
// these functions only change how it is presented. Debian's SDL 1.2, like the
// SDL.dll of the Windows zips, is a compatibility layer that shows the surface
// through an SDL 2 renderer: its own environment variables choose the filter
// and the window size, and the renderer it has made is reached through the
// SDL 2 library it has loaded. Under any other SDL 1.2 nothing here has an
// effect, and the picture is whatever that library makes of the mode.
struct SDL_Surface;

namespace desktop {

// Before SDL starts: sharp (nearest-neighbour) enlargement, unless the
// environment already chooses (SDL12COMPAT_SCALE_METHOD=linear).
void choose_sharp_pixels();

// With SDL started, before the mode is set: unless the environment already
// chooses (SDL12COMPAT_WINDOW_SCALING), a window enlarged by the largest whole
// factor, 3 at most, that fits with its frame in the desktop's usable area.
// When the usable area cannot be had, 3.
void choose_window_scale(int surface_width, int surface_height);

// With the mode set, in full screen: the picture enlarged by the largest whole
// factor that fits the screen, centred between black borders, so that every
// pixel of the surface is a square of the same size. DEMO_FULLSCREEN_SCALING=fill
// keeps the compatibility layer's own choice instead: the whole height of the
// screen, pixels of uneven sizes.
void show_whole_pixels(const SDL_Surface *screen);

} // namespace desktop
