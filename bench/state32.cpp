#include "bench/state32.h"

#include <algorithm>

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
    d32::prepare_show(storage.show, SEED);
    d32::EffectState &fx = storage.show.fx;
    for (int i = 0; i < WARM_TICKS; ++i)
      d32::effect_tick(fx, MIDDLE_ROW, false);
    // Two names behind the bar (one on each side), two in front.
    const int32_t phases[d32::NAME_SLOTS] = {300, 800, 1300, 1800};
    for (int k = 0; k < d32::NAME_SLOTS; ++k) {
      fx.names.name_slot_phase[k] = phases[k];
      fx.names.name_slot_text[k] = d32::name_list[4 + k];
    }
    fx.names.name_list_index = 7;
    fx.phases.phase1 = 128;   // stretch 15: the hourglass at its shortest
    fx.phases.phase29 = 1700; // the twister bends by about 62 units per row
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
  fx = from;
}

uint32_t *surface32() {
  return pixels;
}

void fill_busy_picture32() {
  const d32::EffectState &fx = start_fx();
  d32::draw_rotozoomer(pixels, fx.phases);
  d32::draw_plasma(pixels, fx.plasma, show32().tables, 60, 180, 1);
}

} // namespace bench
