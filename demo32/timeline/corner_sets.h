#pragma once
// The three ways the scene script sets up draw_quad's texture corners
// (fx.quad_corners: u,v of top-left, top-right, bottom-left, bottom-right).
#include "demo32/effects/effect_state.h"

namespace d32 {

// R: a rotation and zoom about a wandering centre, seen at a slant.
void set_corners_slanted_rotation(EffectState &fx);
// S: a rotating square whose bottom-right corner moves on its own, so it folds.
void set_corners_fold(EffectState &fx);
// T: four corners on independent paths.
void set_corners_wander(EffectState &fx);

} // namespace d32
