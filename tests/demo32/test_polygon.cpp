#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "demo32/effects/effects.h"

namespace {

using d32::SCREEN_HEIGHT;
using d32::SCREEN_PIXELS;
using d32::SCREEN_WIDTH;
using d32::Vertex;

constexpr uint32_t GREEN = 0x00FF00;
constexpr uint32_t BACKGROUND = 0x00000000;
constexpr uint32_t GUARD_VALUE = 0xA5A5A5A5;

// A screen with a whole screen of guard words before and after it, so a write
// outside the 320x240 area is caught.
struct GuardedScreen {
  std::vector<uint32_t> words = std::vector<uint32_t>(3 * SCREEN_PIXELS, GUARD_VALUE);
  GuardedScreen() { std::fill(pixels(), pixels() + SCREEN_PIXELS, BACKGROUND); }
  uint32_t *pixels() { return words.data() + SCREEN_PIXELS; }
  uint32_t at(int x, int y) { return pixels()[y * SCREEN_WIDTH + x]; }
  bool guards_intact() const {
    for (int i = 0; i < SCREEN_PIXELS; ++i)
      if (words[i] != GUARD_VALUE || words[2 * SCREEN_PIXELS + i] != GUARD_VALUE)
        return false;
    return true;
  }
};

struct Span {
  int y, left, right; // inclusive
};

// Every pixel in the spans must be GREEN, every other pixel BACKGROUND.
void expect_exactly(GuardedScreen &screen, const std::vector<Span> &spans) {
  std::vector<uint32_t> expected(SCREEN_PIXELS, BACKGROUND);
  for (const Span &s : spans)
    for (int x = s.left; x <= s.right; ++x)
      expected[s.y * SCREEN_WIDTH + x] = GREEN;
  int mismatches = 0;
  for (int y = 0; y < SCREEN_HEIGHT; ++y)
    for (int x = 0; x < SCREEN_WIDTH; ++x)
      if (screen.at(x, y) != expected[y * SCREEN_WIDTH + x] && ++mismatches <= 5)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << screen.at(x, y);
  EXPECT_EQ(mismatches, 0);
  EXPECT_TRUE(screen.guards_intact());
}

void fill(GuardedScreen &screen, const std::vector<Vertex> &v, uint32_t colour = GREEN) {
  d32::fill_polygon(screen.pixels(), static_cast<int32_t>(v.size()), v.data(), colour);
}

TEST(PolygonFill, SlopeIsAddedBeforeTheFirstCrossing) {
  // Right edge 45 degrees: on its top row it already crosses one column on.
  GuardedScreen screen;
  fill(screen, {{10, 10}, {20, 20}, {10, 20}});
  std::vector<Span> spans;
  for (int y = 10; y < 20; ++y)
    spans.push_back({y, 10, y + 1});
  expect_exactly(screen, spans);
}

TEST(PolygonFill, FractionalSlopesTruncate) {
  GuardedScreen screen;
  // Slope +1.5: crossings 11.5 -> 11 and 13.0 -> 13.
  fill(screen, {{10, 30}, {13, 32}, {10, 32}});
  // Slope -1.5: crossings 18.5 -> 18 and 17.0 -> 17.
  fill(screen, {{20, 40}, {17, 42}, {20, 42}});
  expect_exactly(screen, {{30, 10, 11}, {31, 10, 13}, {40, 18, 20}, {41, 17, 20}});
}

TEST(PolygonFill, HorizontalSidesAddNoCrossing) {
  GuardedScreen screen;
  // Bottom row (exclusive) is not filled; both vertical sides are inclusive.
  fill(screen, {{30, 30}, {60, 30}, {60, 40}, {30, 40}});
  std::vector<Span> spans;
  for (int y = 30; y < 40; ++y)
    spans.push_back({y, 30, 60});
  expect_exactly(screen, spans);
}

TEST(PolygonFill, DegeneratePolygonsDrawNothing) {
  GuardedScreen screen;
  fill(screen, {{10, 50}, {100, 50}, {200, 50}, {5, 50}});
  fill(screen, {{10, 10}, {100, 100}});
  d32::fill_polygon(screen.pixels(), 0, nullptr, GREEN);
  expect_exactly(screen, {});
}

TEST(PolygonFill, EvenOddLeavesDoublyCoveredRegionsEmpty) {
  // Pentagram: the inner pentagon is covered twice.
  std::vector<Vertex> star;
  for (int i = 0; i < 5; ++i) {
    const double a = -d32::PI / 2 + i * 4 * d32::PI / 5;
    star.push_back({static_cast<int32_t>(std::cos(a) * 100 + 160),
                    static_cast<int32_t>(std::sin(a) * 100 + 120)});
  }
  GuardedScreen screen;
  fill(screen, star);
  EXPECT_EQ(screen.at(160, 120), BACKGROUND);
  EXPECT_EQ(screen.at(145, 110), BACKGROUND);
  EXPECT_EQ(screen.at(175, 130), BACKGROUND);
  EXPECT_EQ(screen.at(160, 40), GREEN);       // top point
  EXPECT_EQ(screen.at(80, 90), GREEN);        // left point
  EXPECT_EQ(screen.at(240, 90), GREEN);       // right point
  EXPECT_EQ(screen.at(115, 185), GREEN);      // lower left point
  EXPECT_EQ(screen.at(205, 185), GREEN);      // lower right point
  EXPECT_EQ(screen.at(160, 210), BACKGROUND); // between the lower points
  EXPECT_EQ(screen.at(160, 170), BACKGROUND);

  // A square walked twice: each row's four crossings pair up equal, so only
  // the two side columns are filled.
  GuardedScreen twice;
  fill(twice,
       {{50, 50}, {100, 50}, {100, 100}, {50, 100}, {50, 50}, {100, 50}, {100, 100}, {50, 100}});
  std::vector<Span> spans;
  for (int y = 50; y < 100; ++y) {
    spans.push_back({y, 50, 50});
    spans.push_back({y, 100, 100});
  }
  expect_exactly(twice, spans);
}

TEST(PolygonFill, ColourIsOredIn) {
  GuardedScreen screen;
  uint32_t *p = screen.pixels();
  p[20 * SCREEN_WIDTH + 20] = 0x0000FF;
  p[20 * SCREEN_WIDTH + 21] = 0x12FF34;
  p[20 * SCREEN_WIDTH + 22] = 0x00FF00;
  p[20 * SCREEN_WIDTH + 23] = 0xAB0000;
  fill(screen, {{20, 20}, {30, 20}, {30, 21}, {20, 21}});
  EXPECT_EQ(screen.at(20, 20), 0x00FFFFu);
  EXPECT_EQ(screen.at(21, 20), 0x12FF34u);
  EXPECT_EQ(screen.at(22, 20), 0x00FF00u);
  EXPECT_EQ(screen.at(23, 20), 0xABFF00u);
  EXPECT_EQ(screen.at(24, 20), 0x00FF00u);
}

TEST(PolygonFill, OffScreenVerticesAreClipped) {
  {
    GuardedScreen screen; // larger than the screen on every side
    fill(screen, {{-100, -100}, {500, -100}, {500, 400}, {-100, 400}});
    std::vector<Span> spans;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
      spans.push_back({y, 0, SCREEN_WIDTH - 1});
    expect_exactly(screen, spans);
  }
  {
    GuardedScreen screen;
    fill(screen, {{-20, 5}, {10, 5}, {10, 15}, {-20, 15}});           // over the left edge
    fill(screen, {{300, 20}, {100000, 20}, {100000, 25}, {300, 25}}); // over the right edge
    fill(screen, {{-50, 30}, {-10, 30}, {-10, 40}, {-50, 40}});       // wholly left
    fill(screen, {{-1, 50}, {-1, 60}, {-3, 60}});                     // crossings of -1
    fill(screen, {{100, 235}, {110, 235}, {110, 9000}, {100, 9000}}); // below
    std::vector<Span> spans;
    for (int y = 5; y < 15; ++y)
      spans.push_back({y, 0, 10});
    for (int y = 20; y < 25; ++y)
      spans.push_back({y, 300, 319});
    for (int y = 235; y < 240; ++y)
      spans.push_back({y, 100, 110});
    expect_exactly(screen, spans);
  }
  {
    GuardedScreen screen;
    fill(screen, {{INT32_MIN, INT32_MIN}, {INT32_MAX, 0}, {0, INT32_MAX}, {INT32_MIN, INT32_MAX}});
    fill(screen, {{INT32_MAX, INT32_MIN}, {INT32_MIN, INT32_MIN}, {5, 5}});
    EXPECT_TRUE(screen.guards_intact());
  }
}

TEST(PolygonFill, ClippingAtTheTopKeepsTheEdgesInStep) {
  // The same triangle 130 rows lower lies wholly on screen; its rows must match.
  GuardedScreen clipped;
  GuardedScreen whole;
  fill(clipped, {{100, -100}, {217, 100}, {3, 100}});
  fill(whole, {{100, 30}, {217, 230}, {3, 230}});
  int mismatches = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < SCREEN_WIDTH; ++x)
      mismatches += clipped.at(x, y) != whole.at(x, y + 130);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(clipped.at(100, 0), GREEN);
  EXPECT_TRUE(clipped.guards_intact());
}

// The filler written the long way: every edge's crossing from its closed form,
// all crossings of the row sorted, pairs filled.
void reference_fill(uint32_t *pixels, const std::vector<Vertex> &v, uint32_t colour) {
  const size_t n = v.size();
  for (int y = 0; y < SCREEN_HEIGHT; ++y) {
    std::vector<int64_t> xs;
    for (size_t i = 0; i < n; ++i) {
      Vertex a = v[i], b = v[(i + 1) % n];
      if (a.y == b.y)
        continue;
      if (a.y > b.y)
        std::swap(a, b);
      if (y < a.y || y >= b.y)
        continue;
      const int64_t slope = (int64_t{b.x} - a.x) * 65536 / (int64_t{b.y} - a.y);
      // The first row already has one step added.
      const int64_t x = (int64_t{a.x} * 65536 + (y - int64_t{a.y} + 1) * slope) / 65536;
      xs.push_back(std::clamp<int64_t>(x, -1, SCREEN_WIDTH));
    }
    std::sort(xs.rbegin(), xs.rend());
    ASSERT_EQ(xs.size() % 2, 0u);
    for (size_t i = 0; i < xs.size(); i += 2)
      for (int64_t x = std::max<int64_t>(xs[i + 1], 0); x <= std::min<int64_t>(xs[i], 319); ++x)
        pixels[y * SCREEN_WIDTH + x] |= colour;
  }
}

TEST(PolygonFill, MatchesThePlainFillOnRandomPolygons) {
  // Self-intersecting outlines of up to 24 corners reaching past every edge,
  // ORed over one another as the show does.
  std::mt19937 rng(1995);
  for (int round = 0; round < 40; ++round) {
    GuardedScreen screen;
    std::vector<uint32_t> want(SCREEN_PIXELS, BACKGROUND);
    for (int k = 0; k < 5; ++k) {
      std::vector<Vertex> v(3 + rng() % 22);
      for (Vertex &p : v)
        p = {static_cast<int32_t>(rng() % 1000) - 340, static_cast<int32_t>(rng() % 800) - 280};
      const uint32_t colour = 1u << (rng() % 24);
      fill(screen, v, colour);
      reference_fill(want.data(), v, colour);
    }
    ASSERT_TRUE(std::equal(want.begin(), want.end(), screen.pixels())) << "round " << round;
    ASSERT_TRUE(screen.guards_intact());
  }
}

} // namespace
