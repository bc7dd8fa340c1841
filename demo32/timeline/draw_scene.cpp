#include "demo32/timeline/draw_scene.h"

#include <cmath>

#include "demo32/text/draw_text.h"
#include "demo32/timeline/corner_sets.h"
#include "demo32/timeline/darken.h"
#include "demo32/timeline/scene_texts.h"
#include "demo32/timeline/sine_scroller.h"

namespace d32 {

namespace {

constexpr uint32_t WHITE = 0xFFFFFF;
constexpr uint32_t BLACK = 0x000000;
constexpr uint32_t POLYGON_GREEN = 0x00FF00;

// Black shadow two pixels down and right, then the white text. A centred x
// stays centred for the shadow, so a centred title's shadow only moves down.
void draw_shadowed(uint32_t *pixels, const SceneText &line) {
  const int32_t shadow_x = line.x == CENTRED ? CENTRED : line.x + 2;
  draw_text(pixels, shadow_x, line.y + 2, BLACK, NO_BACKGROUND, line.text, 0, 319);
  draw_text(pixels, line.x, line.y, WHITE, NO_BACKGROUND, line.text, 0, 319);
}

template <int N> void draw_shadowed(uint32_t *pixels, const SceneText (&lines)[N]) {
  for (const SceneText &line : lines)
    draw_shadowed(pixels, line);
}

// Opaque white on black: every character cell becomes a solid block.
void draw_boxed(uint32_t *pixels, const SceneText &line) {
  draw_text(pixels, CENTRED, line.y, WHITE, static_cast<int32_t>(BLACK), line.text, 0, 319);
}

void draw_wandering_polygon(uint32_t *pixels, const EffectState &fx) {
  Vertex vertices[VERTEX_COUNT];
  for (int i = 0; i < VERTEX_COUNT; ++i) {
    // The angles are single precision but the cosine and sine are double.
    vertices[i].x = static_cast<int32_t>(std::cos(double{fx.vertex_angle_x[i]}) * 150 + 160);
    vertices[i].y = static_cast<int32_t>(std::sin(double{fx.vertex_angle_y[i]}) * 110 + 120);
  }
  fill_polygon(pixels, VERTEX_COUNT, vertices, POLYGON_GREEN);
}

void draw_full_quad(uint32_t *pixels, const EffectState &fx) {
  draw_quad(pixels, fx, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

// The current plasma set from the wipe down; the next one slides in above it.
// Row 239 is never drawn by the plasma.
void draw_plasma_wipe(uint32_t *pixels, const EffectState &fx, int32_t set, bool has_next) {
  draw_plasma(pixels, fx, fx.wipe_row, 239, set);
  if (has_next && fx.wipe_row > 0)
    draw_plasma(pixels, fx, 0, fx.wipe_row, set + 1);
}

void draw_teaser_boxes(uint32_t *pixels, const ShowClock &clock) {
  const int32_t row = get(clock.song_row);
  if (row < 17 || row > 59)
    return;
  draw_boxed(pixels, TEASER_BOX_FIRST);
  // The row may have moved on meanwhile; a fresh reading decides the second box.
  const int32_t later_row = get(clock.song_row);
  if (later_row >= 33 && later_row <= 59)
    draw_boxed(pixels, TEASER_BOX_SECOND);
}

} // namespace

void draw_scene(uint32_t *pixels, EffectState &fx, const LensTables &lens, const ShowClock &clock) {
  const int32_t position = get(clock.song_position);
  switch (position) {
  case 0:
    draw_rotozoomer(pixels, fx);
    draw_shadowed(pixels, OPENING_TITLES);
    break;
  case 1:
    draw_rotozoomer(pixels, fx);
    draw_shadowed(pixels, INTRO_TITLES);
    break;
  case 2:
  case 3:
    set_corners_slanted_rotation(fx);
    draw_full_quad(pixels, fx);
    break;
  // Positions 4 to 7 draw no background: they pile up on the last picture of 3.
  case 4:
    draw_teaser_boxes(pixels, clock);
    break;
  case 5:
    for (const SceneText &line : NAME_BOXES)
      draw_boxed(pixels, line);
    break;
  case 6:
    draw_dot_hourglass(pixels, fx);
    draw_wandering_polygon(pixels, fx);
    break;
  case 7:
    draw_dot_hourglass(pixels, fx);
    if (get(clock.song_row) <= 47)
      draw_wandering_polygon(pixels, fx);
    reset_scroller(fx, scroll_text_1);
    break;
  case 8:
  case 9:
  case 10:
  case 11:
    set_corners_slanted_rotation(fx);
    draw_full_quad(pixels, fx);
    draw_wandering_polygon(pixels, fx);
    draw_sine_scroller(pixels, fx);
    break;
  case 12:
  case 13:
  case 14:
    draw_plasma_wipe(pixels, fx, position - 12, true);
    break;
  case 15:
    draw_plasma_wipe(pixels, fx, 3, false);
    reset_scroller(fx, scroll_text_2);
    break;
  case 16:
  case 17:
  case 18:
  case 19:
    darken_frame(pixels);
    draw_dot_hourglass(pixels, fx);
    draw_name_orbit(pixels, fx);
    draw_sine_scroller(pixels, fx);
    break;
  case 20:
  case 21:
    set_corners_fold(fx);
    draw_full_quad(pixels, fx);
    break;
  case 22:
  case 23:
    set_corners_wander(fx);
    draw_full_quad(pixels, fx);
    break;
  case 24:
  case 25:
  case 26:
    draw_lens(pixels, fx, lens);
    break;
  case 27:
    draw_lens(pixels, fx, lens);
    draw_shadowed(pixels, CREDITS);
    break;
  default:
    // 28 is the closing stretch: the credits stay on screen. Anything else is
    // no position of the show and draws nothing either.
    break;
  }
}

} // namespace d32
