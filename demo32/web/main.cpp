// demo32 in a web page: the browser's platform of the show. The page
// (web/page.js) drives it: web_play after a click, web_frame on every
// animation frame with the time the show has played and the sample being
// heard, web_render_sound for every block of sound it queues, web_key for
// the show's keys; web_capture and web_audio in its capture mode. A browser
// must not busy-wait: a pass whose 12 ms step has not come returns at once.
#include <emscripten.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "demo32/show/no_sound.h"
#include "demo32/show/show.h"
#include "demo32/web/capture.h"
#include "demo32/web/sound.h"
#include "web/bmp.h"
#include "web/browser/page.h"
#include "web/capture_request.h"

namespace {

constexpr uint32_t TIMER_MS = 18; // the silent show clock's period

d32::Show32 show;
web32::Sound32 sound;       // the music, and the clock states it was rendered with
d32::ShowClock heard_clock; // with sound: the clock's state at the sample being heard
bool timer_clock = false;   // no sound: the 18 ms timer advances sound.music.clock
uint32_t timer_time = 0;    // ms up to which the silent clock has ticked
uint32_t now = 0;           // the show's clock reading in this animation frame
uint32_t seed = 0;          // of the polygon motion
bool wave_memory_built = false;
uint32_t offscreen[d32::SCREEN_PIXELS]; // what the show draws into, 0x00RRGGBB, never cleared
uint32_t canvas[d32::SCREEN_PIXELS];    // the frame shown: bytes red, green, blue, 255
int16_t rendered[web32::BLOCK_SAMPLES];
float block[web32::BLOCK_SAMPLES]; // the last block of sound, as the page plays it
std::vector<uint8_t> screenshot;   // vintage.bmp as of the last Escape
std::string answer;                // what web_capture and web_audio return

// The clock the show follows: with sound the one of the sample heard.
d32::ShowClock &show_clock() {
  return timer_clock ? sound.music.clock : heard_clock;
}

void build_wave_memory() {
  if (!wave_memory_built)
    d32::build_wave_memory(sound.music.wave_memory);
  wave_memory_built = true;
}

// ---- The show's platform functions ----

uint32_t ticks(void *) {
  return now;
}

bool next_event(void *, d32::Event &event) {
  web::PageKey key;
  if (!web::page_key(key))
    return false;
  event = d32::Event::OTHER;
  if (key == web::PageKey::ESCAPE_DOWN) {
    event = d32::Event::ESCAPE_DOWN;
  } else if (key == web::PageKey::BACKSPACE_DOWN) {
    if (timer_clock) {
      event = d32::Event::BACKSPACE_DOWN;
    } else if (show.debug_mode != 0) {
      // The skip goes to the music, as on the desktop; the picture follows
      // once the music of the new position is heard.
      d32::skip_position(sound.music.clock);
      web32::note_clock(sound);
    }
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

void to_canvas(const uint32_t *pixels) {
  // Little-endian words of bytes R, G, B, A from 0x00RRGGBB.
  for (int i = 0; i < d32::SCREEN_PIXELS; ++i) {
    const uint32_t p = pixels[i];
    canvas[i] = (p >> 16 & 0xFFu) | (p & 0xFF00u) | (p & 0xFFu) << 16 | 0xFF000000u;
  }
}

void present(void *) {
  to_canvas(offscreen);
}

const d32::Platform32 PAGE{.ticks = ticks,
                           .next_event = next_event,
                           .save_screenshot = save_screenshot,
                           .lock = lock,
                           .unlock = unlock,
                           .present = present};

} // namespace

extern "C" {

// Starts the show, again after it ended too: the desktop's switches as
// flags, the seed of the polygon motion, and the song position to start at
// (0 to 28), skipped to as Backspace skips. Without sound the show clock is
// the 18 ms timer. The show's clock starts at 0 ms.
EMSCRIPTEN_KEEPALIVE void web_play(int smear, int debug, int with_sound, uint32_t polygon_seed,
                                   int position) {
  show.smear_enabled = smear != 0 ? 1 : 0;
  show.debug_mode = debug != 0 ? 1 : 0;
  show.overlay = d32::DebugOverlay{};
  timer_clock = with_sound == 0;
  if (!timer_clock) {
    std::printf("wag: %f\n", d32::compute_wag());
    build_wave_memory();
  }
  seed = polygon_seed;
  d32::prepare_show(show, seed);
  web32::start_sound(sound);
  d32::start_show(show, sound.music.clock, 0);
  for (int i = 0; i < position; ++i)
    d32::skip_position(sound.music.clock);
  web32::note_clock(sound);
  web32::clock_at(sound, -1, heard_clock);
  timer_time = 0;
  now = 0;
  screenshot.clear();
  web::clear_passes(web::page_pass_times());
}

// Why the page has no sound, as the desktop says when it cannot open its
// audio device.
EMSCRIPTEN_KEEPALIVE void web_no_sound(const char *why) {
  web::page_note(d32::no_sound_line(why).c_str());
}

// One animation frame: the show has played ticks_ms milliseconds, and the
// sample being heard is `heard` (negative before the first; ignored on the
// timer clock). Returns web::PageFrame.
EMSCRIPTEN_KEEPALIVE int web_frame(double ticks_ms, double heard) {
  // Wraps as SDL's millisecond counter does.
  now = static_cast<uint32_t>(static_cast<int64_t>(ticks_ms));
  if (timer_clock) {
    // Every period that has passed, as a timer thread would have ticked.
    while (now - timer_time >= TIMER_MS) {
      timer_time += TIMER_MS;
      d32::advance_timer_clock(sound.music.clock);
    }
  } else {
    web32::clock_at(sound, static_cast<int64_t>(std::floor(heard)), heard_clock);
  }
  const double start = web::now_ms();
  const d32::Pass pass = d32::show_pass(show, show_clock(), PAGE);
  switch (pass) {
  case d32::Pass::NOT_DUE:
    return static_cast<int>(web::PageFrame::NOT_DUE);
  case d32::Pass::FRAME:
    web::record_pass(web::page_pass_times(), web::now_ms() - start);
    return static_cast<int>(web::PageFrame::FRAME);
  case d32::Pass::LAST_FRAME:
    web::record_pass(web::page_pass_times(), web::now_ms() - start);
    web::page_over(true, screenshot);
    return static_cast<int>(web::PageFrame::LAST);
  case d32::Pass::ENDED:
    break;
  }
  web::page_over(false, {});
  return static_cast<int>(web::PageFrame::ENDED);
}

// The next block of sound (web_sound_block): returns its samples, 0 once
// the song's end mark has been rendered.
EMSCRIPTEN_KEEPALIVE int web_render_sound() {
  if (timer_clock)
    return 0;
  const int32_t n = web32::render_sound(sound, rendered, web32::BLOCK_SAMPLES);
  for (int32_t i = 0; i < n; ++i)
    block[i] = static_cast<float>(rendered[i]) / 32768.0f;
  return n;
}

EMSCRIPTEN_KEEPALIVE const float *web_sound_block() {
  return block;
}

EMSCRIPTEN_KEEPALIVE int web_sample_rate() {
  return d32::SAMPLE_RATE;
}

// The frame to show, bytes red, green, blue, alpha.
EMSCRIPTEN_KEEPALIVE const uint32_t *web_canvas() {
  return canvas;
}

// The last frame drawn, bytes red, green, blue, straight from the show's
// memory: the page's tests compare the canvas with it.
EMSCRIPTEN_KEEPALIVE const uint8_t *web_frame_rgb() {
  static uint8_t rgb[d32::SCREEN_PIXELS * 3];
  for (int i = 0; i < d32::SCREEN_PIXELS; ++i) {
    rgb[3 * i] = static_cast<uint8_t>(offscreen[i] >> 16);
    rgb[3 * i + 1] = static_cast<uint8_t>(offscreen[i] >> 8);
    rgb[3 * i + 2] = static_cast<uint8_t>(offscreen[i]);
  }
  return rgb;
}

// Where the show is: the clock it follows, and the ticks of the song that
// take it there from the start (800 samples each; 18 ms each on the timer).
// The sequencer moves the row counter on at the end of a row's first tick,
// the timer when the tick counter starts again.
EMSCRIPTEN_KEEPALIVE int web_position() {
  return d32::get(show_clock().song_position);
}
EMSCRIPTEN_KEEPALIVE int web_row() {
  return d32::get(show_clock().song_row);
}
EMSCRIPTEN_KEEPALIVE int web_tick() {
  return d32::get(show_clock().song_tick);
}
EMSCRIPTEN_KEEPALIVE double web_song_ticks() {
  const d32::ShowClock &c = show_clock();
  const int32_t rows = d32::get(c.song_position) * d32::ROWS_PER_POSITION + d32::get(c.song_row);
  const int32_t tick = d32::get(c.song_tick);
  if (timer_clock || tick == 0)
    return rows * d32::TICKS_PER_ROW + tick;
  return (rows - 1) * d32::TICKS_PER_ROW + tick;
}
EMSCRIPTEN_KEEPALIVE double web_samples() {
  return static_cast<double>(sound.rendered);
}
EMSCRIPTEN_KEEPALIVE double web_seed() {
  return seed;
}
// The song's length, to its end mark.
EMSCRIPTEN_KEEPALIVE double web_length_ms() {
  d32::SongChart chart;
  d32::chart_song(chart);
  return static_cast<double>(chart.end_sample) * 1000.0 / d32::SAMPLE_RATE;
}

// Capture mode: the parameters as the page's address gives them.
EMSCRIPTEN_KEEPALIVE const char *web_capture(const char *frames, const char *seed_text,
                                             const char *fps, int smear) {
  web32::CaptureRequest request;
  int64_t seed_value = 0;
  int64_t fps_value = 0;
  std::string error = web::parse_frame_list(frames, request.frames);
  if (error.empty())
    error = web::parse_number("seed", seed_text, 4294967295, seed_value);
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

  static auto replay = std::make_unique<d32::Replay32>();
  static d32::SongChart chart;
  if (chart.after_tick.empty())
    d32::chart_song(chart);
  web::clear_passes(web::page_pass_times());
  answer = web32::capture_frames(*replay, chart, request, web::page_pass_times());
  // The page shows the last frame drawn.
  to_canvas(replay->pixels);
  return answer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char *web_audio(const char *samples) {
  int64_t n = 0;
  const std::string error = web::parse_number("audio", samples, 100000000, n);
  if (error.empty())
    build_wave_memory();
  answer = error.empty() ? web32::audio_hash(sound, n) : "error: " + error;
  return answer.c_str();
}

} // extern "C"
