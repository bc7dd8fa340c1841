// Drawing code that the show only calls with on-screen arguments (opaque and
// transparent text, single glyphs, the polygon filler, the quad mapper) must
// still stay inside the 320x240 surface for any argument at all. The surface
// sits between two guard bands; random extreme coordinates must leave the
// guards untouched (and, in the sanitizer build, raise no report). Moving a
// drawing by a few pixels must move its visible part and nothing else, which
// catches pixels that wrap into a neighbouring row.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "demo32/effects/effects.h"
#include "demo32/text/draw_text.h"

namespace {

using d32::CENTRED;
using d32::NO_BACKGROUND;
using d32::SCREEN_HEIGHT;
using d32::SCREEN_PIXELS;
using d32::SCREEN_WIDTH;

constexpr uint32_t GUARD = 0xC0FFEE11;
constexpr uint32_t UNTOUCHED = 0x00345678;
constexpr int GUARD_WORDS = 4 * SCREEN_PIXELS;

// Calls per fuzz test: enough for each to draw well over 1000 pixels from its
// seed, few enough for the sanitizer build.
constexpr int TEXT_CALLS = 20000;
constexpr int GLYPH_CALLS = 40000;
constexpr int POLYGON_CALLS = 5000;
constexpr int QUAD_CALLS = 20000;

struct GuardedSurface {
  std::vector<uint32_t> words;
  GuardedSurface() : words(2 * GUARD_WORDS + SCREEN_PIXELS, GUARD) { clear(); }
  uint32_t *pixels() { return words.data() + GUARD_WORDS; }
  const uint32_t *pixels() const { return words.data() + GUARD_WORDS; }
  void clear() { std::fill(pixels(), pixels() + SCREEN_PIXELS, UNTOUCHED); }
  uint32_t at(int x, int y) const { return pixels()[y * SCREEN_WIDTH + x]; }
  bool guards_intact() const {
    for (int i = 0; i < GUARD_WORDS; ++i)
      if (words[i] != GUARD || words[GUARD_WORDS + SCREEN_PIXELS + i] != GUARD)
        return false;
    return true;
  }
  int written() const {
    int n = 0;
    for (int i = 0; i < SCREEN_PIXELS; ++i)
      n += pixels()[i] != UNTOUCHED;
    return n;
  }
};

// Coordinates from the edges of the surface and of the integer range.
int32_t extreme(std::mt19937 &rng) {
  static const int32_t EDGES[] = {INT32_MIN,
                                  INT32_MIN + 1,
                                  -1000000,
                                  CENTRED,
                                  -320,
                                  -241,
                                  -240,
                                  -17,
                                  -16,
                                  -15,
                                  -1,
                                  0,
                                  1,
                                  15,
                                  16,
                                  152,
                                  160,
                                  239,
                                  240,
                                  241,
                                  304,
                                  305,
                                  319,
                                  320,
                                  321,
                                  335,
                                  1000,
                                  1000000,
                                  INT32_MAX - 16,
                                  INT32_MAX - 1,
                                  INT32_MAX};
  switch (rng() % 3) {
  case 0:
    return EDGES[rng() % (sizeof EDGES / sizeof EDGES[0])];
  case 1:
    return static_cast<int32_t>(rng());
  default:
    return static_cast<int32_t>(rng() % 1200) - 450;
  }
}

std::string random_text(std::mt19937 &rng) {
  std::string s(rng() % 48, '\0');
  for (char &c : s)
    c = static_cast<char>(1 + rng() % 255);
  return s;
}

int32_t random_background(std::mt19937 &rng) {
  return rng() % 2 ? NO_BACKGROUND : static_cast<int32_t>(rng());
}

// Runs body(rng) `calls` times from a fixed seed, so every run makes the same
// calls, and checks the guards now and then (a spoilt guard stays spoilt; the
// sanitizer build reports the faulty write itself).
template <typename Body> void fuzz(const GuardedSurface &s, uint32_t seed, int calls, Body body) {
  std::mt19937 rng(seed);
  for (int i = 0; i < calls; ++i) {
    body(rng);
    if (i % 64 == 63) {
      ASSERT_TRUE(s.guards_intact())
          << "seed " << seed << ", somewhere in calls " << i - 63 << " to " << i;
    }
  }
  ASSERT_TRUE(s.guards_intact()) << "seed " << seed << ", in the last calls";
}

TEST(Bounds, TextWithAnyCoordinatesStaysOnTheSurface) {
  GuardedSurface s;
  fuzz(s, 1, TEXT_CALLS, [&](std::mt19937 &rng) {
    const std::string text = random_text(rng);
    const int32_t x = extreme(rng), y = extreme(rng);
    const auto colour = static_cast<uint32_t>(rng());
    const int32_t background = random_background(rng);
    const int32_t clip_left = extreme(rng), clip_right = extreme(rng);
    d32::draw_text(s.pixels(), x, y, colour, background, text.c_str(), clip_left, clip_right);
  });
  EXPECT_GT(s.written(), 1000); // the calls did draw, where they could
}

TEST(Bounds, GlyphsWithAnyCoordinatesStayOnTheSurface) {
  GuardedSurface s;
  fuzz(s, 2, GLYPH_CALLS, [&](std::mt19937 &rng) {
    const int32_t x = extreme(rng), y = extreme(rng);
    const auto colour = static_cast<uint32_t>(rng());
    const int32_t background = random_background(rng);
    const auto glyph = static_cast<uint8_t>(rng());
    const int32_t clip_left = extreme(rng), clip_right = extreme(rng);
    d32::draw_glyph(s.pixels(), x, y, colour, background, glyph, clip_left, clip_right);
  });
  EXPECT_GT(s.written(), 1000);
}

TEST(Bounds, PolygonsWithAnyVerticesStayOnTheSurface) {
  GuardedSurface s;
  fuzz(s, 3, POLYGON_CALLS, [&](std::mt19937 &rng) {
    std::vector<d32::Vertex> v(rng() % 24);
    for (d32::Vertex &p : v) {
      p.x = extreme(rng);
      p.y = extreme(rng);
    }
    if (!v.empty() && rng() % 4 == 0)
      v.assign(v.size(), v[0]); // everything on one point
    const int32_t n = static_cast<int32_t>(v.size());
    d32::fill_polygon(s.pixels(), n, v.data(), static_cast<uint32_t>(rng()));
  });
  EXPECT_GT(s.written(), 1000);
  // Fewer than three vertices draw nothing, whatever the count claims.
  GuardedSurface empty;
  const d32::Vertex two[] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}};
  d32::fill_polygon(empty.pixels(), 2, two, 0xFFFFFF);
  d32::fill_polygon(empty.pixels(), -5, two, 0xFFFFFF);
  EXPECT_EQ(empty.written(), 0);
}

TEST(Bounds, QuadsWithAnyRectangleStayOnTheSurface) {
  GuardedSurface s;
  d32::QuadCorners fx;
  fuzz(s, 4, QUAD_CALLS, [&](std::mt19937 &rng) {
    for (int32_t &c : fx.uv)
      c = static_cast<int32_t>(rng());
    const int32_t x = extreme(rng), y = extreme(rng), w = extreme(rng), h = extreme(rng);
    d32::draw_quad(s.pixels(), fx, x, y, w, h);
  });
  EXPECT_GT(s.written(), 1000);
}

// b must be a, moved by (dx, dy): wherever both positions are on the surface
// the pixels agree, so nothing was clipped away wrongly or wrapped around.
void expect_moved(const GuardedSurface &a, const GuardedSurface &b, int dx, int dy,
                  const std::string &what) {
  int compared = 0;
  for (int y = 0; y < SCREEN_HEIGHT; ++y)
    for (int x = 0; x < SCREEN_WIDTH; ++x) {
      const int mx = x + dx, my = y + dy;
      if (mx < 0 || mx >= SCREEN_WIDTH || my < 0 || my >= SCREEN_HEIGHT)
        continue;
      ++compared;
      if (a.at(x, y) != b.at(mx, my)) {
        ADD_FAILURE() << what << ": pixel " << x << "," << y << " moved by " << dx << "," << dy;
        return;
      }
    }
  EXPECT_GT(compared, 0);
  EXPECT_TRUE(a.guards_intact() && b.guards_intact()) << what;
}

// Text cut by every edge shows exactly the part of the whole text that lies on
// the surface: drawing it a little further in shows the same pixels, moved.
TEST(Bounds, TextCutAtTheEdgesIsTheVisiblePartOfTheWholeText) {
  const char *text = "Q@W!";
  const int32_t places[][2] = {{-40, 100}, {290, 100}, {100, -9}, {100, 231}, {-7, -7}, {306, 228}};
  for (const auto &p : places)
    for (const int32_t background : {NO_BACKGROUND, 0x00102030}) {
      GuardedSurface cut, whole;
      const int dx = p[0] < 0 ? 48 : (p[0] > 250 ? -48 : 0);
      const int dy = p[1] < 0 ? 20 : (p[1] > 200 ? -20 : 0);
      d32::draw_text(cut.pixels(), p[0], p[1], 0xFFFFFF, background, text, -1000, 1000);
      d32::draw_text(whole.pixels(), p[0] + dx, p[1] + dy, 0xFFFFFF, background, text, -1000, 1000);
      ASSERT_GT(cut.written(), 0);
      expect_moved(cut, whole, dx, dy,
                   "text at " + std::to_string(p[0]) + "," + std::to_string(p[1]));
    }
}

TEST(Bounds, GlyphsCutAtTheEdgesAreTheVisiblePartOfTheWholeGlyph) {
  for (const int32_t x : {-12, -1, 305, 310, 319})
    for (const int32_t y : {-12, 5, 230, 239}) {
      GuardedSurface cut, whole;
      const int dx = x < 0 ? 20 : (x > 300 ? -20 : 0);
      const int dy = y < 0 ? 20 : (y > 220 ? -20 : 0);
      // The clip window moves with the glyph; it does not cut here.
      d32::draw_glyph(cut.pixels(), x, y, 0xFF0000, NO_BACKGROUND, 'M', x - 5, x + 40);
      d32::draw_glyph(whole.pixels(), x + dx, y + dy, 0xFF0000, NO_BACKGROUND, 'M', x + dx - 5,
                      x + dx + 40);
      expect_moved(cut, whole, dx, dy, "glyph at " + std::to_string(x) + "," + std::to_string(y));
    }
}

// Rows above the surface are skipped by stepping the edges: the visible rows
// are those of the same polygon drawn further down.
TEST(Bounds, PolygonRowsAboveTheSurfaceAreSkippedExactly) {
  std::mt19937 rng(5);
  for (int run = 0; run < 200; ++run) {
    std::vector<d32::Vertex> v(3 + rng() % 10);
    for (d32::Vertex &p : v)
      p = {static_cast<int32_t>(rng() % 300) + 10, static_cast<int32_t>(rng() % 400) - 250};
    const int dy = 150;
    std::vector<d32::Vertex> lower = v;
    for (d32::Vertex &p : lower)
      p.y += dy;
    GuardedSurface cut, whole;
    d32::fill_polygon(cut.pixels(), static_cast<int32_t>(v.size()), v.data(), 0x00FF00);
    d32::fill_polygon(whole.pixels(), static_cast<int32_t>(lower.size()), lower.data(), 0x00FF00);
    expect_moved(cut, whole, 0, dy, "polygon run " + std::to_string(run));
    if (testing::Test::HasFailure())
      return;
  }
}

// A quad cut on any side shows the part of the whole quad that is on screen.
TEST(Bounds, QuadCutOnAnySideIsTheVisiblePartOfTheWholeQuad) {
  std::mt19937 rng(6);
  d32::QuadCorners fx;
  for (int run = 0; run < 100; ++run) {
    for (int32_t &c : fx.uv)
      c = static_cast<int32_t>(rng());
    const int32_t w = 20 + static_cast<int32_t>(rng() % 200);
    const int32_t h = 20 + static_cast<int32_t>(rng() % 150);
    const int32_t x = static_cast<int32_t>(rng() % 400) - 200;
    const int32_t y = static_cast<int32_t>(rng() % 300) - 150;
    const int dx = x < 0 ? 200 : -static_cast<int>(rng() % 60);
    const int dy = y < 0 ? 150 : -static_cast<int>(rng() % 60);
    GuardedSurface cut, whole;
    d32::draw_quad(cut.pixels(), fx, x, y, w, h);
    d32::draw_quad(whole.pixels(), fx, x + dx, y + dy, w, h);
    expect_moved(cut, whole, dx, dy, "quad run " + std::to_string(run));
    if (testing::Test::HasFailure())
      return;
  }
}

} // namespace
