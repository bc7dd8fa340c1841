#pragma once
// The timeline of demo8: which background the odd rows carry in frame t and
// whether the cubes float over it; the scroller runs over every frame.
#include <cstdint>

#include "demo8/effects/effects.h"

namespace d8 {

constexpr int32_t LAST_FRAME = 1567;

enum class Background { TUNNEL, ROTOZOOMER, PLASMA, BLACK, BANDED_RINGS, XOR_RINGS };

// A stretch of the show, up to and including its last frame.
struct Phase {
  int32_t last_frame;
  Background background;
  bool cubes;
};

// The phase of frame t; frames past the show are black without cubes.
const Phase &phase_at(int32_t t);

struct SceneState {
  int32_t ox = 35; // tunnel window offsets, also read by the cubes; their
  int32_t oy = 15; // frame-287 values until the tunnel sets them
};

// Draws frame t completely (background, cubes, scroller). Clears running in the
// last frame. Touches only columns 0..319 of each row.
void draw_frame(Surface8 s, const Tables &tables, SceneState &state, int32_t t, int &running);

} // namespace d8
