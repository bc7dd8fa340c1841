#pragma once
// Effects of demo8. They draw palette indices through a pitch, so the real SDL
// surface (whose pitch may exceed 320) and plain buffers work alike.
#include <cstdint>

#include "demo8/screen.h"

namespace d8 {

constexpr double PI = 3.1415926; // the show's own, shorter pi

struct Surface8 {
  uint8_t *pixels; // row y starts at pixels + y * pitch
  int32_t pitch;   // bytes per row, at least 320
};

// Built once at start-up, read-only afterwards.
struct Tables {
  uint8_t depth_table[180][240];
  uint8_t angle_table[180][240];
  uint8_t radius_table[180][240];
  uint8_t wave_table[256];
};

void build_polar_tables(Tables &tables);
void build_wave_table(Tables &tables);

// Tunnel (frames 0..287).
struct TunnelParams {
  int32_t k1; // twist
  int32_t k2; // turn
};
// Sets ox, oy and returns k1, k2 for frame t.
TunnelParams tunnel_params(int32_t t, int32_t &ox, int32_t &oy);
// Odd screen row 2j+1 of the tunnel.
void draw_tunnel_row(Surface8 s, const Tables &tables, int32_t j, int32_t t, int32_t ox, int32_t oy,
                     TunnelParams p);

// XOR rotozoomer (frames 288..575).
struct RotozoomParams {
  int32_t du, dv;
};
RotozoomParams rotozoom_params(int32_t t);
void draw_rotozoom_row(Surface8 s, int32_t y, int32_t a, int32_t b, RotozoomParams p);

// Plasma (frames 576..767).
void draw_plasma_row(Surface8 s, const Tables &tables, int32_t y, int32_t t);

// Interference rings (frames 896..1535).
struct RingParams {
  int32_t x1, y1, x2, y2;
};
RingParams ring_params(int32_t t);
void draw_rings_row(Surface8 s, const Tables &tables, int32_t j, RingParams p, bool banded);

// Cubes.
void fill_triangle(Surface8 s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                   int32_t y2, uint16_t colour);
void draw_cubes(Surface8 s, int32_t t, int32_t ox, int32_t oy);
// The cubes' steps, exposed for tests.
struct CubeVertex {
  int32_t x, y, z;
};
struct CubePose {
  int32_t s, c;    // turn about the vertical axis, 8 fraction bits
  int32_t s2, c2;  // tilt about the horizontal axis, 8 fraction bits
  int32_t j, n, m; // horizontal, vertical and depth offsets
};
extern const CubeVertex cube_triangles[12][3];
CubePose cube_pose(int32_t k, int32_t t, int32_t ox, int32_t oy);
CubeVertex transform_vertex(CubeVertex v, const CubePose &p);
uint16_t cube_colour(int32_t k, int32_t t, int32_t f); // low byte AND mask, high byte OR value

// Text scroller.
extern const uint8_t font_glyphs[32][8];
extern const char scroll_rows[113 * 20 + 1];
void draw_text_line(Surface8 s, int32_t x, int32_t y, const char *row);
void draw_scroller(Surface8 s, int32_t t);

} // namespace d8
