#include "desktop/sdl_start.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace desktop {

namespace {

bool invisible_driver(const char *name) {
  return name != nullptr &&
         (std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0);
}

bool driver_chosen_by_user() {
  const char *chosen = std::getenv("SDL_VIDEODRIVER");
  return chosen != nullptr && *chosen != '\0';
}

} // namespace

SdlStart start_sdl() {
  if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) != 0) {
    // The compatibility layer remembers both halves of a failed start as
    // started; it must forget them before video can start alone.
    SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_VIDEO);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
      return SdlStart::NO_SDL;
  }
  char name[64] = "";
  if (!driver_chosen_by_user() && invisible_driver(SDL_VideoDriverName(name, sizeof name)))
    return SdlStart::NO_DISPLAY;
  return SdlStart::STARTED;
}

} // namespace desktop
