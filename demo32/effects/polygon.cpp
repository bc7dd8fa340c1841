// Even-odd scanline fill of an arbitrary (possibly self-intersecting) polygon.
#include <cstdint>
#include <memory>

#include "demo32/effects/effects.h"

namespace d32 {

namespace {

// One polygon side, oriented downward. Positions are kept in 64 bits so that
// vertices far off screen cannot overflow the 16.16 arithmetic.
struct PolygonEdge {
  int64_t top;    // first row crossed
  int64_t bottom; // first row no longer crossed
  int64_t x_top;  // x at the top vertex
  int64_t slope;  // 16.16 x change per row
  int64_t x;      // 16.16 current x
};

PolygonEdge make_edge(const Vertex &from, const Vertex &to) {
  PolygonEdge e{};
  if (to.y > from.y) {
    e.top = from.y;
    e.bottom = to.y;
    e.x_top = from.x;
    e.slope = ((int64_t{to.x} - from.x) * 65536) / (int64_t{to.y} - from.y);
  } else if (to.y < from.y) {
    e.top = to.y;
    e.bottom = from.y;
    e.x_top = to.x;
    e.slope = ((int64_t{from.x} - to.x) * 65536) / (int64_t{from.y} - to.y);
  } else {
    // Horizontal: top == bottom, so it is never active.
    e.top = from.y;
    e.bottom = from.y;
    e.x_top = from.x;
    e.slope = 0;
  }
  e.x = e.x_top * 65536;
  return e;
}

// Crossings left or right of the screen collapse to one column just outside it;
// the order of crossings, and so the even-odd pairing, stays the same.
int32_t clamp_crossing(int64_t x) {
  if (x < -1)
    return -1;
  if (x > SCREEN_WIDTH)
    return SCREEN_WIDTH;
  return static_cast<int32_t>(x);
}

// Insertion sort: a row is crossed by only a few edges, usually two or four.
void sort_descending(int32_t *values, int32_t n) {
  for (int32_t i = 1; i < n; ++i) {
    const int32_t v = values[i];
    int32_t j = i;
    for (; j > 0 && values[j - 1] < v; --j)
      values[j] = values[j - 1];
    values[j] = v;
  }
}

} // namespace

void fill_polygon(uint32_t *pixels, int32_t n, const Vertex *vertices, uint32_t colour) {
  if (n < 3)
    return;

  // The only allocation of the show: the filler's two work arrays, per call.
  const auto edges = std::make_unique<PolygonEdge[]>(static_cast<size_t>(n));
  const auto crossings = std::make_unique<int32_t[]>(static_cast<size_t>(n));

  int64_t first_row = SCREEN_HEIGHT;
  int64_t end_row = 0;
  for (int32_t i = 0; i < n; ++i) {
    edges[i] = make_edge(vertices[i], vertices[(i + 1) % n]);
    if (edges[i].top < first_row)
      first_row = edges[i].top;
    if (edges[i].bottom > end_row)
      end_row = edges[i].bottom;
  }

  // Rows above the screen are skipped by moving each edge straight to the row
  // before the first visible one; integer steps make that exact.
  if (first_row < 0) {
    for (int32_t i = 0; i < n; ++i) {
      PolygonEdge &e = edges[i];
      if (e.top < 0 && e.bottom > 0)
        e.x += -e.top * e.slope;
    }
    first_row = 0;
  }
  if (end_row > SCREEN_HEIGHT)
    end_row = SCREEN_HEIGHT;

  for (int64_t y = first_row; y < end_row; ++y) {
    // Only the edges that cross this row are collected and sorted.
    int32_t crossed = 0;
    for (int32_t i = 0; i < n; ++i) {
      PolygonEdge &e = edges[i];
      if (e.top <= y && y < e.bottom) {
        // Intended: the step comes before the first use, so on the top row the
        // crossing already sits one row's step along the edge.
        e.x += e.slope;
        crossings[crossed++] = clamp_crossing(e.x / 65536);
      }
    }
    sort_descending(crossings.get(), crossed);

    // Each row lies between whole-numbered vertex rows, so a closed outline
    // crosses it an even number of times: the crossings pair up right to left.
    uint32_t *row = pixels + y * SCREEN_WIDTH;
    for (int32_t i = 0; i + 1 < crossed; i += 2) {
      const int32_t right = crossings[i] < SCREEN_WIDTH - 1 ? crossings[i] : SCREEN_WIDTH - 1;
      const int32_t left = crossings[i + 1] > 0 ? crossings[i + 1] : 0;
      for (int32_t x = left; x <= right; ++x)
        row[x] |= colour;
    }
  }
}

} // namespace d32
