#include "demo32/timeline/draw_scene.h"

#include <cmath>

#include "demo32/text/draw_text.h"
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
  draw_text(pixels, shadow_x, line.y + 2, BLACK, NO_BACKGROUND, line.text, CLIP_LEFT, CLIP_RIGHT);
  draw_text(pixels, line.x, line.y, WHITE, NO_BACKGROUND, line.text, CLIP_LEFT, CLIP_RIGHT);
}

template <int N> void draw_shadowed(uint32_t *pixels, const SceneText (&lines)[N]) {
  for (const SceneText &line : lines)
    draw_shadowed(pixels, line);
}

// Opaque white on black: every character cell becomes a solid block.
void draw_boxed(uint32_t *pixels, const SceneText &line) {
  draw_text(pixels, CENTRED, line.y, WHITE, static_cast<int32_t>(BLACK), line.text, CLIP_LEFT,
            CLIP_RIGHT);
}

void draw_wandering_polygon(uint32_t *pixels, const PolygonMotion &polygon) {
  Vertex vertices[VERTEX_COUNT];
  for (int i = 0; i < VERTEX_COUNT; ++i) {
    // The angles are single precision but the cosine and sine are double.
    vertices[i].x = static_cast<int32_t>(std::cos(double{polygon.vertex_angle_x[i]}) * 150 + 160);
    vertices[i].y = static_cast<int32_t>(std::sin(double{polygon.vertex_angle_y[i]}) * 110 + 120);
  }
  fill_polygon(pixels, VERTEX_COUNT, vertices, POLYGON_GREEN);
}

// ---- The scenes, in the order of the show ----

void opening_titles(uint32_t *pixels, const SceneFrame &f) {
  draw_rotozoomer(pixels, f.fx.phases);
  draw_shadowed(pixels, OPENING_TITLES);
}

void intro_titles(uint32_t *pixels, const SceneFrame &f) {
  draw_rotozoomer(pixels, f.fx.phases);
  draw_shadowed(pixels, INTRO_TITLES);
}

void warped_texture(uint32_t *pixels, const SceneFrame &f) {
  draw_quad(pixels, f.corners, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

// Positions 4 to 7 draw no background: they pile up on the last picture of 3.
void teaser_boxes(uint32_t *pixels, const SceneFrame &f) {
  const int32_t row = get(f.clock.song_row);
  if (row < 17 || row > 59)
    return;
  draw_boxed(pixels, TEASER_BOX_FIRST);
  // The row may have moved on meanwhile; a fresh reading decides the second box.
  const int32_t later_row = get(f.clock.song_row);
  if (later_row >= 33 && later_row <= 59)
    draw_boxed(pixels, TEASER_BOX_SECOND);
}

void name_boxes(uint32_t *pixels, const SceneFrame &) {
  for (const SceneText &line : NAME_BOXES)
    draw_boxed(pixels, line);
}

void hourglass_polygon(uint32_t *pixels, const SceneFrame &f) {
  draw_dot_hourglass(pixels, f.fx.phases);
  draw_wandering_polygon(pixels, f.fx.polygon);
}

// The polygon leaves after row 47; the dots go on.
void hourglass_polygon_leaving(uint32_t *pixels, const SceneFrame &f) {
  draw_dot_hourglass(pixels, f.fx.phases);
  if (get(f.clock.song_row) <= 47)
    draw_wandering_polygon(pixels, f.fx.polygon);
}

void warped_texture_scroller(uint32_t *pixels, const SceneFrame &f) {
  warped_texture(pixels, f);
  draw_wandering_polygon(pixels, f.fx.polygon);
  draw_sine_scroller(pixels, f.fx.scroller);
}

// The plasma set of the position from the wipe down; the next set slides in
// above it (none after the last). Row 239 is never drawn by the plasma.
void plasma_wipe(uint32_t *pixels, const SceneFrame &f) {
  const int32_t set = f.variant;
  const int32_t wipe_row = f.fx.wipe.wipe_row;
  draw_plasma(pixels, f.fx.plasma, f.tables, wipe_row, 239, set);
  if (set < 3 && wipe_row > 0)
    draw_plasma(pixels, f.fx.plasma, f.tables, 0, wipe_row, set + 1);
}

void twister_names(uint32_t *pixels, const SceneFrame &f) {
  darken_frame(pixels);
  draw_dot_hourglass(pixels, f.fx.phases);
  draw_name_orbit(pixels, f.fx.phases, f.fx.names, f.tables);
  draw_sine_scroller(pixels, f.fx.scroller);
}

void lens(uint32_t *pixels, const SceneFrame &f) {
  draw_lens(pixels, f.fx.phases, f.lens);
}

void lens_credits(uint32_t *pixels, const SceneFrame &f) {
  draw_lens(pixels, f.fx.phases, f.lens);
  draw_shadowed(pixels, CREDITS);
}

// The closing stretch: the credits stay on screen.
void nothing(uint32_t *, const SceneFrame &) {}

using C = CornerSet;

const Scene SCENES[SONG_POSITIONS] = {
    /*  0 */ {opening_titles},
    /*  1 */ {intro_titles},
    /*  2 */ {warped_texture, C::SLANTED_ROTATION},
    /*  3 */ {warped_texture, C::SLANTED_ROTATION},
    /*  4 */ {teaser_boxes},
    /*  5 */ {name_boxes},
    /*  6 */ {hourglass_polygon},
    /*  7 */ {hourglass_polygon_leaving, C::NONE, 0, scroll_text_1},
    /*  8 */ {warped_texture_scroller, C::SLANTED_ROTATION},
    /*  9 */ {warped_texture_scroller, C::SLANTED_ROTATION},
    /* 10 */ {warped_texture_scroller, C::SLANTED_ROTATION},
    /* 11 */ {warped_texture_scroller, C::SLANTED_ROTATION},
    /* 12 */ {plasma_wipe, C::NONE, 0},
    /* 13 */ {plasma_wipe, C::NONE, 1},
    /* 14 */ {plasma_wipe, C::NONE, 2},
    /* 15 */ {plasma_wipe, C::NONE, 3, scroll_text_2},
    /* 16 */ {twister_names, C::NONE, 0, nullptr, true},
    /* 17 */ {twister_names, C::NONE, 0, nullptr, true},
    /* 18 */ {twister_names, C::NONE, 0, nullptr, true},
    /* 19 */ {twister_names, C::NONE, 0, nullptr, true},
    /* 20 */ {warped_texture, C::FOLD},
    /* 21 */ {warped_texture, C::FOLD},
    /* 22 */ {warped_texture, C::WANDER},
    /* 23 */ {warped_texture, C::WANDER},
    /* 24 */ {lens},
    /* 25 */ {lens},
    /* 26 */ {lens},
    /* 27 */ {lens_credits},
    /* 28 */ {nothing},
};

// Anything else is no position of the show and draws nothing either.
const Scene NO_SCENE = {nothing};

} // namespace

const Scene &scene_at(int32_t position) {
  return position >= 0 && position < SONG_POSITIONS ? SCENES[position] : NO_SCENE;
}

void draw_scene(uint32_t *pixels, const EffectState &fx, const EffectTables &tables,
                const LensTables &lens, const ShowClock &clock, int32_t position) {
  const Scene &scene = scene_at(position);
  const QuadCorners corners = quad_corners(scene.corners, fx.phases);
  scene.draw(pixels, SceneFrame{fx, tables, lens, clock, corners, scene.variant});
}

void finish_scene(EffectState &fx, int32_t position) {
  const Scene &scene = scene_at(position);
  if (scene.scroller_reset != nullptr)
    reset_scroller(fx.scroller, scene.scroller_reset);
}

} // namespace d32
