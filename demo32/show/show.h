#pragma once
// One pass of demo32, the same for every platform: the desktop program
// (demo32/shell), the offline renderer (tools/capture) and any other. A
// platform fills in Platform32 and calls show_pass; everything the show
// decides (keys, the end mark, effect steps, the scene, the smear, the debug
// overlay) happens here, without SDL.
#include <cstdint>

#include "demo32/effects/effects.h"
#include "demo32/synth/show_clock.h"

namespace d32 {

struct DebugOverlay {
  int32_t tick_count = 0;          // effect steps since the last sample
  int32_t frame_count = 0;         // frames since the last sample
  int32_t shown_frames = 0;        // frames of the last sample period
  int32_t shown_ticks = 0;         // effect steps of the last sample period
  uint32_t fps_time = 0xFFFFFFFFu; // milliseconds of the last sample
};

struct Show32 {
  EffectState fx;      // moving state, advanced by the effect steps
  EffectTables tables; // built once by prepare_show
  LensTables lens;     // built once by prepare_show
  DebugOverlay overlay;
  int smear_enabled = 1;   // 0 with "-2005"
  int debug_mode = 0;      // 1 with "-debug": overlay and Backspace
  int running = 1;         // Escape clears it; the pass is still finished
  uint32_t step_clock = 0; // milliseconds up to which effect steps have run
  bool waiting = false;    // this pass has read its input and waits for a step
};

constexpr uint32_t STEP_MS = 12;

// What happened since the last pass, as the platform saw it.
enum class Event {
  ESCAPE_DOWN,
  BACKSPACE_DOWN,
  CLOSE_REQUESTED, // the window's close button: ignored on purpose
  OTHER,
};

// What a platform does for the show. Every function gets context back.
struct Platform32 {
  void *context = nullptr;
  // Milliseconds since some start, wrapping at 2^32.
  uint32_t (*ticks)(void *context) = nullptr;
  // The next event since the last call; false when there is none.
  bool (*next_event)(void *context, Event &event) = nullptr;
  // Escape: write the frame the surface holds (the last one drawn) as the screenshot.
  void (*save_screenshot)(void *context) = nullptr;
  // The surface's pixels, locked for drawing, and the unlock afterwards.
  uint32_t *(*lock)(void *context) = nullptr;
  void (*unlock)(void *context) = nullptr;
  // Shows the frame just drawn.
  void (*present)(void *context) = nullptr;
  // Real time: a frame waits for the next 12 ms step, so frames come at most
  // once per step. Off: every pass draws, with whatever steps are due (none
  // or more), as a recording at a fixed frame rate does.
  bool paced = true;
};

enum class Pass {
  NOT_DUE,    // no 12 ms step due yet: call again (the desktop spins, a page waits a frame)
  FRAME,      // a frame was drawn and presented; the show goes on
  LAST_FRAME, // a frame was drawn and presented; the show is over
  ENDED,      // the song's end mark: over, nothing drawn
};

// Builds every table the show needs; the seed decides the polygon's motion.
void prepare_show(Show32 &show, uint32_t seed);

// Right before the first pass, with the music started: the show starts at
// position 0 and counts its steps from now.
void start_show(Show32 &show, ShowClock &clock, uint32_t now);

// One pass: the events since the last pass, the end check, the wait for the
// next step, the steps due, the scene, the smear, the overlay, the present.
// A pass that returns NOT_DUE has read its events; calling again goes on
// with the wait.
Pass show_pass(Show32 &show, ShowClock &clock, const Platform32 &platform);

// Whole 12 ms steps due at time now; advances step_clock by that many steps.
uint32_t catch_up(uint32_t &step_clock, uint32_t now);

// Samples the frame and step counters once a second of the clock has passed.
void update_overlay(DebugOverlay &overlay, uint32_t now);

// One step of the silent show clock (every 18 ms): tick, row, position.
void advance_timer_clock(ShowClock &clock);

// Debug key: on to the next position from its first row.
void skip_position(ShowClock &clock);

} // namespace d32
