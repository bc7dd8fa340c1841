// demo8 on the desktop: start-up, the SDL side of every pass, the busy wait
// and shut-down. With the audio device it shares with the web page
// (demo8/sdl) the only code of demo8 that talks to SDL; what a pass does is
// the show's own (demo8/show).
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo8/sdl/audio_device.h"
#include "demo8/shell/console_main.h"
#include "demo8/shell/latin1_console.h"
#include "demo8/show/palette.h"
#include "demo8/show/show.h"
#include "desktop/display.h"
#include "desktop/process.h"
#include "desktop/sdl_start.h"

namespace {

d8::Show8 show;
d8::Music music; // once the music has started, only the audio thread touches it
SDL_Surface *screen = nullptr;

// ---- The show's platform functions ----

uint32_t ticks(void *) {
  return SDL_GetTicks();
}

d8::Surface8 lock(void *) {
  if (SDL_MUSTLOCK(screen)) {
    SDL_LockSurface(screen);
  }
  return d8::Surface8{static_cast<uint8_t *>(screen->pixels), screen->pitch};
}

void unlock(void *) {
  if (SDL_MUSTLOCK(screen)) {
    SDL_UnlockSurface(screen);
  }
}

void present(void *) {
  SDL_Flip(screen);
}

// Console lines go out whole at once, whatever the buffering.
void print_line(void *, const char *latin1) {
  std::printf("%s\n", latin1);
  std::fflush(stdout);
}

bool next_event(void *, d8::Event &event) {
  SDL_Event e;
  if (!SDL_PollEvent(&e))
    return false;
  event = d8::Event::OTHER;
  if (e.type == SDL_QUIT)
    event = d8::Event::CLOSE_REQUESTED;
  else if (e.type == SDL_KEYUP && e.key.keysym.sym == SDLK_ESCAPE)
    event = d8::Event::ESCAPE_UP;
  return true;
}

void set_palette() {
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
}

void clear_screen() {
  const d8::Surface8 s = lock(nullptr);
  std::memset(s.pixels, 0, static_cast<size_t>(s.pitch) * d8::SCREEN_HEIGHT);
  unlock(nullptr);
}

} // namespace

int main(int argc, char **argv) {
  desktop::line_buffered_console();
  d8::latin1_console();
  desktop::catch_stop_signals();
  // Only the first character counts, so "window" works as well as "w".
  const bool fullscreen = !(argc > 1 && argv[1][0] == 'w');

  desktop::choose_sharp_pixels();
  const desktop::SdlStart started = desktop::start_sdl();
  if (started == desktop::SdlStart::NO_SDL) {
    std::printf("\xF6\xF6 ees SDL_Init() ei toimi ;o\n");
    return 3;
  }
  // Without a display there is no mode worth setting.
  if (started == desktop::SdlStart::STARTED) {
    desktop::choose_window_scale(d8::SCREEN_WIDTH, d8::SCREEN_HEIGHT);
    screen =
        SDL_SetVideoMode(d8::SCREEN_WIDTH, d8::SCREEN_HEIGHT, 8, fullscreen ? SDL_FULLSCREEN : 0);
  }
  if (screen == nullptr) {
    std::printf("no johan on kumma ku ei saada ees 320x240x8\n");
    if (fullscreen) {
      std::printf("ahhhahsdgjfgsfdsfouq kokeile ikkunas. laita %s w\n", argv[0]);
    }
    return 2;
  }
  desktop::show_whole_pixels(screen);
  SDL_ShowCursor(0);
  set_palette();
  d8::prepare_show(show);
  clear_screen();
  if (const std::string no_sound = d8::start_audio(music); !no_sound.empty())
    print_line(nullptr, no_sound.c_str());
  d8::start_show(show, SDL_GetTicks());

  d8::Platform8 platform;
  platform.ticks = ticks;
  platform.lock = lock;
  platform.unlock = unlock;
  platform.present = present;
  platform.next_event = next_event;
  platform.print_line = print_line;
  // Busy wait: a pass whose deadline has not come is simply asked again. A
  // stop signal is seen before the next frame.
  while (desktop::stop_signal() == 0 && d8::show_pass(show, platform) != d8::Pass::LAST_FRAME) {
  }

  SDL_Quit();
  // Stopped by a signal, the show ends by it, without its closing line.
  if (desktop::stop_signal() != 0)
    desktop::end_by_stop_signal();
  std::printf("Kurppana tykk\xE4\xE4 kebabista. Niin min\xE4kin.\n");
  return 0;
}
