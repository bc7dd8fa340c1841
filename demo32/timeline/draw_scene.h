#pragma once
// The timeline of demo32: one row per song position saying what it draws,
// which texture corners its quad uses, what it resets and whether the effect
// steps move the orbiting names.
#include <cstdint>

#include "demo32/effects/effects.h"
#include "demo32/synth/show_clock.h"
#include "demo32/timeline/corner_sets.h"

namespace d32 {

// What a scene reads in one frame; it changes none of it.
struct SceneFrame {
  const EffectState &fx;
  const EffectTables &tables;
  const LensTables &lens;
  const ShowClock &clock; // song_row, for the scenes that follow the row
  QuadCorners corners;    // set up from the scene's corner set before it draws
  int32_t variant;        // the scene's own number, such as a plasma set
};

struct Scene {
  void (*draw)(uint32_t *pixels, const SceneFrame &frame);
  CornerSet corners = CornerSet::NONE;
  int32_t variant = 0;
  // After drawing, every frame, the scroller is held at the start of this
  // text, so the scroller scene that follows starts from its beginning.
  const char *scroller_reset = nullptr;
  bool names_orbit = false; // effect steps move the names around the twister
};

// The scene of a song position; positions outside 0..28 draw nothing.
const Scene &scene_at(int32_t position);

// Draws the scene of the position over what the surface holds.
void draw_scene(uint32_t *pixels, const EffectState &fx, const EffectTables &tables,
                const LensTables &lens, const ShowClock &clock, int32_t position);

// The scene's changes to the moving state, after it has drawn.
void finish_scene(EffectState &fx, int32_t position);

} // namespace d32
