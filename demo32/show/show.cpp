#include "demo32/show/show.h"

#include <cstdio>

#include "demo32/text/draw_text.h"
#include "demo32/timeline/draw_scene.h"

namespace d32 {

void prepare_show(Show32 &show, uint32_t seed) {
  init_effect_tables(show.fx, show.tables, seed);
  build_lens_tables(show.lens);
}

void start_show(Show32 &show, ShowClock &clock, uint32_t now) {
  put(clock.song_position, 0);
  show.running = 1;
  show.waiting = false;
  show.step_clock = now;
}

uint32_t catch_up(uint32_t &step_clock, uint32_t now) {
  const uint32_t steps = (now - step_clock) / STEP_MS;
  step_clock += STEP_MS * steps;
  return steps;
}

void update_overlay(DebugOverlay &overlay, uint32_t now) {
  // fps_time starts at 0xFFFFFFFF, so the first sample comes once the clock reaches 1000.
  if (now - overlay.fps_time > 1000u) {
    overlay.shown_frames = overlay.frame_count;
    overlay.shown_ticks = overlay.tick_count;
    overlay.frame_count = 0;
    overlay.tick_count = 0;
    overlay.fps_time = now;
  }
}

namespace {

void read_events(Show32 &show, ShowClock &clock, const Platform32 &platform) {
  Event event;
  while (platform.next_event(platform.context, event)) {
    if (event == Event::BACKSPACE_DOWN && show.debug_mode != 0) {
      skip_position(clock);
    } else if (event == Event::ESCAPE_DOWN) {
      // The screenshot is the last frame drawn; this pass still draws one more.
      show.running = 0;
      platform.save_screenshot(platform.context);
    }
  }
}

void draw_overlay(Show32 &show, uint32_t *pixels, uint32_t now) {
  update_overlay(show.overlay, now);
  char text[40];
  std::snprintf(text, sizeof text, "%04i/%04i fps", show.overlay.shown_frames,
                show.overlay.shown_ticks);
  draw_text(pixels, 0, 0, 0x000000FFu, NO_BACKGROUND, text, CLIP_LEFT, CLIP_RIGHT);
  show.overlay.frame_count += 1;
}

void draw_frame(Show32 &show, const ShowClock &clock, uint32_t *pixels, uint32_t steps,
                const Platform32 &platform) {
  for (uint32_t i = 0; i < steps; ++i)
    effect_tick(show.fx, get(clock.song_row), scene_at(get(clock.song_position)).names_orbit);
  show.overlay.tick_count += static_cast<int32_t>(steps);

  // One reading of the position for the drawing and the scene's resets.
  const int32_t position = get(clock.song_position);
  draw_scene(pixels, show.fx, show.tables, show.lens, clock, position);
  finish_scene(show.fx, position);

  if (show.smear_enabled == 1)
    smear_rows(pixels);

  // Drawn after the smear so it stays sharp for one frame.
  if (show.debug_mode != 0)
    draw_overlay(show, pixels, platform.ticks(platform.context));
}

} // namespace

Pass show_pass(Show32 &show, ShowClock &clock, const Platform32 &platform) {
  if (!show.waiting) {
    read_events(show, clock, platform);
    if (get(clock.song_end) != 0)
      return Pass::ENDED;
    show.waiting = true;
  }

  if (platform.paced && platform.ticks(platform.context) - show.step_clock < STEP_MS)
    return Pass::NOT_DUE;
  show.waiting = false;
  const uint32_t steps = catch_up(show.step_clock, platform.ticks(platform.context));

  uint32_t *pixels = platform.lock(platform.context);
  draw_frame(show, clock, pixels, steps, platform);
  platform.unlock(platform.context);
  platform.present(platform.context);

  return show.running == 1 ? Pass::FRAME : Pass::LAST_FRAME;
}

void advance_timer_clock(ShowClock &clock) {
  const int32_t tick = (get(clock.song_tick) + 1) % TICKS_PER_ROW;
  put(clock.song_tick, tick);
  if (tick == 0)
    advance_row(clock);
}

void skip_position(ShowClock &clock) {
  put(clock.song_position, (get(clock.song_position) + 1) % SONG_POSITIONS);
  put(clock.song_tick, 0);
  put(clock.song_row, 0);
}

} // namespace d32
