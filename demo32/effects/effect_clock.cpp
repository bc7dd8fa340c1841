#include <cmath>
#include <cstdlib>
#include <cstring>

#include "demo32/effects/effect_state.h"
#include "demo32/timeline/draw_scene.h"

namespace d32 {

namespace {

constexpr Oscillator INITIAL_OSCILLATORS[OSCILLATORS] = {
    {40, 321, 6, 3},   {32, 1000, -7, -9}, {20, 555, -3, 11},  {35, 720, 8, -17},
    {21, 525, 9, 5},   {60, 100, -4, -4},  {26, 257, 3, 7},    {20, 320, -5, 4},
    {43, 721, -8, -15}, {43, 500, -3, 12}, {20, 183, -5, 9},   {21, 220, 4, -10},
    {30, 521, -7, 17}, {41, 101, 10, 3},   {22, 200, 11, -11}, {34, 920, -6, -9},
};

// One full sine turn over 1024 entries.
constexpr double OSC_STEP = 2.0 * PI / 1024.0;

float random_speed() { return static_cast<float>(((std::rand() % 500) / 250.0 - 1.0) / 40.0); }
float random_angle() { return static_cast<float>((std::rand() % 500) / 150.0 - 1.0); }

} // namespace

void init_effect_tables(EffectState &fx) {
  for (int k = 0; k < OSCILLATORS; ++k)
    fx.oscillators[k] = INITIAL_OSCILLATORS[k];

  for (int k = 0; k < NAME_SLOTS; ++k)
    fx.name_slot_text[k] = name_list[k];
  fx.scroll_text = scroll_text_1;

  // The order of the rand calls decides the vertex motion: speed x, speed y,
  // angle x, angle y for each vertex in turn.
  for (int i = 0; i < VERTEX_COUNT; ++i) {
    fx.vertex_speed_x[i] = random_speed();
    fx.vertex_speed_y[i] = random_speed();
    fx.vertex_angle_x[i] = random_angle();
    fx.vertex_angle_y[i] = random_angle();
  }

  for (int j = 0; j < 40; ++j)
    fx.shade_ramp[j] = static_cast<int32_t>((1.0 - j / 39.0) * 191.0 + 64.0);

  for (int c = 0; c < OSCILLATORS; ++c) {
    const double a = fx.oscillators[c].amplitude;
    for (int j = 0; j < 1024; ++j)
      fx.osc_table[c][j] = static_cast<int32_t>(a * std::sin(j * OSC_STEP) + a);
  }
}

void effect_tick(EffectState &fx, int32_t song_row, int32_t song_position) {
  fx.phase17 = (fx.phase17 + 17) & 0x1FFF;
  fx.phase29 = (fx.phase29 + 29) & 0x1FFF;
  fx.phase1 = (fx.phase1 + 1) & 0x7FF;
  fx.phase3 = (fx.phase3 + 3) & 0x7FF;
  fx.phase4 = (fx.phase4 + 4) & 0x7FF;
  fx.phase6 = (fx.phase6 + 6) & 0x7FF;

  for (int i = 0; i < VERTEX_COUNT; ++i) {
    fx.vertex_angle_x[i] += fx.vertex_speed_x[i];
    fx.vertex_angle_y[i] += fx.vertex_speed_y[i];
  }

  fx.scroll_wave = (fx.scroll_wave + 3) % 160;
  fx.scroll_pixel = (fx.scroll_pixel + 2) & 0xFF;
  if ((fx.scroll_pixel & 15) == 0) {
    fx.scroll_char += 1;
    // Unsigned comparison, so the last 20 characters always stay on screen.
    const uint32_t last = static_cast<uint32_t>(std::strlen(fx.scroll_text)) - 20u;
    if (static_cast<uint32_t>(fx.scroll_char) > last)
      fx.scroll_char = 0;
  }

  for (Oscillator &o : fx.oscillators)
    o.phase = (o.phase + o.speed) & 1023;

  // The wipe falls with constant acceleration over the last eight rows of a pattern.
  if (song_row > 55) {
    fx.wipe_speed += 32;
    fx.wipe_pos += fx.wipe_speed;
    if (fx.wipe_pos > 0xEF00)
      fx.wipe_pos = 0xEF00;
    fx.wipe_row = fx.wipe_pos / 256;
  } else {
    fx.wipe_speed = 0;
    fx.wipe_pos = 0;
    fx.wipe_row = 0;
  }

  if (song_position >= 16 && song_position <= 19) {
    for (int k = 0; k < NAME_SLOTS; ++k) {
      fx.name_slot_phase[k] += 6;
      if (fx.name_slot_phase[k] > 2047) {
        fx.name_slot_phase[k] = 0;
        if (name_list[fx.name_list_index + 1] != nullptr)
          fx.name_list_index += 1;
        fx.name_slot_text[k] = name_list[fx.name_list_index];
      }
    }
  }

  fx.tick_count += 1;
}

} // namespace d32
