// demo32 on the desktop: start-up, the SDL side of every pass, the busy wait,
// and the silent show clock. With sdl_winmain.cpp (Windows start-up) and the
// audio device it shares with the web page (demo32/sdl) the only code of
// demo32 that talks to SDL; what a pass does is the show's own (demo32/show).
#include <SDL.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "demo32/sdl/audio_device.h"
#include "demo32/shell/vidmode_report.h"
#include "demo32/show/show.h"
#include "demo32/show/switches.h"
#include "desktop/display.h"
#include "desktop/process.h"
#include "desktop/sdl_start.h"

namespace {

// The program's one instance of each piece of state.
d32::Show32 show;
d32::Music music; // the audio callback's, and the show clock

SDL_Surface *screen_surface = nullptr;
SDL_Surface *offscreen_surface = nullptr;
SDL_TimerID tick_timer = nullptr;

[[noreturn]] void fail() {
  SDL_Quit();
  std::puts("LAMER!!!!!!!!!!!!!!!!!");
  std::exit(1);
}

Uint32 timer_tick(Uint32 interval, void *) {
  d32::advance_timer_clock(music.clock);
  return interval;
}

// ---- The show's platform functions ----

uint32_t ticks(void *) {
  return SDL_GetTicks();
}

bool next_event(void *, d32::Event &event) {
  SDL_Event e;
  if (!SDL_PollEvent(&e))
    return false;
  event = d32::Event::OTHER;
  if (e.type == SDL_QUIT)
    event = d32::Event::CLOSE_REQUESTED;
  else if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE)
    event = d32::Event::ESCAPE_DOWN;
  else if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_BACKSPACE)
    event = d32::Event::BACKSPACE_DOWN;
  return true;
}

// Replaces to with from in one step.
bool replace_file(const char *from, const char *to) {
#ifdef _WIN32
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(from, to) == 0;
#endif
}

// The screenshot is written under a name of its own beside vintage.bmp and
// takes that name only when complete, so a full disk never leaves a cut-off
// file in place of the last one. One that cannot be written is reported in
// one line; the show ends as usual.
void save_screenshot(void *) {
  static const char NAME[] = "vintage.bmp";
  static const char PARTIAL[] = ".vintage.bmp.part";
  errno = 0;
  SDL_RWops *file = SDL_RWFromFile(PARTIAL, "wb");
  bool saved = file != nullptr && SDL_SaveBMP_RW(offscreen_surface, file, 0) == 0;
  // Closing flushes the last bytes, which may not fit either.
  saved = file != nullptr && SDL_RWclose(file) == 0 && saved;
  saved = saved && replace_file(PARTIAL, NAME);
  if (saved)
    return;
  const std::string reason = errno != 0 ? std::strerror(errno) : SDL_GetError();
  std::remove(PARTIAL);
  std::fprintf(stderr, "%s not written: %s\n", NAME, reason.c_str());
}

uint32_t *lock(void *) {
  SDL_LockSurface(offscreen_surface);
  return static_cast<uint32_t *>(offscreen_surface->pixels);
}

void unlock(void *) {
  SDL_UnlockSurface(offscreen_surface);
}

void present(void *) {
  SDL_UpperBlit(offscreen_surface, nullptr, screen_surface, nullptr);
  SDL_UpdateRect(screen_surface, 0, 0, d32::SCREEN_WIDTH, d32::SCREEN_HEIGHT);
}

void run_show(uint32_t seed) {
  SDL_ShowCursor(0);
  d32::prepare_show(show, seed);
  SDL_PauseAudio(0);
  d32::start_show(show, music.clock, SDL_GetTicks());

  d32::Platform32 platform;
  platform.ticks = ticks;
  platform.next_event = next_event;
  platform.save_screenshot = save_screenshot;
  platform.lock = lock;
  platform.unlock = unlock;
  platform.present = present;
  // Busy wait: the show never sleeps; a pass that is not due yet is simply
  // asked again until its 12 ms step has come. A stop signal is seen at the
  // latest one step later.
  while (desktop::stop_signal() == 0) {
    const d32::Pass pass = d32::show_pass(show, music.clock, platform);
    if (pass == d32::Pass::LAST_FRAME || pass == d32::Pass::ENDED)
      return;
  }
}

// After the show: the device closed (also on the silent path, where none is
// open) and SDL shut down; a show stopped by a signal ends by it.
int shut_down() {
  SDL_CloseAudio();
  SDL_Quit();
  if (desktop::stop_signal() != 0)
    desktop::end_by_stop_signal();
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  desktop::line_buffered_console();
  desktop::catch_stop_signals();
  // Every run starts with different polygon motion.
  const auto seed = static_cast<uint32_t>(std::time(nullptr));
  const d32::Switches switches = d32::parse_switches(argc, argv);
  show.smear_enabled = switches.smear_enabled;
  show.debug_mode = switches.debug_mode;

  desktop::choose_sharp_pixels();
  if (desktop::start_sdl() != desktop::SdlStart::STARTED)
    fail();
  desktop::choose_window_scale(d32::SCREEN_WIDTH, d32::SCREEN_HEIGHT);
  screen_surface = SDL_SetVideoMode(d32::SCREEN_WIDTH, d32::SCREEN_HEIGHT, 32,
                                    (switches.windowed != 0 ? 0 : SDL_FULLSCREEN) | SDL_HWSURFACE);
  if (screen_surface == nullptr)
    fail();
  desktop::show_whole_pixels(screen_surface);

  std::fputs(d32::vidmode_report(screen_surface->flags).c_str(), stdout);
  SDL_WM_SetCaption("zyrkon malvestra 2", "zyrkon");

  offscreen_surface =
      SDL_CreateRGBSurface(0, d32::SCREEN_WIDTH, d32::SCREEN_HEIGHT, 32, 0, 0, 0, 0);
  // Every effect addresses the surface as 320 words per row.
  if (offscreen_surface == nullptr || offscreen_surface->pitch != d32::SCREEN_WIDTH * 4)
    fail();
  std::puts(d32::lock_remark(SDL_MUSTLOCK(offscreen_surface)));

  if (switches.no_sound == 0) {
    const std::string no_sound = d32::open_audio(music);
    if (no_sound.empty()) {
      run_show(seed);
      return shut_down();
    }
    std::fprintf(stderr, "%s\n", no_sound.c_str());
  }

  SDL_InitSubSystem(SDL_INIT_TIMER);
  tick_timer = SDL_AddTimer(18, timer_tick, nullptr);
  run_show(seed);
  return shut_down();
}
