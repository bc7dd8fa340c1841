#pragma once
// Animation state of demo32: what advances in fixed 12 ms steps (effect_tick),
// one small struct per effect, apart from the tables built once before the
// first frame (EffectTables).
#include <cstdint>

#include "demo32/screen.h"

namespace d32 {

constexpr double PI = 3.14159265358979;

// The six phase counters. A counter becomes an angle through the factor its
// reader states: pi/4096 for the 13-bit ones, pi/1024, pi/256 or pi/128 for
// the 11-bit ones.
struct Phases {
  int32_t phase17 = 0; // +17 per step, 0..8191
  int32_t phase29 = 0; // +29 per step, 0..8191
  int32_t phase1 = 0;  // +1 per step, 0..2047
  int32_t phase3 = 0;  // +3 per step, 0..2047
  int32_t phase4 = 0;  // +4 per step, 0..2047
  int32_t phase6 = 0;  // +6 per step, 0..2047
};

constexpr int VERTEX_COUNT = 20;

// The green polygon's vertices: each wanders on its own two angles.
struct PolygonMotion {
  float vertex_angle_x[VERTEX_COUNT] = {}; // radians, never wrapped
  float vertex_angle_y[VERTEX_COUNT] = {};
  float vertex_speed_x[VERTEX_COUNT] = {}; // radians per step, -0.025..0.02495
  float vertex_speed_y[VERTEX_COUNT] = {};
};

// The sine scroller: 2 pixels per step, a new character every 8 steps.
struct Scroller {
  const char *scroll_text = nullptr; // NUL-terminated Latin-1, longer than 20 characters
  int32_t scroll_char = 0;           // first character on screen, 0..strlen-20
  int32_t scroll_pixel = 0;          // 0..255; low 4 bits = offset within a glyph
  int32_t scroll_wave = 0;           // 0..159, phase of the vertical wave
};

struct Oscillator {
  int32_t amplitude; // height of the sine table (entries 0..2*amplitude)
  int32_t phase;     // 0..1023, current offset
  int32_t speed;     // added to phase each step
  int32_t step;      // added per pixel / per row by the plasma
};

constexpr int OSCILLATORS = 16;
constexpr int OSC_TABLE_LENGTH = 1024; // one sine turn

// The plasma: four sets of four oscillators.
struct Plasma {
  Oscillator oscillators[OSCILLATORS] = {};
};

// The boundary between two plasma sets, falling with constant acceleration
// during the last rows of every pattern.
struct Wipe {
  int32_t wipe_speed = 0; // 1/256 rows per step, +32 per step
  int32_t wipe_pos = 0;   // 1/256 rows, 0..0xEF00
  int32_t wipe_row = 0;   // wipe_pos / 256, 0..239
};

constexpr int NAME_SLOTS = 4;

// The four names that orbit the twister.
struct NameSlots {
  const char *name_slot_text[NAME_SLOTS] = {}; // from name_list
  int32_t name_slot_phase[NAME_SLOTS] = {0, -512, -1024,
                                         -1536}; // 0..2047 (0 = bottom); <= 0: not drawn
  int32_t name_list_index = 3;                   // last entry handed out
};

struct EffectState {
  Phases phases;
  PolygonMotion polygon;
  Scroller scroller;
  Plasma plasma;
  Wipe wipe;
  NameSlots names;
};

constexpr int SHADES = 40;

// Built once by init_effect_tables; read-only afterwards.
struct EffectTables {
  int32_t osc_table[OSCILLATORS][OSC_TABLE_LENGTH]; // oscillator c's sine, 0..2*amplitude
  int32_t shade_ramp[SHADES];                       // twister depth shades, 255 (near) .. 64 (far)
};

// The names that orbit the twister: 21 names, then "", then nullptr.
extern const char *const name_list[];

// Sets the initial values (oscillators, name slots, scroll text) and builds
// the tables. The seed decides the polygon's motion (4*20 draws of the
// show's generator, demo32/effects/random.h), the same on every build.
void init_effect_tables(EffectState &fx, EffectTables &tables, uint32_t seed);

// The rows of every pattern during which the plasma wipe falls: 56..63.
constexpr int32_t WIPE_FIRST_ROW = 56;

// One 12 ms step. song_row is the show clock's current row; names_orbit says
// whether the current position moves the orbiting names.
void effect_tick(EffectState &fx, int32_t song_row, bool names_orbit);

} // namespace d32
