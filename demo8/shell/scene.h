#pragma once
#include <cstdint>

#include "demo8/effects/effects.h"

namespace d8 {

constexpr int32_t LAST_FRAME = 1567;

struct SceneState {
  int32_t ox = 35;  // tunnel window offsets, also read by the cubes
  int32_t oy = 15;
};

// Draws frame t completely (background, cubes, scroller). Clears running in the
// last frame. Touches only columns 0..319 of each row.
void draw_frame(Surface8 s, const Tables &tables, SceneState &state, int32_t t, int &running);

} // namespace d8
