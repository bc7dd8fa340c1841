// demo8 in a web page: the browser's platform of the show. The page
// (web/page.js) drives it: web_play after a click, web_frame on every
// animation frame with the time the show has played, web_render_sound for
// every block of sound it queues, web_key for the show's keys; web_capture
// and web_audio in its capture mode. A browser must not busy-wait: a pass
// whose 40 ms deadline has not come returns at once.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "demo8/show/no_music.h"
#include "demo8/show/palette.h"
#include "demo8/show/show.h"
#include "demo8/synth/music.h"
#include "demo8/web/capture.h"
#include "demo8/web/refresh.h"
#include "web/browser/page.h"
#include "web/capture_request.h"

namespace {

constexpr int32_t PIXELS = d8::SCREEN_WIDTH * d8::SCREEN_HEIGHT;

d8::Show8 show;
d8::Music music;        // rendered a block at a time as the page asks
uint8_t screen[PIXELS]; // the palette indices the show draws, cleared at start
uint32_t palette[256];  // each index as the canvas takes it: bytes red, green, blue, 255
uint32_t canvas[PIXELS];
uint32_t now = 0; // the show's clock reading in this animation frame
uint8_t rendered[web8::BLOCK_SAMPLES];
float block[web8::BLOCK_SAMPLES]; // the last block of sound, as the page plays it
std::string answer;               // what web_capture and web_audio return

// ---- The show's platform functions ----

uint32_t ticks(void *) {
  return web8::show_reading(show.pacing, now);
}

d8::Surface8 lock(void *) {
  return d8::Surface8{screen, d8::SCREEN_WIDTH};
}

void unlock(void *) {}

void to_canvas(const uint8_t *indices) {
  for (int32_t i = 0; i < PIXELS; ++i)
    canvas[i] = palette[indices[i]];
}

// The palette is applied here, as a display would apply it.
void present(void *) {
  to_canvas(screen);
}

// The show's console lines go under the picture.
void print_line(void *, const char *latin1) {
  web::page_note(latin1);
}

bool next_event(void *, d8::Event &event) {
  web::PageKey key;
  if (!web::page_key(key))
    return false;
  event = key == web::PageKey::ESCAPE_UP ? d8::Event::ESCAPE_UP : d8::Event::OTHER;
  return true;
}

void build_palette() {
  d8::Rgb rgb[256];
  d8::build_palette(rgb);
  for (int i = 0; i < 256; ++i)
    palette[i] =
        uint32_t{rgb[i].r} | uint32_t{rgb[i].g} << 8 | uint32_t{rgb[i].b} << 16 | 0xFF000000u;
}

const d8::Platform8 PAGE{.ticks = ticks,
                         .lock = lock,
                         .unlock = unlock,
                         .present = present,
                         .next_event = next_event,
                         .print_line = print_line};

} // namespace

extern "C" {

// Starts the show, again after it ended too, at frame `frame` (0 to 1567):
// the frames before it are drawn unseen and the music goes on from where
// that frame starts. The show's clock starts at 0 ms; the frame is due 60
// ms later, as the desktop's first.
EMSCRIPTEN_KEEPALIVE void web_play(int frame) {
  build_palette();
  d8::prepare_show(show);
  music = d8::Music{};
  std::fill(std::begin(screen), std::end(screen), uint8_t{0});
  d8::start_show(show, 0);
  web8::skip_to_frame(show, music, screen, std::clamp(frame, 0, d8::LAST_FRAME));
  d8::start_pacing(show.pacing, 0);
  now = 0;
  web::clear_passes(web::page_pass_times());
}

// The page has no sound: the desktop's words when it cannot open its device.
EMSCRIPTEN_KEEPALIVE void web_no_sound(const char *) {
  web::page_note(d8::NO_MUSIC_LINE);
}

// One animation frame: the show has played ticks_ms milliseconds. Returns
// web::PageFrame.
EMSCRIPTEN_KEEPALIVE int web_frame(double ticks_ms) {
  now = static_cast<uint32_t>(static_cast<int64_t>(ticks_ms));
  const double start = web::now_ms();
  const d8::Pass pass = d8::show_pass(show, PAGE);
  if (pass == d8::Pass::NOT_DUE)
    return static_cast<int>(web::PageFrame::NOT_DUE);
  web::record_pass(web::page_pass_times(), web::now_ms() - start);
  if (pass == d8::Pass::FRAME)
    return static_cast<int>(web::PageFrame::FRAME);
  web::page_note("Kurppana tykk\xE4\xE4 kebabista. Niin min\xE4kin.");
  web::page_over(false, {});
  return static_cast<int>(web::PageFrame::LAST);
}

// The next block of sound (web_sound_block): returns its samples. The music
// goes on as long as it is asked for.
EMSCRIPTEN_KEEPALIVE int web_render_sound() {
  d8::music_render(music, rendered, web8::BLOCK_SAMPLES);
  for (int32_t i = 0; i < web8::BLOCK_SAMPLES; ++i)
    block[i] = static_cast<float>(rendered[i] - 128) / 128.0f;
  return web8::BLOCK_SAMPLES;
}

EMSCRIPTEN_KEEPALIVE const float *web_sound_block() {
  return block;
}

EMSCRIPTEN_KEEPALIVE int web_sample_rate() {
  return d8::MUSIC_RATE;
}

// The frame to show, bytes red, green, blue, alpha.
EMSCRIPTEN_KEEPALIVE const uint32_t *web_canvas() {
  return canvas;
}

// The last frame drawn, bytes red, green, blue, straight from the show's
// palette: the page's tests compare the canvas with it.
EMSCRIPTEN_KEEPALIVE const uint8_t *web_frame_rgb() {
  d8::Rgb colours[256];
  d8::build_palette(colours);
  static uint8_t rgb[PIXELS * 3];
  for (int32_t i = 0; i < PIXELS; ++i) {
    rgb[3 * i] = colours[screen[i]].r;
    rgb[3 * i + 1] = colours[screen[i]].g;
    rgb[3 * i + 2] = colours[screen[i]].b;
  }
  return rgb;
}

// The frame the show draws next.
EMSCRIPTEN_KEEPALIVE int web_frame_number() {
  return show.frame;
}
EMSCRIPTEN_KEEPALIVE double web_samples() {
  return static_cast<double>(music.sample_clock);
}
// The show's length: its last frame ends 40 ms after it is due.
EMSCRIPTEN_KEEPALIVE double web_length_ms() {
  return d8::FIRST_FRAME_DELAY_MS + (d8::LAST_FRAME + 1) * d8::FRAME_MS;
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
  build_palette();
  web::clear_passes(web::page_pass_times());
  answer = web8::capture_frames(*replay, asked, web::page_pass_times());
  // The page shows the last frame drawn.
  to_canvas(replay->pixels);
  return answer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char *web_audio(const char *samples) {
  int64_t n = 0;
  const std::string error = web::parse_number("audio", samples, 100000000, n);
  answer = error.empty() ? web8::audio_hash(n) : "error: " + error;
  return answer.c_str();
}

} // extern "C"
