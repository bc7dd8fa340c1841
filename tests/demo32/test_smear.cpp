#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "demo32/effects/effects.h"

namespace {

using Frame = std::vector<uint32_t>;

// The filter written out plainly, channel by channel with signed running values.
void reference_smear(Frame &f) {
  int b = 0, g = 0, r = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      uint32_t &p = f[y * 320 + x];
      const int blue = p & 0xFF, green = (p >> 8) & 0xFF, red = (p >> 16) & 0xFF;
      if (y % 2 == 0) {
        b = (blue + 3 * b) / 4;
        g = (green + g) / 2;
        r = (3 * red + 5 * r) / 8;
      } else {
        b = (blue + 2 * b) / 4;
        g = (green + 2 * g) / 4;
        r = (red + 2 * r) / 4;
      }
      p = (p & 0xFF000000u) | static_cast<uint32_t>(r << 16 | g << 8 | b);
    }
}

Frame smeared(Frame f) {
  d32::smear_rows(f.data());
  return f;
}

uint32_t rgb(int r, int g, int b) {
  return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

TEST(Smear, BlackStaysBlack) {
  const Frame black(d32::SCREEN_PIXELS, 0);
  EXPECT_EQ(smeared(black), black);
}

TEST(Smear, WhiteSettlesShortOfFullOnEvenRowsAndAtHalfOnOddRows) {
  const Frame out = smeared(Frame(d32::SCREEN_PIXELS, 0x00FFFFFF));
  // The first row rises from black...
  EXPECT_EQ(out[0], rgb(95, 127, 63));
  for (int y = 0; y < 240; ++y) {
    const uint32_t settled = y % 2 == 0 ? rgb(253, 254, 252) : rgb(127, 127, 127);
    for (int x = 300; x < 320; ++x)
      ASSERT_EQ(out[y * 320 + x], settled) << x << "," << y;
  }
}

TEST(Smear, RunningValuesCarryIntoTheNextRow) {
  Frame f(d32::SCREEN_PIXELS, 0);
  f[319] = 0x00FFFFFF; // last pixel of row 0
  const Frame out = smeared(f);
  EXPECT_EQ(out[319], rgb(95, 127, 63));
  // Row 1 starts from what row 0 ended with: b 63, g 127, r 95, at 3/4 gain.
  EXPECT_EQ(out[320], rgb(47, 63, 31));
  EXPECT_EQ(out[321], rgb(23, 31, 15));
  // ...and row 2 from the end of row 1, which has decayed to black.
  EXPECT_EQ(out[2 * 320], 0u);

  // A bright last pixel on an odd row reaches into the even row below.
  Frame g(d32::SCREEN_PIXELS, 0);
  g[2 * 320 - 1] = 0x00FFFFFF; // last pixel of row 1
  const Frame out2 = smeared(g);
  EXPECT_EQ(out2[2 * 320 - 1], rgb(63, 63, 63));
  EXPECT_EQ(out2[2 * 320], rgb(39, 31, 47)); // r 5*63/8, g 63/2, b 3*63/4
}

TEST(Smear, TopByteIsUntouched) {
  Frame f(d32::SCREEN_PIXELS);
  for (size_t i = 0; i < f.size(); ++i)
    f[i] = static_cast<uint32_t>(i * 2654435761u) | 0x00FFFFFFu;
  const Frame out = smeared(f);
  for (size_t i = 0; i < f.size(); ++i)
    ASSERT_EQ(out[i] >> 24, f[i] >> 24) << i;
}

TEST(Smear, MatchesReferenceOnRandomFrames) {
  std::mt19937 rng(2005);
  for (int round = 0; round < 5; ++round) {
    Frame f(d32::SCREEN_PIXELS);
    for (uint32_t &p : f)
      p = rng();
    Frame want = f;
    reference_smear(want);
    ASSERT_EQ(smeared(f), want) << "round " << round;
  }
  // Sharp edges: vertical stripes of saturated colours.
  Frame f(d32::SCREEN_PIXELS);
  for (int i = 0; i < d32::SCREEN_PIXELS; ++i)
    f[i] = (i / 7) % 3 == 0 ? 0x00FF0000u : (i / 7) % 3 == 1 ? 0x0000FF00u : 0x000000FFu;
  Frame want = f;
  reference_smear(want);
  EXPECT_EQ(smeared(f), want);
}

} // namespace
