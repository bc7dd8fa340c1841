// Lit lens: a 128x128 XOR texture under a roaming soft light, seen through a
// fixed distortion (a magnifying sphere in the middle, perspective outside)
// that is computed once into lens_map.
#include <cmath>
#include <cstdlib>

#include "common/simd_clones.h"
#include "demo32/effects/effects.h"

namespace d32 {

void build_lens_tables(LensTables &lens) {
  for (int i = 0; i < 128; ++i) {
    for (int j = 0; j < 128; ++j) {
      const int d2 = (j - 64) * (j - 64) + (i - 64) * (i - 64);
      const int light = static_cast<int>(191 - 3 * std::sqrt(static_cast<double>(d2)));
      lens.light_map[i][j] = static_cast<uint8_t>(light < 0 ? 0 : light);
    }
  }

  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      const int dx = x - 160;
      const int dy = y - 120;
      const int q = std::abs(8500 - dy * dy - dx * dx);
      uint8_t *entry = lens.lens_map[y][x];
      if (q == 0) {
        // The 32 pixels exactly on the rim would need an infinite scale.
        entry[0] = 0;
        entry[1] = 0;
        continue;
      }
      // The scale is kept in single precision and the mapping is computed in it:
      // the float roundings decide 72 of the texels. With q >= 1 the scale is at
      // most 60, so |dx * f + 64| stays below 9664 and the conversion is safe.
      const float f = static_cast<float>(60 / std::sqrt(static_cast<double>(q)));
      const float u = static_cast<float>(dx) * f + 64.0f;
      const float v = static_cast<float>(dy) * f + 64.0f;
      // Masking the truncated two's-complement value turns -1 into 127.
      entry[0] = static_cast<uint8_t>(static_cast<int32_t>(u) & 127);
      entry[1] = static_cast<uint8_t>(static_cast<int32_t>(v) & 127);
    }
  }
}

SIMD_CLONES void draw_lens(uint32_t *pixels, const Phases &phases, const LensTables &lens) {
  // Texture scroll, -64..64 texels; the divisions truncate toward zero.
  const int32_t du = static_cast<int32_t>(std::cos(phases.phase4 * PI / 1024) * 64 * 256) / 256;
  const int32_t dv = static_cast<int32_t>(std::sin(phases.phase6 * PI / 1024) * 64 * 256) / 256;
  // Light centre in texture space, -36..164; it wraps with the texture.
  const int32_t lu = static_cast<int32_t>(std::cos(phases.phase17 * PI / 4096) * 100 + 64);
  const int32_t lv = static_cast<int32_t>(std::sin(phases.phase29 * PI / 4096) * 100 + 64);

  // Every pixel shows one of only 128 x 128 lens map entries, so shade each
  // entry once per frame; the pixel loop is then a single lookup.
  uint16_t shade[128][128];
  for (int mv = 0; mv < 128; ++mv) {
    for (int mu = 0; mu < 128; ++mu) {
      const int32_t u = (mu + du) & 127;
      const int32_t v = (mv + dv) & 127;
      shade[mv][mu] =
          static_cast<uint16_t>(lens.light_map[(v + lv) & 127][(u + lu) & 127] + ((u ^ v) & 63));
    }
  }

  const uint8_t(*map)[2] = lens.lens_map[0];
  for (int i = 0; i < SCREEN_PIXELS; ++i)
    pixels[i] = shade[map[i][1]][map[i][0]];
}

} // namespace d32
