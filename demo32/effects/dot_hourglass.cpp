// A lying hourglass of blue dots: 56 rings of 32 dots on a hyperbolic profile,
// breathing, stretching and spinning about the horizontal axis.
#include <cmath>
#include <cstdint>

#include "demo32/effects/effects.h"

namespace d32 {

namespace {

constexpr uint32_t DOT_COLOUR = 0x0000FF;

// A 2x2 block whose top-left pixel is (column, row); skipped whole unless all
// four pixels are on screen.
void plot_dot(uint32_t *pixels, int32_t column, int32_t row) {
  if (column < 0 || column > SCREEN_WIDTH - 2 || row < 0 || row > SCREEN_HEIGHT - 2)
    return;
  uint32_t *p = pixels + row * SCREEN_WIDTH + column;
  p[0] = DOT_COLOUR;
  p[1] = DOT_COLOUR;
  p[SCREEN_WIDTH] = DOT_COLOUR;
  p[SCREEN_WIDTH + 1] = DOT_COLOUR;
}

} // namespace

void draw_dot_hourglass(uint32_t *pixels, const Phases &phases) {
  const double waist = 5 * std::sin(phases.phase3 * PI / 256) + 6;    // 1..11
  const double stretch = 5 * std::cos(phases.phase1 * PI / 128) + 20; // 15..25
  const double spin = phases.phase1 * PI / 1024;

  // Every ring steps through the same angles, so their cosines and sines are
  // taken once per frame; the products below use them exactly as computed.
  constexpr int MAX_ANGLES = 40; // the loop below takes 32
  double cosines[MAX_ANGLES];
  double sines[MAX_ANGLES];
  int angles = 0;
  for (float a = static_cast<float>(-PI); a < PI && angles < MAX_ANGLES;
       a = static_cast<float>(a + 0.2)) {
    const double angle = spin + a;
    cosines[angles] = std::cos(angle);
    sines[angles] = std::sin(angle);
    ++angles;
  }

  // Every float here is a deliberate rounding to single precision that decides
  // where some dots land; everything else stays in double.
  for (float z = -14.0f; z < 14.0f; z += 0.5f) {
    const double zd = z;
    const float radius = static_cast<float>(10 * std::sqrt(zd * zd + waist));
    const float offset = static_cast<float>(stretch * zd);

    for (int i = 0; i < angles; ++i) {
      const float c = static_cast<float>(cosines[i] * radius);
      const double s = sines[i] * radius;
      const float k = static_cast<float>(256 / (s + 200)); // perspective scale
      const int32_t column = static_cast<int32_t>(static_cast<double>(k) * offset + 160);
      const int32_t row = static_cast<int32_t>(static_cast<double>(c) * k + 120);
      plot_dot(pixels, column, row);
    }
  }
}

} // namespace d32
