#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "demo8/synth/music.h"

namespace {

constexpr uint32_t SONG_LENGTH = 1048576; // 16 positions of 65536 samples

std::vector<uint8_t> render(d8::Music &music, size_t count) {
  std::vector<uint8_t> out(count);
  d8::music_render(music, out.data(), static_cast<int32_t>(count));
  return out;
}

uint16_t next_noise(uint16_t seed) {
  return static_cast<uint16_t>(3u * seed + 0x1111u);
}

TEST(MusicRender, KnownSamples) {
  d8::Music music;
  const std::vector<uint8_t> out = render(music, 16384);
  // Kick at full swing under the saw's first ramp, voice 1 resting.
  const uint8_t first[8] = {112, 117, 123, 130, 136, 141, 147, 152};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(out[i], first[i]) << i;
  // c = 4096: the bass's first sample, filter 0 -> (0 + 64) / 2 = 32, on top
  // of 128 (rest) - 16 (saw at x = 0).
  EXPECT_EQ(out[4096], 144);
  // c = 8192: first snare sample, m = 256; the seed 0xFFFF steps to 0x110E,
  // noise -16: 112 (pulse, x = 0) - 16 (saw) - 16.
  EXPECT_EQ(out[8192], 80);
  // Values from an independent evaluation of the formulas:
  EXPECT_EQ(out[2000], 145); // mid-kick
  EXPECT_EQ(out[4095], 182); // last kick sample, before the cut
  EXPECT_EQ(out[6000], 57);  // bass, filter well under way
  EXPECT_EQ(out[7000], 60);
  EXPECT_EQ(out[12288], 88); // bass resumes with the filter from c = 8191
  EXPECT_EQ(out[16383], 68);
  // c = 8208: noise -30 times m = 255 is -29.9, which the shift rounds down
  // to -30 where a division would give -29.
  EXPECT_EQ(out[8208], 71);
  // c = 8530: voice 1 at x = 256, only bit 8 of the mask set: the high level.
  EXPECT_EQ(out[8530], 122);
  EXPECT_EQ(music.sample_clock, 16384u);

  // Position 6 rests in both voices in step 0, and the kick starts at sin 0.
  d8::Music rest;
  rest.sample_clock = 6 * 65536;
  EXPECT_EQ(render(rest, 1)[0], 128);
}

TEST(MusicRender, AnySplitGivesTheSameStreamWithinRange) {
  const size_t total = 2 * SONG_LENGTH + 20000;
  d8::Music whole;
  const std::vector<uint8_t> reference = render(whole, total);
  const auto [lo, hi] = std::minmax_element(reference.begin(), reference.end());
  EXPECT_GE(*lo, 33);
  EXPECT_LE(*hi, 222);

  auto split_render = [&](auto next_len) {
    d8::Music music;
    std::vector<uint8_t> out(total);
    size_t done = 0;
    while (done < total) {
      const size_t len = std::min<size_t>(next_len(), total - done);
      d8::music_render(music, out.data() + done, static_cast<int32_t>(len));
      done += len;
    }
    EXPECT_EQ(music.sample_clock, whole.sample_clock);
    EXPECT_EQ(music.bass_filter, whole.bass_filter);
    EXPECT_EQ(music.noise_seed, whole.noise_seed);
    return out;
  };
  EXPECT_EQ(split_render([] { return size_t{1}; }), reference);
  EXPECT_EQ(split_render([] { return size_t{7}; }), reference);
  EXPECT_EQ(split_render([] { return size_t{8192}; }), reference);
  std::mt19937 rng(1234);
  std::uniform_int_distribution<size_t> pick(0, 20000);
  EXPECT_EQ(split_render([&] { return pick(rng); }), reference);
}

TEST(MusicRender, StateCarriesOverTheLoop) {
  // Start late in the last bar with an unusual state and cross the loop point;
  // the noise advances once per snare sample and at no other time.
  const uint32_t start = SONG_LENGTH - 10000;
  d8::Music music;
  music.sample_clock = start;
  music.bass_filter = 17;
  music.noise_seed = 0x1234;
  const std::vector<uint8_t> out = render(music, 30000);

  uint16_t seed = 0x1234;
  for (uint32_t c = start; c < start + 30000; ++c)
    if ((c & 16383) >= 8192 && (c & 16383) <= 12287)
      seed = next_noise(seed);
  EXPECT_EQ(music.noise_seed, seed);

  // Restarting the song does not reset the filter or the noise: a fresh state
  // at the loop point renders something else.
  d8::Music reset;
  reset.sample_clock = SONG_LENGTH;
  const std::vector<uint8_t> fresh = render(reset, 20000);
  EXPECT_NE(out[10000 + 4096], fresh[4096]) << "bass filter restarted from 0";
  EXPECT_FALSE(std::equal(fresh.begin() + 8192, fresh.begin() + 12288, out.begin() + 10000 + 8192))
      << "noise restarted from 0xFFFF";
}

TEST(MusicRender, BassPhaseIsExactBeyond32Bits) {
  // With h = 1 (first 256 samples of a bass step) and a zero filter, one sample
  // leaves the filter at +32 or -32, exposing the pulse's target. The product
  // c * 8363 overflows 32 bits from c = 513,565 on, well inside the show.
  std::mt19937 rng(99);
  std::uniform_int_distribution<uint32_t> pick(0, 0xFFFFFFFFu);
  for (int i = 0; i < 20000; ++i) {
    uint32_t c = pick(rng);
    c = (c & ~16383u) | 4096u | (c & 255u); // bass step, h = 1
    d8::Music music;
    music.sample_clock = c;
    render(music, 1);
    const uint64_t phase = static_cast<uint64_t>(c) * 8363u / 22050u;
    ASSERT_EQ(music.bass_filter, (phase & 255) <= 32 ? 32 : -32) << c;
  }
}

} // namespace
