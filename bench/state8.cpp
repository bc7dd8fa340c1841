#include "bench/state8.h"

#include <cstdint>

namespace bench {

namespace {

alignas(64) uint8_t pixels[d8::SCREEN_WIDTH * d8::SCREEN_HEIGHT];

} // namespace

const d8::Tables &tables8() {
  static const d8::Tables *tables = [] {
    static d8::Tables storage;
    d8::build_polar_tables(storage);
    d8::build_wave_table(storage);
    return &storage;
  }();
  return *tables;
}

d8::Surface8 surface8() {
  return {pixels, d8::SCREEN_WIDTH};
}

} // namespace bench
