#pragma once
// Where an orbiting name goes and which pass draws it; draw_name_orbit uses
// this, and it lets the orbit be checked without reading glyph pixels.
#include <cstdint>

namespace d32 {

struct NamePlacement {
  int32_t x;         // left column of the first cell
  int32_t y;         // top row, 60..160
  int32_t clip_left; // transparent text clip window while behind
  int32_t clip_right;
  bool behind;   // drawn before the twister
  bool in_front; // drawn after the twister, unclipped
};

// phase: the slot's orbit phase (0 = bottom, 1024 = top); text may be null.
NamePlacement place_name(int32_t phase, const char *text);

} // namespace d32
