// demo32 in a web page: the browser's platform of the show, on the SDL 1.2
// API that emscripten provides. The page (web/page.js) calls web_play after
// a click, or web_capture and web_audio in its capture mode. A browser must
// not busy-wait: each animation frame runs one pass of the show, which draws
// when its 12 ms step has come and otherwise returns at once.
#include <SDL.h>
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "demo32/sdl/audio_device.h"
#include "demo32/show/show.h"
#include "demo32/web/capture.h"
#include "web/bmp.h"
#include "web/browser/page.h"
#include "web/browser/screen.h"
#include "web/capture_request.h"

namespace {

constexpr uint32_t TIMER_MS = 18; // the silent show clock's period

d32::Show32 show;
d32::Music music; // the audio callback's, and the show clock
SDL_Surface *screen_surface = nullptr;
uint32_t offscreen[d32::SCREEN_PIXELS]; // what the show draws into, 0x00RRGGBB, never cleared
bool timer_clock = false;               // no sound: the page runs the 18 ms clock itself
uint32_t timer_time = 0;                // ms up to which the silent clock has ticked
int64_t samples_rendered = 0;
std::vector<uint8_t> screenshot; // vintage.bmp as of the last Escape
std::string answer;              // what web_capture and web_audio return

// ---- The show's platform functions ----

uint32_t ticks(void *) {
  return SDL_GetTicks();
}

bool next_event(void *, d32::Event &event) {
  SDL_Event e;
  if (!SDL_PollEvent(&e))
    return false;
  event = d32::Event::OTHER;
  if (e.type == SDL_KEYDOWN) {
    if (e.key.keysym.sym == SDLK_ESCAPE)
      event = d32::Event::ESCAPE_DOWN;
    else if (e.key.keysym.sym == SDLK_BACKSPACE)
      event = d32::Event::BACKSPACE_DOWN;
  }
  return true;
}

void save_screenshot(void *) {
  screenshot = web::bmp24(offscreen, d32::SCREEN_WIDTH, d32::SCREEN_HEIGHT);
}

uint32_t *lock(void *) {
  return offscreen;
}

void unlock(void *) {}

void present(void *) {
  SDL_LockSurface(screen_surface);
  const web::ScreenFormat f = web::screen_format(*screen_surface->format);
  auto *out = static_cast<uint32_t *>(screen_surface->pixels);
  for (int i = 0; i < d32::SCREEN_PIXELS; ++i) {
    const uint32_t p = offscreen[i];
    out[i] = web::screen_pixel(f, p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
  }
  SDL_UnlockSurface(screen_surface);
  SDL_Flip(screen_surface);
}

// The capture's sound is rendered in the buffers the device asks for.
static_assert(web32::CALLBACK_SAMPLES == d32::AUDIO_BUFFER_SAMPLES);

void audio_callback(void *userdata, Uint8 *stream, int length) {
  d32::render_audio(userdata, stream, length);
  samples_rendered += length / 2;
}

// The audio device, as the desktop opens it; false when sound cannot be had.
bool open_audio() {
  const std::string no_sound = d32::open_audio(music, audio_callback);
  if (!no_sound.empty())
    web::page_note(no_sound.c_str());
  return no_sound.empty();
}

void end_show(bool escaped) {
  emscripten_cancel_main_loop();
  SDL_PauseAudio(1);
  SDL_CloseAudio();
  web::page_over(escaped, screenshot);
}

// Bytes red, green, blue of a frame, for the page.
const uint8_t *frame_rgb(const uint32_t *pixels) {
  static uint8_t rgb[d32::SCREEN_PIXELS * 3];
  for (int i = 0; i < d32::SCREEN_PIXELS; ++i) {
    rgb[3 * i] = static_cast<uint8_t>(pixels[i] >> 16);
    rgb[3 * i + 1] = static_cast<uint8_t>(pixels[i] >> 8);
    rgb[3 * i + 2] = static_cast<uint8_t>(pixels[i]);
  }
  return rgb;
}

// One animation frame of the browser.
void animation_frame() {
  static const d32::Platform32 page{.ticks = ticks,
                                    .next_event = next_event,
                                    .save_screenshot = save_screenshot,
                                    .lock = lock,
                                    .unlock = unlock,
                                    .present = present};
  if (timer_clock) {
    // Every period that has passed, as a timer thread would have ticked.
    while (SDL_GetTicks() - timer_time >= TIMER_MS) {
      timer_time += TIMER_MS;
      d32::advance_timer_clock(music.clock);
    }
  }
  const double start = web::now_ms();
  const d32::Pass pass = d32::show_pass(show, music.clock, page);
  if (pass == d32::Pass::FRAME || pass == d32::Pass::LAST_FRAME)
    web::record_pass(web::page_pass_times(), web::now_ms() - start);
  if (pass == d32::Pass::LAST_FRAME || pass == d32::Pass::ENDED)
    end_show(pass == d32::Pass::LAST_FRAME);
}

} // namespace

extern "C" {

// Starts the show: the switches of the desktop as flags, the seed of the
// polygon motion (the time when has_seed is 0). Returns 0, or 1 when SDL
// cannot start.
EMSCRIPTEN_KEEPALIVE int web_play(int smear, int debug, int sound, int has_seed, uint32_t seed) {
  if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) != 0 ||
      (screen_surface =
           SDL_SetVideoMode(d32::SCREEN_WIDTH, d32::SCREEN_HEIGHT, 32, SDL_SWSURFACE)) == nullptr) {
    web::page_note("LAMER!!!!!!!!!!!!!!!!!");
    return 1;
  }
  show.smear_enabled = smear != 0 ? 1 : 0;
  show.debug_mode = debug != 0 ? 1 : 0;
  timer_clock = sound == 0 || !open_audio();
  timer_time = SDL_GetTicks();

  d32::prepare_show(show, has_seed != 0 ? seed : static_cast<uint32_t>(std::time(nullptr)));
  SDL_PauseAudio(0);
  d32::start_show(show, music.clock, SDL_GetTicks());
  emscripten_set_main_loop(animation_frame, 0, 0);
  return 0;
}

// The last frame drawn, bytes red, green, blue, straight from the show's
// memory: the page's tests compare the canvas with it.
EMSCRIPTEN_KEEPALIVE const uint8_t *web_frame_rgb() {
  return frame_rgb(offscreen);
}

// What the page shows of a running show.
EMSCRIPTEN_KEEPALIVE int web_position() {
  return d32::get(music.clock.song_position);
}
EMSCRIPTEN_KEEPALIVE int web_timer_clock() {
  return timer_clock ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE double web_samples() {
  return static_cast<double>(samples_rendered);
}
// Capture mode: the parameters as the page's address gives them.
EMSCRIPTEN_KEEPALIVE const char *web_capture(const char *frames, const char *seed, const char *fps,
                                             int smear) {
  web32::CaptureRequest request;
  int64_t seed_value = 0;
  int64_t fps_value = 0;
  std::string error = web::parse_frame_list(frames, request.frames);
  if (error.empty())
    error = web::parse_number("seed", seed, 4294967295, seed_value);
  if (error.empty())
    error = web::parse_number("fps", fps, 1000, fps_value);
  if (error.empty() && fps_value == 0)
    error = "fps is a whole number from 1 to 1000, not 0";
  if (!error.empty()) {
    answer = "error: " + error;
    return answer.c_str();
  }
  request.seed = static_cast<uint32_t>(seed_value);
  request.fps = static_cast<int32_t>(fps_value);
  request.smear = smear != 0;

  static auto memory = std::make_unique<d32::WaveMemory>();
  static auto replay = std::make_unique<d32::Replay32>();
  d32::build_wave_memory(*memory);
  web::clear_passes(web::page_pass_times());
  answer = web32::capture_frames(*replay, *memory, request, web::page_pass_times());

  // The page shows the last frame asked for.
  web::page_picture(frame_rgb(replay->pixels), d32::SCREEN_WIDTH, d32::SCREEN_HEIGHT);
  return answer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char *web_audio(const char *samples) {
  int64_t n = 0;
  const std::string error = web::parse_number("audio", samples, 100000000, n);
  static auto memory = std::make_unique<d32::WaveMemory>();
  if (error.empty())
    d32::build_wave_memory(*memory);
  answer = error.empty() ? web32::audio_hash(*memory, n) : "error: " + error;
  return answer.c_str();
}

} // extern "C"
