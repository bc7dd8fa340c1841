// Flat triangle filler for the cubes. Covered pixels are filtered, not
// painted: p = (p AND low byte) OR high byte of the colour word.
#include <algorithm>
#include <cstring>
#include <utility>

#include "demo8/effects/effects.h"

namespace d8 {

namespace {

struct Edge {
  int64_t x;    // 24.8 fixed point
  int64_t step; // per row
};

// The products and sums are kept in 64 bits so that vertices far off screen
// cannot overflow; for on-screen sizes the results are the 32-bit ones.
Edge make_edge(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int64_t dx = (static_cast<int64_t>(x1) - x0) * 256;
  const int64_t dy = static_cast<int64_t>(y1) - y0;
  // A real division, truncating toward zero, never a shift.
  return Edge{static_cast<int64_t>(x0) * 256, dx / dy};
}

void draw_span(Surface8 s, int64_t y, int64_t xs, int64_t xl, uint8_t mask, uint8_t value) {
  int64_t left = xs / 256;
  int64_t right = xl / 256;
  if (left > right) {
    std::swap(left, right);
  }
  // The right end is exclusive, so column 319 is never reached.
  left = std::clamp<int64_t>(left, 0, SCREEN_WIDTH - 1);
  right = std::clamp<int64_t>(right, 0, SCREEN_WIDTH - 1);
  uint8_t *row = s.pixels + static_cast<intptr_t>(y) * s.pitch;
  if (right - left < 8) {
    for (int64_t x = left; x < right; ++x)
      row[x] = static_cast<uint8_t>((row[x] & mask) | value);
    return;
  }
  // Eight pixels at a time in one word. Filtering a pixel twice gives what
  // filtering it once does ((p & m | v) & m | v == p & m | v), so the last
  // group may overlap the one before it instead of ending pixel by pixel.
  const uint64_t masks = uint64_t{mask} * 0x0101010101010101u;
  const uint64_t values = uint64_t{value} * 0x0101010101010101u;
  const auto filter8 = [masks, values](uint8_t *at) {
    uint64_t p;
    std::memcpy(&p, at, 8);
    p = (p & masks) | values;
    std::memcpy(at, &p, 8);
  };
  for (int64_t x = left; x < right - 8; x += 8)
    filter8(row + x);
  filter8(row + right - 8);
}

// Rows ya..yb-1 of one half of the triangle. Rows above the screen are skipped
// by stepping both edges the same number of times at once, which gives the
// very values row-by-row stepping would; rows below it are never drawn, so the
// half stops there.
void fill_half(Surface8 s, int64_t ya, int64_t yb, Edge &shrt, Edge &lng, uint8_t mask,
               uint8_t value) {
  int64_t y = ya;
  if (y < 0) {
    const int64_t hidden = std::min<int64_t>(yb, 0) - y;
    shrt.x += shrt.step * hidden;
    lng.x += lng.step * hidden;
    y += hidden;
  }
  const int64_t end = std::min<int64_t>(yb, SCREEN_HEIGHT);
  // Stepped in locals: the byte stores of a span could alias the edges, which
  // would make the compiler reload them from memory on every row.
  int64_t xs = shrt.x;
  int64_t xl = lng.x;
  for (; y < end; ++y) {
    draw_span(s, y, xs, xl, mask, value);
    xs += shrt.step;
    xl += lng.step;
  }
  shrt.x = xs;
  lng.x = xl;
}

} // namespace

void fill_triangle(Surface8 s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                   int32_t y2, uint16_t colour) {
  // Three compare-and-swaps, swapping only on strictly smaller y.
  if (y2 < y0) {
    std::swap(x0, x2);
    std::swap(y0, y2);
  }
  if (y1 < y0) {
    std::swap(x0, x1);
    std::swap(y0, y1);
  }
  if (y2 < y1) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  if (y2 == y0) {
    return;
  }
  const uint8_t mask = static_cast<uint8_t>(colour & 0xFF);
  const uint8_t value = static_cast<uint8_t>(colour >> 8);

  Edge lng = make_edge(x0, y0, x2, y2);
  if (y1 != y0) {
    Edge upper = make_edge(x0, y0, x1, y1);
    fill_half(s, y0, y1, upper, lng, mask, value);
  }
  if (y2 != y1) {
    // The long edge goes on from where the upper half left it. (If the upper
    // half stopped at the screen's bottom, this half lies wholly below it.)
    Edge lower = make_edge(x1, y1, x2, y2);
    fill_half(s, y1, y2, lower, lng, mask, value);
  }
}

} // namespace d8
