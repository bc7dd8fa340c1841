// demo32: start-up, the frame loop and the silent show clock. The only place
// besides the audio output that talks to SDL.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "demo32/shell/frame_pass.h"
#include "demo32/shell/platform.h"
#include "demo32/shell/switches.h"
#include "demo32/shell/vidmode_report.h"
#include "demo32/synth/sdl_audio.h"

namespace {

// The program's one instance of each piece of state.
d32::Show32 show;
d32::ShowClock show_clock;
d32::Synth synth;
d32::WaveMemory wave_memory;

SDL_Surface *screen_surface = nullptr;
SDL_Surface *offscreen_surface = nullptr;
SDL_TimerID tick_timer = nullptr;

[[noreturn]] void fail() {
  SDL_Quit();
  std::puts("LAMER!!!!!!!!!!!!!!!!!");
  std::exit(1);
}

Uint32 timer_tick(Uint32 interval, void *) {
  d32::advance_timer_clock(show_clock);
  return interval;
}

void save_screenshot() {
  // A file that cannot be opened is simply not written; the show goes on.
  SDL_RWops *file = SDL_RWFromFile("vintage.bmp", "wb");
  if (file != nullptr)
    SDL_SaveBMP_RW(offscreen_surface, file, 1);
}

void run_show() {
  SDL_ShowCursor(0);
  d32::prepare_show(show);
  SDL_PauseAudio(0);
  d32::put(show_clock.song_position, 0);

  int running = 1;
  uint32_t step_clock = SDL_GetTicks();
  for (;;) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type != SDL_KEYDOWN)
        continue;  // the close button is ignored on purpose
      if (event.key.keysym.sym == SDLK_BACKSPACE && show.debug_mode != 0) {
        d32::skip_position(show_clock);
      } else if (event.key.keysym.sym == SDLK_ESCAPE) {
        running = 0;
        save_screenshot();
      }
    }

    if (d32::get(show_clock.song_end) != 0)
      return;

    // Busy wait: the show never sleeps, it spins until the next 12 ms step.
    while (SDL_GetTicks() - step_clock < d32::STEP_MS) {
    }
    const uint32_t steps = d32::catch_up(step_clock, SDL_GetTicks());

    SDL_LockSurface(offscreen_surface);
    d32::frame_pass(show, static_cast<uint32_t *>(offscreen_surface->pixels), show_clock, steps,
                    SDL_GetTicks());
    SDL_UnlockSurface(offscreen_surface);

    SDL_UpperBlit(offscreen_surface, nullptr, screen_surface, nullptr);
    SDL_UpdateRect(screen_surface, 0, 0, 320, 240);

    if (running != 1)
      return;
  }
}

} // namespace

int main(int argc, char **argv) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  const d32::Switches switches = d32::parse_switches(argc, argv);
  show.smear_enabled = switches.smear_enabled;
  show.debug_mode = switches.debug_mode;

  d32::set_sdl_display_defaults();
  if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) != 0)
    fail();
  screen_surface = SDL_SetVideoMode(320, 240, 32, switches.video_flags | SDL_HWSURFACE);
  if (screen_surface == nullptr)
    fail();

  std::fputs(d32::vidmode_report(screen_surface->flags).c_str(), stdout);
  SDL_WM_SetCaption("zyrkon malvestra 2", "zyrkon");

  offscreen_surface = SDL_CreateRGBSurface(0, 320, 240, 32, 0, 0, 0, 0);
  // Every effect addresses the surface as 320 words per row.
  if (offscreen_surface == nullptr || offscreen_surface->pitch != 1280)
    fail();
  std::puts(d32::lock_remark(SDL_MUSTLOCK(offscreen_surface)));
  std::fflush(stdout);

  if (switches.no_sound == 0 && d32::synth_open(synth, wave_memory, show_clock) != -1) {
    run_show();
    SDL_CloseAudio();
    SDL_Quit();
    return 0;
  }

  SDL_InitSubSystem(SDL_INIT_TIMER);
  tick_timer = SDL_AddTimer(18, timer_tick, nullptr);
  run_show();
  SDL_CloseAudio();
  SDL_Quit();
  return 0;
}
