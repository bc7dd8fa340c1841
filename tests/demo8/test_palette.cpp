#include <gtest/gtest.h>

#include "demo8/show/palette.h"

namespace {

using namespace d8;

void expect_rgb(const Rgb &c, int r, int g, int b, int i) {
  EXPECT_EQ(c.r, r) << i;
  EXPECT_EQ(c.g, g) << i;
  EXPECT_EQ(c.b, b) << i;
}

TEST(Palette, LowerHalfIsATriangleWaveOfGreenOverRisingBlue) {
  Rgb pal[256];
  build_palette(pal);
  expect_rgb(pal[0], 0, 0, 0, 0);
  expect_rgb(pal[1], 0, 8, 2, 1);
  expect_rgb(pal[31], 0, 248, 62, 31);
  expect_rgb(pal[32], 0, 248, 64, 32); // the peak is held for two entries
  expect_rgb(pal[33], 0, 240, 66, 33);
  expect_rgb(pal[63], 0, 0, 126, 63);
  expect_rgb(pal[64], 0, 0, 128, 64);
  expect_rgb(pal[96], 0, 248, 192, 96);
  expect_rgb(pal[127], 0, 0, 254, 127);
}

TEST(Palette, UpperHalfRunsFromLightYellowToWhite) {
  Rgb pal[256];
  build_palette(pal);
  expect_rgb(pal[128], 255, 255, 128, 128);
  expect_rgb(pal[200], 255, 255, 200, 200);
  expect_rgb(pal[255], 255, 255, 255, 255);
}

} // namespace
