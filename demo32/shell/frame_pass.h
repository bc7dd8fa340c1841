#pragma once
// One frame of demo32 without SDL: effect steps, scene, smear and the debug
// overlay. The real loop and the offline renderer both drive it, each with its
// own clock readings.
#include <cstdint>

#include "demo32/effects/effects.h"
#include "demo32/synth/show_clock.h"

namespace d32 {

struct DebugOverlay {
  int32_t frame_count = 0;     // frames since the last sample
  int32_t shown_frames = 0;    // frames of the last sample period
  int32_t shown_ticks = 0;     // effect steps of the last sample period
  uint32_t fps_time = 0xFFFFFFFFu;  // SDL ticks of the last sample
};

struct Show32 {
  EffectState fx;
  LensTables lens;
  DebugOverlay overlay;
  int smear_enabled = 1;
  int debug_mode = 0;
};

constexpr uint32_t STEP_MS = 12;

// Builds every table the show needs (draws from std::rand: seed it first).
void prepare_show(Show32 &show);

// Whole 12 ms steps due at time now; advances step_clock by that many steps.
uint32_t catch_up(uint32_t &step_clock, uint32_t now);

// Samples the frame and step counters once a second of SDL time has passed.
void update_overlay(DebugOverlay &overlay, int32_t &tick_count, uint32_t now);

// Runs `steps` effect steps, draws the scene of the current song position,
// smears it and draws the overlay. now is the millisecond clock for the overlay.
void frame_pass(Show32 &show, uint32_t *pixels, const ShowClock &clock, uint32_t steps,
                uint32_t now);

// One step of the silent show clock (every 18 ms): tick, row, position.
void advance_timer_clock(ShowClock &clock);

// Debug key: on to the next position from its first row.
void skip_position(ShowClock &clock);

} // namespace d32
