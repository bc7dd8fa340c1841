#pragma once
// The three ways the scene script sets up draw_quad's texture corners.
#include "demo32/effects/effects.h"

namespace d32 {

enum class CornerSet {
  NONE,             // the position draws no quad
  SLANTED_ROTATION, // R: the rotozoomer's camera seen at a slant
  FOLD,             // S: a rotating square whose bottom-right corner moves on its own
  WANDER,           // T: four corners on independent paths
};

QuadCorners quad_corners(CornerSet set, const Phases &phases);

} // namespace d32
