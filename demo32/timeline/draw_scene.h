#pragma once
#include <cstdint>

#include "demo32/effects/effects.h"
#include "demo32/synth/show_clock.h"

namespace d32 {

extern const char scroll_text_1[];  // 350 characters
extern const char scroll_text_2[];  // 311 characters

// Draws the picture of the current song position over what the surface holds.
// Reads song_position once (and song_row where a scene needs it).
void draw_scene(uint32_t *pixels, EffectState &fx, const LensTables &lens, const ShowClock &clock);

} // namespace d32
