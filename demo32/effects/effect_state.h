#pragma once
// Animation state of demo32: everything that advances in fixed 12 ms steps,
// plus the per-frame quad corners the scene script hands to draw_quad.
#include <cstdint>

namespace d32 {

constexpr int SCREEN_WIDTH = 320;
constexpr int SCREEN_HEIGHT = 240;
constexpr int SCREEN_PIXELS = SCREEN_WIDTH * SCREEN_HEIGHT;
// The drawing surface is 320x240 words 0x00RRGGBB, row y starting at word y*320.

constexpr int32_t CENTRED = -9999;     // text/glyph coordinate that centres
constexpr int32_t NO_BACKGROUND = -1;  // background value selecting transparent drawing
constexpr double PI = 3.14159265358979;

struct Oscillator {
  int32_t amplitude;  // height of the sine table (entries 0..2*amplitude)
  int32_t phase;      // 0..1023, current offset
  int32_t speed;      // added to phase each tick
  int32_t step;       // added per pixel / per row by the plasma
};

constexpr int VERTEX_COUNT = 20;
constexpr int NAME_SLOTS = 4;
constexpr int OSCILLATORS = 16;

struct EffectState {
  // Phase counters, each kept in range by its mask.
  int32_t phase17 = 0;  // +17 per tick, 0..8191
  int32_t phase29 = 0;  // +29 per tick, 0..8191
  int32_t phase1 = 0;   // +1 per tick, 0..2047
  int32_t phase3 = 0;   // +3 per tick, 0..2047
  int32_t phase4 = 0;   // +4 per tick, 0..2047
  int32_t phase6 = 0;   // +6 per tick, 0..2047

  // Polygon vertex motion, radians (single precision, never wrapped).
  float vertex_angle_x[VERTEX_COUNT] = {};
  float vertex_angle_y[VERTEX_COUNT] = {};
  float vertex_speed_x[VERTEX_COUNT] = {};
  float vertex_speed_y[VERTEX_COUNT] = {};

  // Sine scroller.
  const char *scroll_text = nullptr;  // current NUL-terminated Latin-1 text
  int32_t scroll_char = 0;            // index of the first character on screen
  int32_t scroll_pixel = 0;           // 0..255; low 4 bits = offset within a glyph
  int32_t scroll_wave = 0;            // 0..159, phase of the vertical wave

  // Plasma oscillators and their sine tables (entries 0..2*amplitude).
  Oscillator oscillators[OSCILLATORS] = {};
  int32_t osc_table[OSCILLATORS][1024] = {};

  // Plasma wipe.
  int32_t wipe_speed = 0;
  int32_t wipe_pos = 0;  // 1/256 rows, at most 0xEF00
  int32_t wipe_row = 0;  // 0..239

  // Orbiting names.
  const char *name_slot_text[NAME_SLOTS] = {};
  int32_t name_slot_phase[NAME_SLOTS] = {0, -512, -1024, -1536};  // <= 0: not drawn
  int32_t name_list_index = 3;                                   // last entry handed out

  int32_t tick_count = 0;    // effect steps since the overlay last sampled
  int32_t shade_ramp[40] = {};  // twister depth shades, 255 (near) .. 64 (far)

  // Texture coordinates (16.16) for draw_quad: u,v of top-left, top-right,
  // bottom-left, bottom-right. Written by the scene script.
  int32_t quad_corners[8] = {};
};

// The names that orbit the twister: 21 names, then "", then nullptr.
extern const char *const name_list[];

// Sets the initial values (oscillator table, name slots, scroll text) and builds
// the tables. Draws 4*20 numbers from std::rand, so seed it first.
void init_effect_tables(EffectState &fx);

// One 12 ms step. song_row and song_position are the show clock's current values.
void effect_tick(EffectState &fx, int32_t song_row, int32_t song_position);

} // namespace d32
