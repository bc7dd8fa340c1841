#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "demo32/effects/effects.h"
#include "demo32/show/plain_platform.h"

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

// The filter runs the frame in bands side by side, eight of 30 rows with AVX2
// and four of 60 without; a band's real starting values are the last pixel
// of the band above. The cases below sit at every 30-row edge, so both kinds
// of edge are covered.
constexpr int BANDS = 8;
constexpr int BAND_ROWS = 240 / BANDS;

Frame random_frame(std::mt19937 &rng) {
  Frame f(d32::SCREEN_PIXELS);
  for (uint32_t &p : f)
    p = rng();
  return f;
}

// Frames meant to find a fault in the band split: uniform, sharp, smooth,
// sparse, and rows that end on the extremes the running values carry over.
std::vector<Frame> awkward_frames() {
  std::mt19937 rng(2005);
  std::vector<Frame> frames;
  frames.push_back(Frame(d32::SCREEN_PIXELS, 0));
  frames.push_back(Frame(d32::SCREEN_PIXELS, 0x00FFFFFFu));
  frames.push_back(Frame(d32::SCREEN_PIXELS, 0xFFFFFFFFu));
  for (int round = 0; round < 40; ++round)
    frames.push_back(random_frame(rng));

  // Vertical stripes of saturated colours, and horizontal ones of white and black.
  Frame stripes(d32::SCREEN_PIXELS), bars(d32::SCREEN_PIXELS);
  for (int i = 0; i < d32::SCREEN_PIXELS; ++i) {
    stripes[i] = (i / 7) % 3 == 0 ? 0x00FF0000u : (i / 7) % 3 == 1 ? 0x0000FF00u : 0x000000FFu;
    bars[i] = (i / 320) % 3 == 0 ? 0x00FFFFFFu : 0u;
  }
  frames.push_back(stripes);
  frames.push_back(bars);

  for (int round = 0; round < 20; ++round) {
    // Random rows ending on white or black: the band edges start from extremes.
    Frame f = random_frame(rng);
    for (int y = 0; y < 240; ++y)
      f[y * 320 + 319] = (y + round) % 2 == 0 ? 0x00FFFFFFu : 0xFF000000u;
    frames.push_back(f);

    // Black with a few random dots, and white with a few black ones.
    Frame dark(d32::SCREEN_PIXELS, 0), light(d32::SCREEN_PIXELS, 0x00FFFFFFu);
    for (int k = 0; k < 50; ++k) {
      const uint32_t at = rng() % d32::SCREEN_PIXELS;
      dark[at] = rng();
      light[rng() % d32::SCREEN_PIXELS] = 0;
    }
    frames.push_back(dark);
    frames.push_back(light);

    // One bright or dark pixel just above each band edge, on a flat grey.
    Frame edges(d32::SCREEN_PIXELS, 0x00808080u);
    for (int band = 1; band < BANDS; ++band)
      edges[band * BAND_ROWS * 320 - 1 - round] = round % 2 == 0 ? 0x00FFFFFFu : 0u;
    frames.push_back(edges);

    // Already smeared pictures: long smooth runs like the show's own frames.
    Frame smooth = random_frame(rng);
    for (int pass = 0; pass <= round % 4; ++pass)
      reference_smear(smooth);
    frames.push_back(smooth);
  }
  return frames;
}

TEST(Smear, MatchesThePlainLoopOnAwkwardFrames) {
  const std::vector<Frame> frames = awkward_frames();
  for (size_t k = 0; k < frames.size(); ++k) {
    Frame want = frames[k];
    reference_smear(want);
    ASSERT_EQ(smeared(frames[k]), want) << "frame " << k;
  }
}

// A frame on which a band's run from 0 and its run from the real starting
// values never meet: `lo` (even rows) and `hi` (odd rows) keep a running
// value of both 0 and 1 where it is. The last pixel of the top band lifts the
// chosen channel to 1 and every band below must carry that 1 to its end.
Frame never_meeting(int shift, uint32_t lo, uint32_t hi) {
  Frame f(d32::SCREEN_PIXELS);
  for (int i = 0; i < d32::SCREEN_PIXELS; ++i) {
    const bool even = i / 320 % 2 == 0;
    f[i] = (even ? lo : hi) << shift | static_cast<uint32_t>(i % 251) << 24;
  }
  f[BAND_ROWS * 320 - 1] |= 0x00070707u; // odd row: (7 + 2 * 0) / 4 = 1 in every channel
  return f;
}

TEST(Smear, LowerBandsAreRedoneWhenTheirGuessNeverCatchesUp) {
  const struct {
    const char *channel;
    int shift;
    uint32_t lo, hi;
  } cases[] = {{"blue", 0, 3, 3}, {"green", 8, 1, 2}, {"red", 16, 2, 3}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.channel);
    const Frame f = never_meeting(c.shift, c.lo, c.hi);
    Frame want = f;
    reference_smear(want);
    // The top band shows what a guess of 0 does on these rows: it stays at 0.
    ASSERT_EQ(want[BAND_ROWS * 320 - 2] >> c.shift & 0xFF, 0u);
    for (int band = 1; band <= BANDS; ++band)
      ASSERT_EQ(want[band * BAND_ROWS * 320 - 1] >> c.shift & 0xFF, 1u) << band;
    EXPECT_EQ(smeared(f), want);
  }
}

// The whole show as it runs without sound, a frame every four ticks of the
// silent clock, each picture drawn over the smeared frame before it; every
// smear is checked against the plain loop.
TEST(Smear, MatchesThePlainLoopOnTheWholeShow) {
  auto show = std::make_unique<d32::Show32>();
  d32::prepare_show(*show, 1);
  show->smear_enabled = 0; // smeared below, by both filters
  d32::ShowClock clock;
  Frame pixels(d32::SCREEN_PIXELS, 0);
  d32::PlainScreen screen{pixels.data()};
  const d32::Platform32 platform = d32::plain_platform(screen);
  int frames = 0, changed = 0;
  std::vector<int> positions_seen(d32::SONG_POSITIONS, 0);
  for (int tick = 0; tick < d32::SONG_POSITIONS * 64 * 6; tick += 4) {
    for (int k = 0; k < 4; ++k)
      d32::advance_timer_clock(clock);
    const int32_t position = d32::get(clock.song_position);
    screen.now += 72; // 4 ticks of 18 ms, 6 steps of 12
    d32::show_pass(*show, clock, platform);
    Frame want = pixels;
    reference_smear(want);
    changed += want != pixels;
    d32::smear_rows(pixels.data());
    ASSERT_EQ(pixels, want) << "position " << position << " row " << d32::get(clock.song_row);
    ++frames;
    positions_seen[position] = 1;
  }
  EXPECT_EQ(frames, 29 * 64 * 6 / 4);
  EXPECT_EQ(positions_seen, std::vector<int>(d32::SONG_POSITIONS, 1));
  // Guards against comparing blank frames: the scenes drew something to smear.
  EXPECT_GT(changed, frames * 9 / 10);
}

} // namespace
