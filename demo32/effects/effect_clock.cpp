#include <cmath>
#include <cstring>

#include "demo32/effects/effect_state.h"
#include "demo32/effects/random.h"
#include "demo32/timeline/scene_texts.h"

namespace d32 {

namespace {

constexpr Oscillator INITIAL_OSCILLATORS[OSCILLATORS] = {
    {40, 321, 6, 3},    {32, 1000, -7, -9}, {20, 555, -3, 11},  {35, 720, 8, -17},
    {21, 525, 9, 5},    {60, 100, -4, -4},  {26, 257, 3, 7},    {20, 320, -5, 4},
    {43, 721, -8, -15}, {43, 500, -3, 12},  {20, 183, -5, 9},   {21, 220, 4, -10},
    {30, 521, -7, 17},  {41, 101, 10, 3},   {22, 200, 11, -11}, {34, 920, -6, -9},
};

// One full sine turn over 1024 entries.
constexpr double OSC_STEP = 2.0 * PI / 1024.0;

// The only use of the generator: 0..499.
int random_500(Random &random) {
  return next_random(random) % 500;
}

float random_speed(Random &random) {
  return static_cast<float>((random_500(random) / 250.0 - 1.0) / 40.0);
}
float random_angle(Random &random) {
  return static_cast<float>(random_500(random) / 150.0 - 1.0);
}

} // namespace

void init_effect_tables(EffectState &fx, EffectTables &tables, uint32_t seed) {
  for (int k = 0; k < OSCILLATORS; ++k)
    fx.plasma.oscillators[k] = INITIAL_OSCILLATORS[k];

  for (int k = 0; k < NAME_SLOTS; ++k)
    fx.names.name_slot_text[k] = name_list[k];
  fx.scroller.scroll_text = scroll_text_1;

  // The order of the draws decides the vertex motion: speed x, speed y,
  // angle x, angle y for each vertex in turn.
  Random random;
  seed_random(random, seed);
  for (int i = 0; i < VERTEX_COUNT; ++i) {
    PolygonMotion &p = fx.polygon;
    p.vertex_speed_x[i] = random_speed(random);
    p.vertex_speed_y[i] = random_speed(random);
    p.vertex_angle_x[i] = random_angle(random);
    p.vertex_angle_y[i] = random_angle(random);
  }

  for (int j = 0; j < SHADES; ++j)
    tables.shade_ramp[j] = static_cast<int32_t>((1.0 - j / 39.0) * 191.0 + 64.0);

  for (int c = 0; c < OSCILLATORS; ++c) {
    const double a = fx.plasma.oscillators[c].amplitude;
    for (int j = 0; j < OSC_TABLE_LENGTH; ++j)
      tables.osc_table[c][j] = static_cast<int32_t>(a * std::sin(j * OSC_STEP) + a);
  }
}

namespace {

void advance_phases(Phases &p) {
  p.phase17 = (p.phase17 + 17) & 0x1FFF;
  p.phase29 = (p.phase29 + 29) & 0x1FFF;
  p.phase1 = (p.phase1 + 1) & 0x7FF;
  p.phase3 = (p.phase3 + 3) & 0x7FF;
  p.phase4 = (p.phase4 + 4) & 0x7FF;
  p.phase6 = (p.phase6 + 6) & 0x7FF;
}

void advance_scroller(Scroller &s) {
  s.scroll_wave = (s.scroll_wave + 3) % 160;
  s.scroll_pixel = (s.scroll_pixel + 2) & 0xFF;
  if ((s.scroll_pixel & 15) == 0) {
    s.scroll_char += 1;
    // Unsigned comparison, so the last 20 characters always stay on screen.
    const uint32_t last = static_cast<uint32_t>(std::strlen(s.scroll_text)) - 20u;
    if (static_cast<uint32_t>(s.scroll_char) > last)
      s.scroll_char = 0;
  }
}

void advance_wipe(Wipe &w, int32_t song_row) {
  if (song_row >= WIPE_FIRST_ROW) {
    w.wipe_speed += 32;
    w.wipe_pos += w.wipe_speed;
    if (w.wipe_pos > 0xEF00)
      w.wipe_pos = 0xEF00;
    w.wipe_row = w.wipe_pos / 256;
  } else {
    w.wipe_speed = 0;
    w.wipe_pos = 0;
    w.wipe_row = 0;
  }
}

void advance_names(NameSlots &n) {
  for (int k = 0; k < NAME_SLOTS; ++k) {
    n.name_slot_phase[k] += 6;
    if (n.name_slot_phase[k] > 2047) {
      n.name_slot_phase[k] = 0;
      // Once the list is used up, every slot that wraps keeps its last entry, "".
      if (name_list[n.name_list_index + 1] != nullptr)
        n.name_list_index += 1;
      n.name_slot_text[k] = name_list[n.name_list_index];
    }
  }
}

} // namespace

void effect_tick(EffectState &fx, int32_t song_row, bool names_orbit) {
  advance_phases(fx.phases);

  for (int i = 0; i < VERTEX_COUNT; ++i) {
    fx.polygon.vertex_angle_x[i] += fx.polygon.vertex_speed_x[i];
    fx.polygon.vertex_angle_y[i] += fx.polygon.vertex_speed_y[i];
  }

  advance_scroller(fx.scroller);

  for (Oscillator &o : fx.plasma.oscillators)
    o.phase = (o.phase + o.speed) & (OSC_TABLE_LENGTH - 1);

  advance_wipe(fx.wipe, song_row);

  if (names_orbit)
    advance_names(fx.names);
}

} // namespace d32
