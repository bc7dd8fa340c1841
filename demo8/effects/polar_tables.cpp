// Depth, angle and radius of every point of a 240x180 field around its centre;
// the tunnel and the rings look at 160x120 windows of these.
#include <cmath>

#include "demo8/effects/effects.h"

namespace d8 {

void build_polar_tables(Tables &tables) {
  for (int32_t y = -90; y < 90; ++y) {
    for (int32_t x = -120; x < 120; ++x) {
      const int32_t row = y + 90;
      const int32_t col = x + 120;
      const double rho = std::sqrt(static_cast<double>(x * x + y * y));
      // Near the centre the depth exceeds 255 and wraps (2000 is stored as 208).
      const int32_t depth = static_cast<int32_t>(2000.0 / (rho + 1.0));
      // Horizontal coordinate first: straight down is 0, left and right both
      // 128, since -128 keeps its low 8 bits; one turn spans 512 units.
      const int32_t angle = static_cast<int32_t>(
          std::atan2(static_cast<double>(x), static_cast<double>(y)) / PI * 256.0);
      const int32_t radius = static_cast<int32_t>(rho);
      tables.depth_table[row][col] = static_cast<uint8_t>(depth & 255);
      tables.angle_table[row][col] = static_cast<uint8_t>(angle & 255);
      tables.radius_table[row][col] = static_cast<uint8_t>(radius & 127);
    }
  }
}

} // namespace d8
