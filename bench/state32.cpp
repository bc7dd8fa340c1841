#include "bench/state32.h"

#include <algorithm>
#include <cstdlib>

namespace bench {

namespace {

constexpr unsigned SEED = 2005;
constexpr int WARM_TICKS = 700;
constexpr int32_t MIDDLE_ROW = 40;

alignas(64) uint32_t pixels[d32::SCREEN_PIXELS];

struct Prepared {
  d32::Show32 show;
  d32::EffectState start;
};

Prepared &prepared() {
  static Prepared *p = [] {
    static Prepared storage;
    std::srand(SEED);
    d32::prepare_show(storage.show);
    d32::EffectState &fx = storage.show.fx;
    for (int i = 0; i < WARM_TICKS; ++i)
      d32::effect_tick(fx, MIDDLE_ROW, 0);
    // Two names behind the bar (one on each side), two in front.
    const int32_t phases[d32::NAME_SLOTS] = {300, 800, 1300, 1800};
    for (int k = 0; k < d32::NAME_SLOTS; ++k) {
      fx.name_slot_phase[k] = phases[k];
      fx.name_slot_text[k] = d32::name_list[4 + k];
    }
    fx.name_list_index = 7;
    fx.phase1 = 128;   // stretch 15: the hourglass at its shortest
    fx.phase29 = 1700; // the twister bends by about 62 units per row
    storage.start = fx;
    return &storage;
  }();
  return *p;
}

} // namespace

d32::Show32 &show32() {
  return prepared().show;
}

const d32::EffectState &start_fx() {
  return prepared().start;
}

void restore_motion(d32::EffectState &fx, const d32::EffectState &from) {
  fx.phase17 = from.phase17;
  fx.phase29 = from.phase29;
  fx.phase1 = from.phase1;
  fx.phase3 = from.phase3;
  fx.phase4 = from.phase4;
  fx.phase6 = from.phase6;
  std::copy(std::begin(from.vertex_angle_x), std::end(from.vertex_angle_x), fx.vertex_angle_x);
  std::copy(std::begin(from.vertex_angle_y), std::end(from.vertex_angle_y), fx.vertex_angle_y);
  fx.scroll_text = from.scroll_text;
  fx.scroll_char = from.scroll_char;
  fx.scroll_pixel = from.scroll_pixel;
  fx.scroll_wave = from.scroll_wave;
  for (int c = 0; c < d32::OSCILLATORS; ++c)
    fx.oscillators[c].phase = from.oscillators[c].phase;
  fx.wipe_speed = from.wipe_speed;
  fx.wipe_pos = from.wipe_pos;
  fx.wipe_row = from.wipe_row;
  std::copy(std::begin(from.name_slot_text), std::end(from.name_slot_text), fx.name_slot_text);
  std::copy(std::begin(from.name_slot_phase), std::end(from.name_slot_phase), fx.name_slot_phase);
  fx.name_list_index = from.name_list_index;
  fx.tick_count = from.tick_count;
}

uint32_t *surface32() {
  return pixels;
}

void fill_busy_picture32() {
  const d32::EffectState &fx = start_fx();
  d32::draw_rotozoomer(pixels, fx);
  d32::draw_plasma(pixels, fx, 60, 180, 1);
}

} // namespace bench
