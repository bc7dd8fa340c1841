#include "desktop/display.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "desktop/process.h"
#include "desktop/window_scale.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace desktop {

namespace {

// The few SDL 2 functions used, declared here: the programs are built against
// SDL 1.2's headers. SDL 2 passes rectangles as four ints and SDL_bool as int.
struct Rect2 {
  int x, y, w, h;
};

struct Sdl2 {
  void *(*compat_window)() = nullptr; // the compatibility layer's SDL_Window
  void *(*get_renderer)(void *window) = nullptr;
  int (*set_integer_scale)(void *renderer, int enable) = nullptr;
  int (*display_count)() = nullptr;
  int (*usable_bounds)(int display, Rect2 *rect) = nullptr;
};

template <typename Fn> void resolve(Fn &fn, void *address) {
  fn = reinterpret_cast<Fn>(address);
}

// The functions, from the SDL 2 library and the compatibility layer already
// loaded; false under an SDL 1.2 that is not the compatibility layer. Nothing
// is loaded here: a library that is not already in the process stays out.
bool reach_sdl2(Sdl2 &sdl2) {
#ifdef _WIN32
  HMODULE layer = GetModuleHandleA("SDL.dll");
  HMODULE library = GetModuleHandleA("SDL2.dll");
  if (layer == nullptr || library == nullptr)
    return false;
  const auto symbol = [](HMODULE module, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(module, name));
  };
#else
  // The layer opens SDL 2 privately (RTLD_LOCAL) under this name.
  void *library = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
  void *layer = RTLD_DEFAULT;
  if (library == nullptr)
    return false;
  const auto symbol = [](void *module, const char *name) { return dlsym(module, name); };
#endif
  resolve(sdl2.compat_window, symbol(layer, "SDL12COMPAT_GetWindow"));
  resolve(sdl2.get_renderer, symbol(library, "SDL_GetRenderer"));
  resolve(sdl2.set_integer_scale, symbol(library, "SDL_RenderSetIntegerScale"));
  resolve(sdl2.display_count, symbol(library, "SDL_GetNumVideoDisplays"));
  resolve(sdl2.usable_bounds, symbol(library, "SDL_GetDisplayUsableBounds"));
  return sdl2.compat_window != nullptr && sdl2.get_renderer != nullptr &&
         sdl2.set_integer_scale != nullptr && sdl2.display_count != nullptr &&
         sdl2.usable_bounds != nullptr;
}

// The display the layer opens its window on: the first, unless the variables
// it reads for that name another.
int layer_display(const Sdl2 &sdl2) {
  const char *chosen = std::getenv("SDL_VIDEO_FULLSCREEN_DISPLAY");
  if (chosen == nullptr)
    chosen = std::getenv("SDL_VIDEO_FULLSCREEN_HEAD");
  const int display = chosen != nullptr ? std::atoi(chosen) : 0;
  return display >= 0 && display < sdl2.display_count() ? display : 0;
}

// The window's title bar and borders, both sides together.
Extent window_frame() {
#ifdef _WIN32
  // The style SDL 2 gives a window that cannot be resized.
  RECT rect = {0, 0, 0, 0};
  if (AdjustWindowRectEx(&rect, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, FALSE, 0))
    return {rect.right - rect.left, rect.bottom - rect.top};
#endif
  // An X11 window manager draws the frame and tells its size only once the
  // window is mapped: room for a generous title bar and thin borders.
  return {16, 48};
}

} // namespace

void choose_sharp_pixels() {
  set_env_default("SDL12COMPAT_SCALE_METHOD", "nearest");
}

void choose_window_scale(int surface_width, int surface_height) {
  int scale = MOST_WINDOW_SCALE;
  Sdl2 sdl2;
  Rect2 usable = {0, 0, 0, 0};
  if (reach_sdl2(sdl2) && sdl2.usable_bounds(layer_display(sdl2), &usable) == 0)
    scale = window_scale({usable.w, usable.h}, window_frame(), {surface_width, surface_height});
  char text[8];
  std::snprintf(text, sizeof text, "%d", scale);
  set_env_default("SDL12COMPAT_WINDOW_SCALING", text);
}

void show_whole_pixels(const SDL_Surface *screen) {
  if ((screen->flags & SDL_FULLSCREEN) == 0)
    return;
  const char *scaling = std::getenv("DEMO_FULLSCREEN_SCALING");
  if (scaling != nullptr && std::strcmp(scaling, "fill") == 0)
    return;
  Sdl2 sdl2;
  if (!reach_sdl2(sdl2))
    return;
  void *window = sdl2.compat_window();
  void *renderer = window != nullptr ? sdl2.get_renderer(window) : nullptr;
  // The layer drew into a logical 320x240 of its renderer; SDL 2 now sizes
  // that to a whole multiple, also when the window reaches its full size.
  if (renderer != nullptr)
    sdl2.set_integer_scale(renderer, 1);
}

} // namespace desktop
