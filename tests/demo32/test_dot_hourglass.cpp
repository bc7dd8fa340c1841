#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "demo32/effects/effects.h"

namespace {

using d32::EffectState;
using d32::SCREEN_HEIGHT;
using d32::SCREEN_PIXELS;
using d32::SCREEN_WIDTH;

constexpr uint32_t UNTOUCHED = 0x00AB00;
constexpr uint32_t DOT = 0x0000FF;

// The screen sits between two screens of guard words, so a write outside it
// shows up.
struct Frame {
  std::vector<uint32_t> words = std::vector<uint32_t>(3 * SCREEN_PIXELS, UNTOUCHED);
  uint32_t at(int x, int y) const { return words[SCREEN_PIXELS + y * SCREEN_WIDTH + x]; }
  bool is_dot(int x, int y) const { return at(x, y) == DOT; }
  bool guards_intact() const {
    for (int i = 0; i < SCREEN_PIXELS; ++i)
      if (words[i] != UNTOUCHED || words[2 * SCREEN_PIXELS + i] != UNTOUCHED)
        return false;
    return true;
  }
};

Frame render(int32_t phase1, int32_t phase3) {
  auto fx = std::make_unique<EffectState>();
  fx->phases.phase1 = phase1;
  fx->phases.phase3 = phase3;
  Frame frame;
  d32::draw_dot_hourglass(frame.words.data() + SCREEN_PIXELS, fx->phases);
  return frame;
}

// Whether some 2x2 block lying wholly on screen is all dots and holds (x, y).
bool in_whole_block(const Frame &frame, int x, int y) {
  for (int by = y - 1; by <= y; ++by)
    for (int bx = x - 1; bx <= x; ++bx)
      if (bx >= 0 && by >= 0 && bx + 1 < SCREEN_WIDTH && by + 1 < SCREEN_HEIGHT &&
          frame.is_dot(bx, by) && frame.is_dot(bx + 1, by) && frame.is_dot(bx, by + 1) &&
          frame.is_dot(bx + 1, by + 1))
        return true;
  return false;
}

TEST(DotHourglass, DotsAreWholeBlocksInsideTheScreen) {
  // phase1 = 0 stretches the shape most, so the outer rings run off screen.
  for (int32_t phase1 : {0, 64, 128, 300, 1024, 2047}) {
    for (int32_t phase3 : {0, 97, 128, 384, 1000}) {
      const Frame frame = render(phase1, phase3);
      EXPECT_TRUE(frame.guards_intact()) << "phases " << phase1 << " " << phase3;
      int dots = 0;
      for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
          ASSERT_TRUE(frame.at(x, y) == DOT || frame.at(x, y) == UNTOUCHED) << x << ", " << y;
          if (frame.is_dot(x, y)) {
            ++dots;
            EXPECT_TRUE(in_whole_block(frame, x, y)) << x << ", " << y;
          }
        }
      EXPECT_GT(dots, 1000) << "phases " << phase1 << " " << phase3;
    }
  }
}

TEST(DotHourglass, ABlockMayStartOnTheLastButOneColumn) {
  // Blocks start at columns 0..318, so the last column is reached only as
  // the right half of a block starting at 318.
  const Frame frame = render(0, 97);
  int last_column = 0;
  for (int y = 0; y < SCREEN_HEIGHT; ++y)
    if (frame.is_dot(319, y)) {
      ++last_column;
      EXPECT_TRUE(frame.is_dot(318, y)) << "row " << y;
    }
  EXPECT_GT(last_column, 0);
}

// Half the height of the middle ring, which alone lands on column 160: its
// offset along the axis is 0, and the neighbouring rings lie 13 or more
// columns away.
double middle_ring_half_height(const Frame &frame) {
  int top = -1;
  int bottom = -1;
  for (int y = 0; y < SCREEN_HEIGHT; ++y)
    if (frame.is_dot(160, y)) {
      if (top < 0)
        top = y;
      bottom = y;
    }
  EXPECT_GE(top, 0);
  // Blocks are two rows tall, so the lowest dot starts one row above bottom.
  return (bottom - 1 - top) / 2.0;
}

// The largest projected height of a ring of radius r seen from 200 units:
// r cos(t) * 256 / (200 + r sin(t)) peaks at 256 r / sqrt(200^2 - r^2).
double projected(double r) {
  return 256 * r / std::sqrt(200 * 200 - r * r);
}

TEST(DotHourglass, WaistBreathes) {
  // phase3 = 384: sin = -1, waist radius 10; phase3 = 128: sin = 1, 10 sqrt(11).
  const auto narrow = render(0, 384);
  const auto wide = render(0, 128);
  const double narrow_half = middle_ring_half_height(narrow);
  const double wide_half = middle_ring_half_height(wide);
  // 32 dots sample the ring, so the extremes are reached to within a pixel.
  EXPECT_NEAR(narrow_half, projected(10), 1.0);
  EXPECT_NEAR(wide_half, projected(10 * std::sqrt(11.0)), 1.0);
  // The middle ring is the only one there: nothing else in columns 150..170
  // except itself at 160 and 161.
  for (const auto *frame : {&narrow, &wide})
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
      for (int x = 150; x <= 170; ++x) {
        if (x != 160 && x != 161) {
          EXPECT_FALSE(frame->is_dot(x, y)) << x << ", " << y;
        }
      }
}

// The dot positions written out from the arithmetic, single precision only
// where it rounds.
std::vector<bool> reference_blocks(int32_t phase1, int32_t phase3) {
  const double pi = d32::PI;
  const double w = 5 * std::sin(phase3 * pi / 256) + 6;
  const double stretch = 5 * std::cos(phase1 * pi / 128) + 20;
  const double spin = phase1 * pi / 1024;
  std::vector<bool> dots(SCREEN_PIXELS);
  for (float z = -14.0f; z < 14.0f; z += 0.5f) {
    const float r = static_cast<float>(10 * std::sqrt(double{z} * z + w));
    const float x = static_cast<float>(stretch * z);
    for (float a = static_cast<float>(-pi); a < 3.14159265358979; a = static_cast<float>(a + 0.2)) {
      const float c = static_cast<float>(std::cos(spin + a) * r);
      const double s = std::sin(spin + a) * r;
      const float k = static_cast<float>(256 / (s + 200));
      const int col = static_cast<int>(double{k} * x + 160);
      const int row = static_cast<int>(double{c} * k + 120);
      if (col >= 0 && col <= 318 && row >= 0 && row <= 238)
        for (int i : {0, 1, SCREEN_WIDTH, SCREEN_WIDTH + 1})
          dots[row * SCREEN_WIDTH + col + i] = true;
    }
  }
  return dots;
}

TEST(DotHourglass, RoundsToSinglePrecisionWhereTheDotsDependOnIt) {
  // At these phases keeping the radius, offset, c or k in double moves a dot.
  const int32_t phases[][2] = {{791, 1708}, {231, 1464}, {1057, 976}, {1813, 0}, {0, 0}};
  for (const auto &p : phases) {
    const Frame frame = render(p[0], p[1]);
    const std::vector<bool> expected = reference_blocks(p[0], p[1]);
    int mismatches = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
      for (int x = 0; x < SCREEN_WIDTH; ++x)
        mismatches += frame.is_dot(x, y) != expected[y * SCREEN_WIDTH + x];
    EXPECT_EQ(mismatches, 0) << "phases " << p[0] << " " << p[1];
  }
}

} // namespace
