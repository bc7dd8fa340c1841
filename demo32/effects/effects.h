#pragma once
// The raster effects of demo32. Each draws into plain pixel memory: 320x240
// words 0x00RRGGBB, row y at word y*320. The caller locks the real surface.
#include <cstdint>

#include "demo32/effects/effect_state.h"

namespace d32 {

struct Vertex {
  int32_t x;
  int32_t y;
};

// Built once before the first frame; read-only afterwards.
struct LensTables {
  uint8_t light_map[128][128];     // light brightness around (64, 64), 0..191
  uint8_t lens_map[240][320][2];   // (u, v) texture coordinate of each screen pixel
};

// XOR rotozoomer over the whole screen (blue byte only).
void draw_rotozoomer(uint32_t *pixels, const EffectState &fx);
// Bilinear XOR texture between fx.quad_corners in the rectangle x, y, w, h.
void draw_quad(uint32_t *pixels, const EffectState &fx, int32_t x, int32_t y, int32_t w, int32_t h);

// Twister bar and the four orbiting names (draw_name_orbit calls draw_twister).
void draw_twister(uint32_t *pixels, const EffectState &fx);
void draw_name_orbit(uint32_t *pixels, const EffectState &fx);

// Even-odd polygon fill, colour ORed into covered pixels.
void fill_polygon(uint32_t *pixels, int32_t n, const Vertex *vertices, uint32_t colour);
// One 16x16 font glyph, transparent only, clipped to clip_left <= X < clip_right.
void draw_glyph(uint32_t *pixels, int32_t x, int32_t y, uint32_t colour, int32_t background,
                uint8_t ch, int32_t clip_left, int32_t clip_right);

void draw_dot_hourglass(uint32_t *pixels, const EffectState &fx);

// Plasma of the given set (0..3) in rows first_row .. end_row-1.
void draw_plasma(uint32_t *pixels, const EffectState &fx, int32_t first_row, int32_t end_row,
                 int32_t set);

void build_lens_tables(LensTables &lens);
void draw_lens(uint32_t *pixels, const EffectState &fx, const LensTables &lens);

// Horizontal smear and interlace darkening of the whole frame, in place.
void smear_rows(uint32_t *pixels);

} // namespace d32
