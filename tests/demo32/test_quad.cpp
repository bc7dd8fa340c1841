#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "demo32/effects/effects.h"

namespace {

constexpr uint32_t UNTOUCHED = 0xDEADBEEF;
constexpr int GUARD = 4096; // words either side of the frame that must stay untouched

// A frame with guard zones before and after it, to catch writes outside.
struct GuardedFrame {
  std::vector<uint32_t> words =
      std::vector<uint32_t>(GUARD + d32::SCREEN_PIXELS + GUARD, UNTOUCHED);
  uint32_t *pixels() { return words.data() + GUARD; }
  uint32_t at(int x, int y) const { return words[GUARD + y * 320 + x]; }
  bool guards_intact() const {
    for (int i = 0; i < GUARD; ++i)
      if (words[i] != UNTOUCHED || words[GUARD + d32::SCREEN_PIXELS + i] != UNTOUCHED)
        return false;
    return true;
  }
};

int32_t wrap(int64_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

// The mapper done plainly, row by row and pixel by pixel, on a canvas of its own
// with no clipping at all. Only the top-left cols x rows of the w x h quad are
// kept (cols <= w, rows <= h), enough to cover the surface.
struct Reference {
  int64_t cols, rows;
  std::vector<uint32_t> texels;
  uint32_t at(int64_t i, int64_t j) const { return texels[static_cast<size_t>(j * cols + i)]; }
};

Reference reference_quad(const int32_t c[8], int32_t w, int32_t h, int64_t cols, int64_t rows) {
  Reference ref{cols, rows, std::vector<uint32_t>(static_cast<size_t>(cols * rows))};
  int64_t lu = c[0], lv = c[1], ru = c[2], rv = c[3];
  const int32_t lus = wrap(int64_t{c[4]} - c[0]) / h, lvs = wrap(int64_t{c[5]} - c[1]) / h;
  const int32_t rus = wrap(int64_t{c[6]} - c[2]) / h, rvs = wrap(int64_t{c[7]} - c[3]) / h;
  for (int64_t j = 0; j < rows; ++j) {
    const int32_t du = wrap(ru - lu) / w;
    const int32_t dv = wrap(rv - lv) / w;
    int64_t u = lu, v = lv;
    for (int64_t i = 0; i < cols; ++i) {
      ref.texels[static_cast<size_t>(j * cols + i)] =
          static_cast<uint32_t>((wrap(u) ^ wrap(v)) / 65536) & 0xFF;
      u = wrap(u + du);
      v = wrap(v + dv);
    }
    lu = wrap(lu + lus);
    lv = wrap(lv + lvs);
    ru = wrap(ru + rus);
    rv = wrap(rv + rvs);
  }
  return ref;
}

// Draws the quad and checks every on-screen pixel against the reference and
// every other pixel (and the guards) for being untouched.
void expect_quad(const int32_t corners[8], int32_t x, int32_t y, int32_t w, int32_t h) {
  d32::QuadCorners fx;
  for (int k = 0; k < 8; ++k)
    fx.uv[k] = corners[k];
  GuardedFrame frame;
  d32::draw_quad(frame.pixels(), fx, x, y, w, h);
  const int64_t cols = std::clamp<int64_t>(std::min<int64_t>(w, 320 - int64_t{x}), 0, 1000);
  const int64_t rows = std::clamp<int64_t>(std::min<int64_t>(h, 240 - int64_t{y}), 0, 1000);
  const Reference ref = reference_quad(corners, w, h, cols, rows);
  int bad = 0;
  for (int sy = 0; sy < 240; ++sy) {
    for (int sx = 0; sx < 320; ++sx) {
      const int64_t i = int64_t{sx} - x, j = int64_t{sy} - y;
      const bool inside = i >= 0 && i < w && j >= 0 && j < h;
      const uint32_t want = inside ? ref.at(i, j) : UNTOUCHED;
      if (frame.at(sx, sy) != want && ++bad <= 5)
        ADD_FAILURE() << "pixel (" << sx << ", " << sy << ") is " << frame.at(sx, sy)
                      << ", expected " << want << " for quad " << x << "," << y << " " << w << "x"
                      << h;
    }
  }
  EXPECT_EQ(bad, 0);
  EXPECT_TRUE(frame.guards_intact());
}

// The slanted rotation-and-zoom corners the show uses in its first quad scenes.
void corner_set_r(int32_t out[8], int p17, int p29, int p4, int p6) {
  const double pi = d32::PI;
  const int32_t a = static_cast<int32_t>(std::cos(p17 * pi / 4096) * 500 * 65536);
  const int32_t b = static_cast<int32_t>(std::sin(p29 * pi / 4096) * 500 * 65536);
  const double z = std::sin(p6 * pi / 1024) + 1.2;
  const double t = p4 * pi / 1024;
  const int64_t U = static_cast<int32_t>(z * std::cos(t) * 65536);
  const int64_t V = static_cast<int32_t>(z * std::sin(t) * 65536);
  const int64_t p = a + 120 * V - 160 * U, q = b - 160 * V - 120 * U;
  const int64_t c[8] = {p - 400 * U, q - 400 * V, p + 720 * U,           q + 720 * V,
                        p - 440 * V, q + 440 * U, p + 320 * U - 440 * V, q + 320 * V + 440 * U};
  for (int k = 0; k < 8; ++k)
    out[k] = wrap(c[k]);
}

TEST(Quad, EqualCornersFillOneShade) {
  // 0xFFFFFFFF ^ 0x00010000 is negative: -65537 / 65536 truncates to -1, so the
  // shade is 255 (a shift would give 254).
  const int32_t corners[8] = {-1, 0x10000, -1, 0x10000, -1, 0x10000, -1, 0x10000};
  d32::QuadCorners fx;
  for (int k = 0; k < 8; ++k)
    fx.uv[k] = corners[k];
  GuardedFrame frame;
  d32::draw_quad(frame.pixels(), fx, 0, 0, 320, 240);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      ASSERT_EQ(frame.at(x, y), 255u) << x << "," << y;

  const int32_t positive[8] = {0x123456, 0x0ABCDE, 0x123456, 0x0ABCDE,
                               0x123456, 0x0ABCDE, 0x123456, 0x0ABCDE};
  expect_quad(positive, 10, 20, 100, 50);
}

TEST(Quad, FirstRowAndLeftColumnSampleTheEdgesExactly) {
  int32_t c[8];
  corner_set_r(c, 1000, 3000, 200, 700);
  d32::QuadCorners fx;
  for (int k = 0; k < 8; ++k)
    fx.uv[k] = c[k];
  GuardedFrame frame;
  d32::draw_quad(frame.pixels(), fx, 0, 0, 320, 240);
  const int64_t du = wrap(int64_t{c[2]} - c[0]) / 320, dv = wrap(int64_t{c[3]} - c[1]) / 320;
  for (int i = 0; i < 320; ++i) {
    const int32_t u = wrap(c[0] + i * du), v = wrap(c[1] + i * dv);
    ASSERT_EQ(frame.at(i, 0), static_cast<uint32_t>((u ^ v) / 65536) & 0xFF) << i;
  }
  const int64_t lu = wrap(int64_t{c[4]} - c[0]) / 240, lv = wrap(int64_t{c[5]} - c[1]) / 240;
  for (int j = 0; j < 240; ++j) {
    const int32_t u = wrap(c[0] + j * lu), v = wrap(c[1] + j * lv);
    ASSERT_EQ(frame.at(0, j), static_cast<uint32_t>((u ^ v) / 65536) & 0xFF) << j;
  }
}

TEST(Quad, FullScreenMatchesReference) {
  int32_t c[8];
  for (int tick = 0; tick < 1500; tick += 111) {
    corner_set_r(c, (17 * tick) & 0x1FFF, (29 * tick) & 0x1FFF, (4 * tick) & 0x7FF,
                 (6 * tick) & 0x7FF);
    expect_quad(c, 0, 0, 320, 240);
  }
  // Independent corners that fold the texture, including corners far enough
  // apart that their differences wrap around 2^32.
  const int32_t folded[8] = {-500 << 16, -600 << 16, -400 << 16, 600 << 16,
                             500 << 16,  -600 << 16, -430 << 16, -600 << 16};
  expect_quad(folded, 0, 0, 320, 240);
  const int32_t wrapping[8] = {std::numeric_limits<int32_t>::max(),
                               std::numeric_limits<int32_t>::min(),
                               std::numeric_limits<int32_t>::min(),
                               12345678,
                               -2000000000,
                               2000000000,
                               1999999999,
                               -1999999999};
  expect_quad(wrapping, 0, 0, 320, 240);
}

TEST(Quad, ClipsOnTheRightAndBottomKeepingTheStretch) {
  int32_t c[8];
  corner_set_r(c, 300, 500, 100, 40);
  expect_quad(c, 300, 0, 40, 240); // columns 300..319 of a 40-wide quad
  expect_quad(c, 0, 230, 320, 40); // rows 230..239 of a 40-high quad
  expect_quad(c, 250, 200, 100, 100);
  expect_quad(c, 100, 60, 50, 30); // wholly inside: no clipping
  expect_quad(c, 319, 239, 1, 1);
}

TEST(Quad, NothingOutsideTheSurface) {
  int32_t c[8];
  corner_set_r(c, 0, 0, 0, 0);
  expect_quad(c, 320, 0, 40, 240);
  expect_quad(c, 0, 240, 320, 10);
  expect_quad(c, 400, 500, 320, 240);
  expect_quad(c, std::numeric_limits<int32_t>::max(), 0, 320, 240);
  expect_quad(c, -320, 0, 320, 240); // ends just left of the surface
  expect_quad(c, 0, -240, 320, 240);
  expect_quad(c, 10, 10, -5, 20); // negative sizes draw nothing
  expect_quad(c, 10, 10, 20, -5);
}

TEST(Quad, ZeroSizeDrawsNothing) {
  int32_t c[8];
  corner_set_r(c, 0, 0, 0, 0);
  d32::QuadCorners fx;
  for (int k = 0; k < 8; ++k)
    fx.uv[k] = c[k];
  GuardedFrame frame;
  d32::draw_quad(frame.pixels(), fx, 0, 0, 0, 240);
  d32::draw_quad(frame.pixels(), fx, 0, 0, 320, 0);
  d32::draw_quad(frame.pixels(), fx, 0, 0, 0, 0);
  for (uint32_t w : frame.words)
    ASSERT_EQ(w, UNTOUCHED);
}

TEST(Quad, NegativeOrHugePositionsShowTheOnScreenPart) {
  int32_t c[8];
  corner_set_r(c, 4000, 100, 900, 1200);
  expect_quad(c, -50, -30, 400, 300);
  expect_quad(c, -1, 0, 320, 240);
  expect_quad(c, 100, 100, std::numeric_limits<int32_t>::max(), 1000); // x + w would overflow
  expect_quad(c, 0, 0, 100000, 100000);
}

} // namespace
