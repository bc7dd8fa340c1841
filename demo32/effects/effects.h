#pragma once
// The raster effects of demo32. Each draws into plain pixel memory (see
// demo32/screen.h) from the state it is handed, which it only reads. The
// caller locks the real surface.
#include <cstdint>

#include "demo32/effects/effect_state.h"

namespace d32 {

struct Vertex {
  int32_t x;
  int32_t y;
};

// Built once before the first frame; read-only afterwards.
struct LensTables {
  uint8_t light_map[128][128];   // light brightness around (64, 64), 0..191
  uint8_t lens_map[240][320][2]; // (u, v) texture coordinate of each screen pixel
};

// Texture coordinates (16.16, wrapping modulo 2^32) of the quad's corners:
// u, v of top-left, top-right, bottom-left, bottom-right.
struct QuadCorners {
  int32_t uv[8];
};

// The rotozoomer's camera in 16.16 texture steps: screen point (x, y) sees
// texel (p + x*u - y*v, q + x*v + y*u), a rotation and zoom about a centre
// that wanders on a Lissajous path, placed at the middle of the screen.
// Wrap-around arithmetic, hence unsigned.
struct Camera {
  uint32_t p, q; // texture coordinate of screen point (0, 0)
  uint32_t u, v; // zoom * cos, zoom * sin of the angle
};
Camera rotozoom_camera(const Phases &phases);

// XOR rotozoomer over the whole screen (blue byte only).
void draw_rotozoomer(uint32_t *pixels, const Phases &phases);
// Bilinear XOR texture between the corners, in the rectangle x, y, w, h.
void draw_quad(uint32_t *pixels, const QuadCorners &corners, int32_t x, int32_t y, int32_t w,
               int32_t h);

// Twister bar and the four orbiting names (draw_name_orbit calls draw_twister).
void draw_twister(uint32_t *pixels, const Phases &phases, const EffectTables &tables);
void draw_name_orbit(uint32_t *pixels, const Phases &phases, const NameSlots &names,
                     const EffectTables &tables);

// Even-odd polygon fill, colour ORed into covered pixels.
void fill_polygon(uint32_t *pixels, int32_t n, const Vertex *vertices, uint32_t colour);

void draw_dot_hourglass(uint32_t *pixels, const Phases &phases);

// Plasma of the given set (0..3) in rows first_row .. end_row-1.
void draw_plasma(uint32_t *pixels, const Plasma &plasma, const EffectTables &tables,
                 int32_t first_row, int32_t end_row, int32_t set);

void build_lens_tables(LensTables &lens);
void draw_lens(uint32_t *pixels, const Phases &phases, const LensTables &lens);

// Horizontal smear and interlace darkening of the whole frame, in place.
void smear_rows(uint32_t *pixels);

} // namespace d32
