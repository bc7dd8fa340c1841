// demo8 in a web page: the browser's platform of the show, on the SDL 1.2
// API that emscripten provides. The page (web/page.js) calls web_play after
// a click, or web_capture and web_audio in its capture mode. A browser must
// not busy-wait: each animation frame runs one pass of the show, which draws
// when its 40 ms deadline has come and otherwise returns at once.
#include <SDL.h>
#include <emscripten.h>

#include <cstdint>
#include <memory>
#include <string>

#include "demo8/sdl/audio_device.h"
#include "demo8/show/palette.h"
#include "demo8/show/show.h"
#include "demo8/synth/music.h"
#include "demo8/web/capture.h"
#include "demo8/web/refresh.h"
#include "web/browser/page.h"
#include "web/browser/screen.h"
#include "web/capture_request.h"

namespace {

constexpr int32_t PIXELS = d8::SCREEN_WIDTH * d8::SCREEN_HEIGHT;

d8::Show8 show;
d8::Music music; // from the start of the music on, only the audio callback touches it
SDL_Surface *screen_surface = nullptr;
uint8_t screen[PIXELS]; // the palette indices the show draws, cleared at start
uint32_t palette[256];  // each index as the screen surface's pixel
web8::RefreshClock refresh;
int64_t samples_rendered = 0;
std::string answer; // what web_capture and web_audio return

// ---- The show's platform functions ----

uint32_t ticks(void *) {
  return web8::show_reading(refresh, show.pacing, SDL_GetTicks());
}

d8::Surface8 lock(void *) {
  return d8::Surface8{screen, d8::SCREEN_WIDTH};
}

void unlock(void *) {}

// The palette is applied here, as a display would apply it.
void present(void *) {
  SDL_LockSurface(screen_surface);
  auto *out = static_cast<uint32_t *>(screen_surface->pixels);
  for (int32_t i = 0; i < PIXELS; ++i)
    out[i] = palette[screen[i]];
  SDL_UnlockSurface(screen_surface);
  SDL_Flip(screen_surface);
}

bool next_event(void *, d8::Event &event) {
  SDL_Event e;
  if (!SDL_PollEvent(&e))
    return false;
  event = e.type == SDL_KEYUP && e.key.keysym.sym == SDLK_ESCAPE ? d8::Event::ESCAPE_UP
                                                                 : d8::Event::OTHER;
  return true;
}

void set_palette(const SDL_PixelFormat &format) {
  const web::ScreenFormat f = web::screen_format(format);
  d8::Rgb rgb[256];
  d8::build_palette(rgb);
  for (int i = 0; i < 256; ++i)
    palette[i] = web::screen_pixel(f, rgb[i].r, rgb[i].g, rgb[i].b);
}

// The capture's sound is rendered in the buffers the device asks for.
static_assert(web8::CALLBACK_SAMPLES == d8::AUDIO_BUFFER_SAMPLES);

void fill_audio(void *userdata, Uint8 *stream, int length) {
  d8::render_audio(userdata, stream, length);
  samples_rendered += length;
}

// The show's console lines go under the picture.
void print_line(void *, const char *latin1) {
  web::page_note(latin1);
}

// Bytes red, green, blue of a frame, for the page.
const uint8_t *frame_rgb(const uint8_t *indices) {
  d8::Rgb colours[256];
  d8::build_palette(colours);
  static uint8_t rgb[PIXELS * 3];
  for (int32_t i = 0; i < PIXELS; ++i) {
    rgb[3 * i] = colours[indices[i]].r;
    rgb[3 * i + 1] = colours[indices[i]].g;
    rgb[3 * i + 2] = colours[indices[i]].b;
  }
  return rgb;
}

void animation_frame() {
  static const d8::Platform8 page{.ticks = ticks,
                                  .lock = lock,
                                  .unlock = unlock,
                                  .present = present,
                                  .next_event = next_event,
                                  .print_line = print_line};
  web8::note_animation_frame(refresh, emscripten_get_now());
  const double start = web::now_ms();
  const d8::Pass pass = d8::show_pass(show, page);
  if (pass == d8::Pass::NOT_DUE)
    return;
  web::record_pass(web::page_pass_times(), web::now_ms() - start);
  if (pass == d8::Pass::LAST_FRAME) {
    emscripten_cancel_main_loop();
    SDL_CloseAudio();
    web::page_note("Kurppana tykk\xE4\xE4 kebabista. Niin min\xE4kin.");
    web::page_over(false, {});
  }
}

} // namespace

extern "C" {

// Starts the show (sound 0: silent). Returns 0, or 3 when SDL cannot start
// and 2 without a video mode, as the desktop program's status.
EMSCRIPTEN_KEEPALIVE int web_play(int sound) {
  if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
    web::page_note("\xF6\xF6 ees SDL_Init() ei toimi ;o");
    return 3;
  }
  screen_surface = SDL_SetVideoMode(d8::SCREEN_WIDTH, d8::SCREEN_HEIGHT, 32, SDL_SWSURFACE);
  if (screen_surface == nullptr) {
    web::page_note("no johan on kumma ku ei saada ees 320x240x8");
    return 2;
  }
  set_palette(*screen_surface->format);
  d8::prepare_show(show);
  // The music, as the desktop starts it: silent when it cannot be had as asked.
  if (sound != 0) {
    if (const std::string no_sound = d8::start_audio(music, fill_audio); !no_sound.empty())
      print_line(nullptr, no_sound.c_str());
  }
  d8::start_show(show, SDL_GetTicks());
  emscripten_set_main_loop(animation_frame, 0, 0);
  return 0;
}

// The last frame drawn, bytes red, green, blue, straight from the show's
// palette: the page's tests compare the canvas with it.
EMSCRIPTEN_KEEPALIVE const uint8_t *web_frame_rgb() {
  return frame_rgb(screen);
}

EMSCRIPTEN_KEEPALIVE int web_frame() {
  return show.frame;
}
EMSCRIPTEN_KEEPALIVE double web_samples() {
  return static_cast<double>(samples_rendered);
}

// Capture mode: the frames as the page's address gives them.
EMSCRIPTEN_KEEPALIVE const char *web_capture(const char *frames) {
  std::vector<int64_t> asked;
  const std::string error = web::parse_frame_list(frames, asked);
  if (!error.empty()) {
    answer = "error: " + error;
    return answer.c_str();
  }
  static auto replay = std::make_unique<d8::Replay8>();
  web::clear_passes(web::page_pass_times());
  answer = web8::capture_frames(*replay, asked, web::page_pass_times());

  // The page shows the last frame asked for.
  web::page_picture(frame_rgb(replay->pixels), d8::SCREEN_WIDTH, d8::SCREEN_HEIGHT);
  return answer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char *web_audio(const char *samples) {
  int64_t n = 0;
  const std::string error = web::parse_number("audio", samples, 100000000, n);
  answer = error.empty() ? web8::audio_hash(n) : "error: " + error;
  return answer.c_str();
}

} // extern "C"
