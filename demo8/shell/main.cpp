// demo8: start-up, the frame loop and shut-down. The only SDL code of the
// picture side; everything drawn goes through plain pixel memory.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo8/effects/effects.h"
#include "demo8/shell/pacing.h"
#include "demo8/shell/palette.h"
#include "demo8/shell/platform.h"
#include "demo8/shell/scene.h"
#include "demo8/synth/sdl_audio.h"

namespace {

d8::Tables tables; // built once, before the first frame
d8::Music music;   // from music_start on, only the audio thread touches it

uint32_t sdl_ticks(void *) {
  return SDL_GetTicks();
}

d8::Surface8 surface_of(SDL_Surface *screen) {
  return d8::Surface8{static_cast<uint8_t *>(screen->pixels), screen->pitch};
}

} // namespace

int main(int argc, char **argv) {
  // Only the first character counts, so "window" works as well as "w".
  const bool fullscreen = !(argc > 1 && argv[1][0] == 'w');

  // Keeps a value the user has set; otherwise the 320x240 window would be tiny.
  d8::set_env_default("SDL12COMPAT_SCALE_METHOD", "nearest");
  d8::set_env_default("SDL12COMPAT_WINDOW_SCALING", "3");

  if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
    std::printf("\xF6\xF6 ees SDL_Init() ei toimi ;o\n");
    return 3;
  }
  SDL_Surface *screen =
      SDL_SetVideoMode(d8::SCREEN_WIDTH, d8::SCREEN_HEIGHT, 8, fullscreen ? SDL_FULLSCREEN : 0);
  if (screen == nullptr) {
    std::printf("no johan on kumma ku ei saada ees 320x240x8\n");
    if (fullscreen) {
      std::printf("ahhhahsdgjfgsfdsfouq kokeile ikkunas. laita %s w\n", argv[0]);
    }
    return 2;
  }
  SDL_ShowCursor(0);

  d8::Rgb rgb[256];
  d8::build_palette(rgb);
  SDL_Color colours[256];
  for (int i = 0; i < 256; ++i) {
    colours[i].r = rgb[i].r;
    colours[i].g = rgb[i].g;
    colours[i].b = rgb[i].b;
    colours[i].unused = 0;
  }
  SDL_SetPalette(screen, SDL_LOGPAL | SDL_PHYSPAL, colours, 0, 256);

  d8::build_polar_tables(tables);
  d8::build_wave_table(tables);

  if (SDL_MUSTLOCK(screen)) {
    SDL_LockSurface(screen);
  }
  std::memset(screen->pixels, 0, static_cast<size_t>(screen->pitch) * d8::SCREEN_HEIGHT);
  if (SDL_MUSTLOCK(screen)) {
    SDL_UnlockSurface(screen);
  }

  d8::music_start(music);

  int32_t frame = 0;
  d8::Pacing pacing;
  d8::start_pacing(pacing, static_cast<int32_t>(SDL_GetTicks()));
  d8::SceneState scene; // ox, oy at their frame-287 values
  int running = 1;

  while (running) {
    const d8::FrameStart start = d8::wait_for_frame(pacing, sdl_ticks, nullptr);
    if (const char *format = d8::lateness_format(start.lateness)) {
      std::printf(format, start.reported_lag);
      std::fflush(stdout);
    }

    if (SDL_MUSTLOCK(screen)) {
      SDL_LockSurface(screen);
    }
    d8::draw_frame(surface_of(screen), tables, scene, frame, running);
    if (SDL_MUSTLOCK(screen)) {
      SDL_UnlockSurface(screen);
    }
    SDL_Flip(screen);

    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      // The show ends when Escape is let go, not when it is pressed.
      if (event.type == SDL_QUIT ||
          (event.type == SDL_KEYUP && event.key.keysym.sym == SDLK_ESCAPE)) {
        running = 0;
      }
    }
    ++frame;
  }

  SDL_Quit();
  std::printf("Kurppana tykk\xE4\xE4 kebabista. Niin min\xE4kin.\n");
  return 0;
}
