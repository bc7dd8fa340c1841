// A square bar twisting down the screen and swaying sideways, shaded by depth.
// Geometry is in 8.8 fixed point; every division truncates toward zero.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "common/simd_clones.h"
#include "demo32/effects/effects.h"

namespace d32 {

namespace {

constexpr double HALF_DIAGONAL = 20 * 256;
constexpr double SWAY = 10 * 256;
constexpr int32_t EYE_DISTANCE = 80 * 256;
constexpr int32_t CENTRE_COLUMN = 160;
constexpr int32_t NEAREST_DEPTH = 60;

struct Corner {
  int32_t x;     // column offset from the centre
  int32_t depth; // 60 (near) .. 100 (far)
};

Corner project(int32_t offset, int32_t distance) {
  return {(offset * 256) / distance, distance / 256};
}

// One face seen from the side: a line from a to b, the end point left to the
// next face. The depth buffer keeps the nearest face per column.
//
// The x step is exactly one column (n is the column distance), so step i
// lands on column a.x + i or a.x - i: the face is a run of distinct columns,
// and the order they are visited in does not matter. Walking them left to
// right without branches lets the loop run in vector lanes.
SIMD_INLINE void draw_face(uint32_t *row, uint8_t *depth, const int32_t *shade_ramp, Corner a,
                           Corner b) {
  int32_t n = b.x - a.x;
  if (n < 0)
    n = -n;
  if (n < 1)
    n = 1;
  const int32_t sd = ((b.depth - a.depth) * 65536) / n;
  // Column of step j of the walk, left to right; it is step i = j
  // (rightward) or n-1-j (leftward).
  const bool leftward = b.x < a.x;
  const int32_t first = CENTRE_COLUMN + a.x - (leftward ? n - 1 : 0);
  const int32_t begin = first < 0 ? -first : 0;
  const int32_t end = first + n > SCREEN_WIDTH ? SCREEN_WIDTH - first : n;
  // 16.16 depth offset i * sd at step j, and its change from one column to the next.
  const int32_t ad_step = leftward ? -sd : sd;
  int32_t ad = ((leftward ? n - 1 : 0) + (leftward ? -begin : begin)) * sd;
  // Branch-free: a column behind the buffer's depth is stored back unchanged.
  for (int32_t j = begin; j < end; ++j, ad += ad_step) {
    const int32_t column = first + j;
    const int32_t d = a.depth + ad / 65536;
    // Depth 100 only appears on a corner hidden behind a nearer face, so the
    // upper limit never shows; the lower one only keeps odd input in range.
    const uint32_t lit = static_cast<uint32_t>(shade_ramp[std::clamp(d - NEAREST_DEPTH, 0, 39)]);
    const int32_t old_depth = depth[column];
    const bool nearer = old_depth > d;
    depth[column] = static_cast<uint8_t>(nearer ? d : old_depth);
    row[column] = nearer ? lit : row[column];
  }
}

} // namespace

SIMD_CLONES void draw_twister(uint32_t *pixels, const Phases &phases, const EffectTables &tables) {
  // Row angle = a * pi/16384; the counter is four times finer than phase17.
  int32_t a = static_cast<int32_t>(4u * static_cast<uint32_t>(phases.phase17));
  int32_t w = phases.phase6; // sway phase, deliberately not masked
  const double twist = 64 * std::sin(phases.phase29 * PI / 4096);

  uint8_t depth[SCREEN_WIDTH];
  // A copy of its own, which the compiler knows no pixel store can change, so
  // the face loops may load it for several columns at once.
  int32_t shade_ramp[SHADES];
  std::memcpy(shade_ramp, tables.shade_ramp, sizeof shade_ramp);
  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
    std::memset(depth, 255, sizeof depth);

    const double theta = a * PI / 16384;
    const int32_t s = static_cast<int32_t>(std::sin(theta) * HALF_DIAGONAL);
    const int32_t c = static_cast<int32_t>(std::cos(theta) * HALF_DIAGONAL);
    const int32_t sway = static_cast<int32_t>(std::sin(w * PI / 1024) * SWAY);
    w += 6;
    // Truncating each row's sum is what makes the twist rate slightly uneven.
    a = static_cast<int32_t>(a + twist);

    const Corner c1 = project(s + sway, EYE_DISTANCE + c);
    const Corner c2 = project(c + sway, EYE_DISTANCE - s);
    const Corner c3 = project(sway - s, EYE_DISTANCE - c);
    const Corner c4 = project(sway - c, EYE_DISTANCE + s);

    uint32_t *row = pixels + y * SCREEN_WIDTH;
    draw_face(row, depth, shade_ramp, c1, c2);
    draw_face(row, depth, shade_ramp, c2, c3);
    draw_face(row, depth, shade_ramp, c3, c4);
    draw_face(row, depth, shade_ramp, c4, c1);
  }
}

} // namespace d32
