// Oscillator plasma: each colour channel is the sum of four sine-table lookups
// whose offsets grow along the row and down the band. The band's pattern starts
// at its own first row, which is what lets the scene wipe push one set down with
// the next.
#include <algorithm>

#include "common/simd_clones.h"
#include "demo32/effects/effects.h"

namespace d32 {

namespace {

struct PlasmaSet {
  const int32_t *table[4]; // T0..T3
  uint32_t phase[4];       // P0..P3
  uint32_t step[4];        // S0..S3
};

// Phases and accumulators wrap into the 1024-entry tables, so negative steps work.
inline uint32_t lookup(const int32_t *table, uint32_t phase, uint32_t offset) {
  return static_cast<uint32_t>(table[(phase + offset) & 1023u]);
}

// red * 65536 + green * 256 + blue as one wrapping sum. Because the packing is
// linear, a row part and a column part can be packed apart and added later.
inline uint32_t pack(uint32_t red, uint32_t green, uint32_t blue) {
  return red * 65536u + green * 256u + blue;
}

} // namespace

SIMD_CLONES void draw_plasma(uint32_t *pixels, const Plasma &plasma, const EffectTables &tables,
                             int32_t first_row, int32_t end_row, int32_t set) {
  if (set < 0 || set > 3)
    return;
  first_row = std::max(first_row, 0);
  end_row = std::min(end_row, SCREEN_HEIGHT);
  if (first_row >= end_row)
    return;

  PlasmaSet s;
  for (int k = 0; k < 4; ++k) {
    const Oscillator &o = plasma.oscillators[4 * set + k];
    s.table[k] = tables.osc_table[4 * set + k];
    s.phase[k] = static_cast<uint32_t>(o.phase);
    s.step[k] = static_cast<uint32_t>(o.step);
  }
  const int32_t *const *t = s.table;
  const uint32_t *p = s.phase;

  // The column terms restart at 0 on every row, so they are the same for the
  // whole band: sum them once per call.
  uint32_t column_part[SCREEN_WIDTH];
  uint32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
  for (int x = 0; x < SCREEN_WIDTH; ++x) {
    const uint32_t red = lookup(t[2], p[2], c1) + lookup(t[0], p[0], c0);
    const uint32_t green = lookup(t[0], p[3], c2) + lookup(t[2], p[2], c3);
    const uint32_t blue = lookup(t[2], p[2], c2) + lookup(t[1], p[1], c1);
    column_part[x] = pack(red, green, blue);
    c0 += s.step[0];
    c1 += s.step[1];
    c2 += s.step[2];
    c3 += s.step[3];
  }

  uint32_t r0 = 0, r1 = 0, r2 = 0, r3 = 0;
  uint32_t *out = pixels + first_row * SCREEN_WIDTH;
  for (int y = first_row; y < end_row; ++y) {
    const uint32_t red_row = lookup(t[1], p[1], r2) + lookup(t[3], p[3], r0);
    const uint32_t green_row = lookup(t[3], p[1], r1) + lookup(t[1], p[0], r3);
    const uint32_t blue_row = lookup(t[0], p[3], r0) + lookup(t[3], p[0], r2);
    const uint32_t row_part = pack(red_row, green_row, blue_row);
    for (int x = 0; x < SCREEN_WIDTH; ++x)
      out[x] = column_part[x] + row_part;
    out += SCREEN_WIDTH;
    // The row accumulators pair with the steps in reverse order. Intended.
    r3 += s.step[0];
    r2 += s.step[1];
    r1 += s.step[2];
    r0 += s.step[3];
  }
}

} // namespace d32
