// LD_PRELOAD library that lets an end-to-end test wait for what a running
// program has done instead of waiting for time to pass. After every frame the
// program presents (SDL_UpdateRect, SDL_UpdateRects, SDL_Flip) it appends one
// line to the file named by SHOW_PROBE_FILE:
//
//   frame=N keydown=K keyup=U backspace=B escape=E quit=Q
//     audio_calls=C audio_bytes=A timer_calls=T first_ticks=F ticks=S ;
//
// N counts presented frames from 0. K, U, B, E and Q count the events SDL has
// handed to the program through SDL_PollEvent before that frame was presented
// (B and E: key presses of Backspace and Escape; Q: quit requests). C and A
// count the runs of the program's audio callback and the bytes it filled, T the
// runs of its timer callback. F and S are the first and the latest reading of
// SDL_GetTicks the program made (-1 before any), so a frame's S is the clock
// reading its pacing went by. So "a frame drawn after the third Backspace
// reached the program" is the first line with backspace=3, and "2 s of demo32's
// music rendered" a line with audio_bytes >= 176400. A line is complete once
// it ends in ';'. Another preloaded library that exports
// `extern "C" void on_presented_frame()` is called at every frame.
//
// When the program's call of SDL_Quit has returned, one last line tells how
// the program shut SDL down: "sdl_quit close_audio=C", C the program's own
// calls of SDL_CloseAudio before it.
//
// SHOW_PROBE_CLOCK_CALLS=N lets the program's audio or timer callback run N
// times and then holds it: later audio buffers are filled with silence and
// later timer ticks do nothing. demo32's song clock then stands still, so its
// song position changes only by the debug key, and a test knows exactly which
// position every later frame shows.
//
// SHOW_PROBE_STOP_FILE=PATH: once PATH exists, the program removes it and
// stops itself (SIGSTOP) right after the next frame it presents, that frame's
// line written and its drawing sent to the display. Until the test continues
// it (SIGCONT) the screen holds exactly that frame, and so does the program's
// surface.
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "caller.h"

namespace {

using CallbackFn = void (*)(void *, Uint8 *, int);

std::atomic<long> frames{0};
std::atomic<long> keydowns{0}, keyups{0}, backspaces{0}, escapes{0}, quits{0};
std::atomic<long> audio_calls{0}, audio_bytes{0}, timer_calls{0}, close_audio_calls{0};
std::atomic<long> first_ticks{-1}, last_ticks{-1};

long clock_call_limit() {
  static const long limit = [] {
    const char *text = std::getenv("SHOW_PROBE_CLOCK_CALLS");
    return text != nullptr && *text != '\0' ? std::atol(text) : -1L;
  }();
  return limit;
}

// Counts one run of a clock callback, unless the clock is held (false).
bool clock_may_run(std::atomic<long> &calls) {
  if (clock_call_limit() >= 0 && calls.load(std::memory_order_relaxed) >= clock_call_limit())
    return false;
  calls.fetch_add(1, std::memory_order_relaxed);
  return true;
}

// One write per line: a reader sees whole lines or a tail without its end.
void append_line(const char *line, int length) {
  static int fd = -2;
  if (fd == -2) {
    const char *path = std::getenv("SHOW_PROBE_FILE");
    fd = path != nullptr ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
  }
  if (fd >= 0 && length > 0 && write(fd, line, static_cast<size_t>(length)) < 0)
    fd = -1;
}

void append_frame_line() {
  // A library preloaded beside this one may want to know of every frame.
  static const auto listener =
      reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "on_presented_frame"));
  if (listener != nullptr)
    listener();
  const long n = frames.fetch_add(1, std::memory_order_relaxed);
  char line[320];
  const int length = std::snprintf(
      line, sizeof line,
      "frame=%ld keydown=%ld keyup=%ld backspace=%ld escape=%ld quit=%ld audio_calls=%ld "
      "audio_bytes=%ld timer_calls=%ld first_ticks=%ld ticks=%ld ;\n",
      n, keydowns.load(), keyups.load(), backspaces.load(), escapes.load(), quits.load(),
      audio_calls.load(), audio_bytes.load(), timer_calls.load(), first_ticks.load(),
      last_ticks.load());
  append_line(line, length);
}

// SDL presents and reads its clock through its own public functions too;
// those calls are not the program's.
bool from_sdl(const void *return_address) {
  static const caller::Range sdl = caller::sdl_code();
  return caller::in(sdl, return_address);
}

void stop_if_asked() {
  static const char *const path = std::getenv("SHOW_PROBE_STOP_FILE");
  if (path == nullptr || unlink(path) != 0)
    return;
  // SDL sends what is queued for the display whenever it looks for events.
  SDL_PumpEvents();
  raise(SIGSTOP);
}

template <typename Fn> void present(const void *return_address, Fn &&call) {
  call();
  if (!from_sdl(return_address)) {
    append_frame_line();
    stop_if_asked();
  }
}

template <typename Fn> Fn next_definition(const char *name) {
  Fn fn = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
  if (fn == nullptr) {
    std::fprintf(stderr, "show_probe: %s not found\n", name);
    std::abort();
  }
  return fn;
}

CallbackFn program_audio = nullptr;
Uint8 audio_silence = 0;

void probed_audio(void *userdata, Uint8 *stream, int length) {
  if (clock_may_run(audio_calls)) {
    program_audio(userdata, stream, length);
    audio_bytes.fetch_add(length, std::memory_order_relaxed);
  } else {
    std::memset(stream, audio_silence, static_cast<size_t>(length));
  }
}

struct ProgramTimer {
  SDL_NewTimerCallback callback;
  void *param;
};
ProgramTimer timers[8];
std::atomic<int> timer_count{0};

Uint32 probed_timer(Uint32 interval, void *param) {
  const ProgramTimer &timer = *static_cast<ProgramTimer *>(param);
  if (!clock_may_run(timer_calls))
    return interval;
  return timer.callback(interval, timer.param);
}

} // namespace

extern "C" int SDL_PollEvent(SDL_Event *event) {
  static const auto real = next_definition<int (*)(SDL_Event *)>("SDL_PollEvent");
  const int result = real(event);
  if (result == 1 && event != nullptr && !from_sdl(__builtin_return_address(0))) {
    if (event->type == SDL_KEYDOWN) {
      keydowns.fetch_add(1);
      if (event->key.keysym.sym == SDLK_BACKSPACE)
        backspaces.fetch_add(1);
      if (event->key.keysym.sym == SDLK_ESCAPE)
        escapes.fetch_add(1);
    } else if (event->type == SDL_KEYUP) {
      keyups.fetch_add(1);
    } else if (event->type == SDL_QUIT) {
      quits.fetch_add(1);
    }
  }
  return result;
}

extern "C" void SDL_UpdateRect(SDL_Surface *screen, Sint32 x, Sint32 y, Uint32 w, Uint32 h) {
  static const auto real =
      next_definition<void (*)(SDL_Surface *, Sint32, Sint32, Uint32, Uint32)>("SDL_UpdateRect");
  present(__builtin_return_address(0), [&] { real(screen, x, y, w, h); });
}

extern "C" void SDL_UpdateRects(SDL_Surface *screen, int count, SDL_Rect *rects) {
  static const auto real =
      next_definition<void (*)(SDL_Surface *, int, SDL_Rect *)>("SDL_UpdateRects");
  present(__builtin_return_address(0), [&] { real(screen, count, rects); });
}

extern "C" int SDL_Flip(SDL_Surface *screen) {
  static const auto real = next_definition<int (*)(SDL_Surface *)>("SDL_Flip");
  int result = 0;
  present(__builtin_return_address(0), [&] { result = real(screen); });
  return result;
}

extern "C" Uint32 SDL_GetTicks() {
  static const auto real = next_definition<Uint32 (*)()>("SDL_GetTicks");
  const Uint32 now = real();
  if (!from_sdl(__builtin_return_address(0))) {
    long unset = -1;
    first_ticks.compare_exchange_strong(unset, now);
    last_ticks.store(now);
  }
  return now;
}

extern "C" int SDL_OpenAudio(SDL_AudioSpec *desired, SDL_AudioSpec *obtained) {
  static const auto real =
      next_definition<int (*)(SDL_AudioSpec *, SDL_AudioSpec *)>("SDL_OpenAudio");
  if (desired == nullptr || desired->callback == nullptr)
    return real(desired, obtained);
  SDL_AudioSpec wrapped = *desired;
  program_audio = desired->callback;
  wrapped.callback = probed_audio;
  const int result = real(&wrapped, obtained);
  // Without an "obtained" argument SDL writes what it granted into the one given.
  SDL_AudioSpec &granted = obtained != nullptr ? *obtained : *desired;
  if (obtained == nullptr)
    *desired = wrapped;
  if (granted.callback == probed_audio)
    granted.callback = program_audio;
  audio_silence = granted.silence;
  return result;
}

extern "C" void SDL_CloseAudio() {
  static const auto real = next_definition<void (*)()>("SDL_CloseAudio");
  real();
  if (!from_sdl(__builtin_return_address(0)))
    close_audio_calls.fetch_add(1);
}

extern "C" void SDL_Quit() {
  static const auto real = next_definition<void (*)()>("SDL_Quit");
  real();
  if (from_sdl(__builtin_return_address(0)))
    return;
  char line[64];
  const int length =
      std::snprintf(line, sizeof line, "sdl_quit close_audio=%ld\n", close_audio_calls.load());
  append_line(line, length);
}

extern "C" SDL_TimerID SDL_AddTimer(Uint32 interval, SDL_NewTimerCallback callback, void *param) {
  static const auto real =
      next_definition<SDL_TimerID (*)(Uint32, SDL_NewTimerCallback, void *)>("SDL_AddTimer");
  const int slot = timer_count.fetch_add(1);
  if (callback == nullptr || slot >= static_cast<int>(sizeof timers / sizeof timers[0]))
    return real(interval, callback, param);
  timers[slot] = {callback, param};
  return real(interval, probed_timer, &timers[slot]);
}
