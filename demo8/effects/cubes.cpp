// Four transparent cubes in a row receding to the right. Their triangles
// filter the background: each clears one bit and, in four-frame spells, sets
// bit 7 to lift the covered pixels into the bright half of the palette.
#include <cmath>

#include "demo8/effects/effects.h"

namespace d8 {

namespace {
constexpr int32_t H = 90; // half the cube's edge
} // namespace

// Each face split along a diagonal; triangles f and f + 6 clear the same bit.
const CubeVertex cube_triangles[12][3] = {
    {{-H, -H, -H}, {H, -H, -H}, {-H, H, -H}},                                           // z = -90
    {{H, H, -H}, {-H, H, -H}, {H, -H, -H}},   {{-H, -H, H}, {H, -H, H}, {-H, H, H}},    // z = 90
    {{H, H, H}, {-H, H, H}, {H, -H, H}},      {{-H, -H, -H}, {-H, H, -H}, {-H, -H, H}}, // x = -90
    {{-H, H, H}, {-H, -H, H}, {-H, H, -H}},   {{H, -H, -H}, {H, H, -H}, {H, -H, H}},    // x = 90
    {{H, H, H}, {H, -H, H}, {H, H, -H}},      {{-H, -H, -H}, {H, -H, -H}, {-H, -H, H}}, // y = -90
    {{H, -H, H}, {-H, -H, H}, {H, -H, -H}},   {{-H, H, -H}, {H, H, -H}, {-H, H, H}},    // y = 90
    {{H, H, H}, {-H, H, H}, {H, H, -H}},
};

CubePose cube_pose(int32_t k, int32_t t, int32_t ox, int32_t oy) {
  const double turn = (t * PI) / 64.0;
  const double tilt = ((t * PI) / 1024.0) * (3 * k + 7);
  const double bob = ((8 * k + t) * PI) / 64.0;
  CubePose p;
  p.s = static_cast<int32_t>(256.0 * std::sin(turn));
  p.c = static_cast<int32_t>(256.0 * std::cos(turn));
  p.s2 = static_cast<int32_t>(256.0 * std::sin(tilt));
  p.c2 = static_cast<int32_t>(256.0 * std::cos(tilt));
  p.j = 200 * k - ox - 60;
  p.n = static_cast<int32_t>(100.0 * std::sin(bob) + static_cast<double>(20 - oy));
  p.m = 100 * k;
  return p;
}

// All divisions are true divisions, truncating toward zero.
CubeVertex transform_vertex(CubeVertex v, const CubePose &p) {
  const int32_t x = (p.c * v.x + p.s * v.z) / 256 + p.j;
  const int32_t yn = v.y + p.n;
  const int32_t z0 = (p.c * v.z - p.s * v.x) / 256;
  // N enters before the tilt and again after it, so the centre swings too.
  const int32_t y = (p.c2 * yn + p.s2 * z0) / 256 + p.n;
  const int32_t z = (p.c2 * z0 - p.s2 * yn) / 256 + p.m;
  return CubeVertex{x, y, z};
}

uint16_t cube_colour(int32_t k, int32_t t, int32_t f) {
  const uint16_t bit = static_cast<uint16_t>(2 << (f % 6));
  const bool bright = ((k + t) & 4) == 0;
  return static_cast<uint16_t>(bit ^ (bright ? 0x80FF : 0x00FF));
}

void draw_cubes(Surface8 s, int32_t t, int32_t ox, int32_t oy) {
  for (int32_t k = 0; k < 4; ++k) {
    const CubePose pose = cube_pose(k, t, ox, oy);
    for (int32_t f = 0; f < 12; ++f) {
      int32_t px[3];
      int32_t py[3];
      for (int32_t i = 0; i < 3; ++i) {
        const CubeVertex v = transform_vertex(cube_triangles[f][i], pose);
        // With the tunnel's offsets z + 398 stays above 150, so this is safe.
        const int32_t w = v.z + 398;
        // The vertical centre is 100, not the screen's middle row.
        px[i] = (200 * v.x) / w + 160;
        py[i] = (200 * v.y) / w + 100;
      }
      fill_triangle(s, px[0], py[0], px[1], py[1], px[2], py[2], cube_colour(k, t, f));
    }
  }
}

} // namespace d8
