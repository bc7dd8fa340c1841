#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "demo8/effects/effects.h"

namespace {

using namespace d8;

struct Plasma : ::testing::Test {
  void SetUp() override { build_wave_table(*tables); }
  std::unique_ptr<Tables> tables = std::make_unique<Tables>();
};

TEST_F(Plasma, WaveTableTellingEntries) {
  const uint8_t *w = tables->wave_table;
  EXPECT_EQ(w[0], 64);
  EXPECT_EQ(w[1], 69);
  EXPECT_EQ(w[17], 124);
  EXPECT_EQ(w[128], 63);
  EXPECT_EQ(w[237], 3);
  EXPECT_EQ(w[255], 58);
  EXPECT_EQ(w[64], 32);
  EXPECT_EQ(w[65], 36);
  EXPECT_EQ(w[67], 42);
  for (int i = 0; i < 256; ++i) {
    EXPECT_GE(w[i], 3) << i;
    EXPECT_LE(w[i], 124) << i;
  }
}

TEST_F(Plasma, FirstPixelOfThePhase) {
  std::vector<uint8_t> pixels(320 * 240, 0xEE);
  Surface8 s{pixels.data(), 320};
  // q's argument 1 - 1728 is negative and must wrap to 65.
  draw_plasma_row(s, *tables, 1, 576);
  EXPECT_EQ(pixels[320 + 0], 42);
  // Only row 1 was drawn.
  EXPECT_EQ(pixels[0], 0xEE);
  EXPECT_EQ(pixels[640], 0xEE);
}

TEST_F(Plasma, StaysInsideItsRangeOverThePhase) {
  std::vector<uint8_t> pixels(320 * 240);
  Surface8 s{pixels.data(), 320};
  for (int32_t t = 576; t <= 767; ++t) {
    for (int32_t y = 1; y < 240; y += 2) {
      draw_plasma_row(s, *tables, y, t);
      for (int32_t x = 0; x < 320; ++x) {
        const uint8_t v = pixels[y * 320 + x];
        ASSERT_GE(v, 3) << t << " " << x << "," << y;
        ASSERT_LE(v, 124) << t << " " << x << "," << y;
      }
    }
  }
}

} // namespace
