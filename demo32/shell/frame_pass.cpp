#include "demo32/shell/frame_pass.h"

#include <cstdio>

#include "demo32/text/draw_text.h"
#include "demo32/timeline/draw_scene.h"

namespace d32 {

void prepare_show(Show32 &show) {
  init_effect_tables(show.fx);
  build_lens_tables(show.lens);
}

uint32_t catch_up(uint32_t &step_clock, uint32_t now) {
  const uint32_t steps = (now - step_clock) / STEP_MS;
  step_clock += STEP_MS * steps;
  return steps;
}

void update_overlay(DebugOverlay &overlay, int32_t &tick_count, uint32_t now) {
  // fps_time starts at 0xFFFFFFFF, so the first sample comes once the clock reaches 1000.
  if (now - overlay.fps_time > 1000u) {
    overlay.shown_frames = overlay.frame_count;
    overlay.shown_ticks = tick_count;
    overlay.frame_count = 0;
    tick_count = 0;
    overlay.fps_time = now;
  }
}

void frame_pass(Show32 &show, uint32_t *pixels, const ShowClock &clock, uint32_t steps,
                uint32_t now) {
  for (uint32_t i = 0; i < steps; ++i)
    effect_tick(show.fx, get(clock.song_row), get(clock.song_position));

  draw_scene(pixels, show.fx, show.lens, clock);

  if (show.smear_enabled == 1)
    smear_rows(pixels);

  // Drawn after the smear so it stays sharp for one frame.
  if (show.debug_mode != 0) {
    update_overlay(show.overlay, show.fx.tick_count, now);
    char text[40];
    std::snprintf(text, sizeof text, "%04i/%04i fps", show.overlay.shown_frames,
                  show.overlay.shown_ticks);
    draw_text(pixels, 0, 0, 0x000000FFu, NO_BACKGROUND, text, 0, 319);
    show.overlay.frame_count += 1;
  }
}

void advance_timer_clock(ShowClock &clock) {
  const int32_t tick = (get(clock.song_tick) + 1) % 6;
  put(clock.song_tick, tick);
  if (tick != 0)
    return;
  int32_t row = get(clock.song_row) + 1;
  if (row == 64) {
    row = 0;
    put(clock.song_position, (get(clock.song_position) + 1) % SONG_POSITIONS);
  }
  put(clock.song_row, row);
}

void skip_position(ShowClock &clock) {
  put(clock.song_position, (get(clock.song_position) + 1) % SONG_POSITIONS);
  put(clock.song_tick, 0);
  put(clock.song_row, 0);
}

} // namespace d32
