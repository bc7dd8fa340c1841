// The drum samples: the same bits on every machine (pinned by a checksum), and
// each with the envelope and spectrum of its instrument.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "demo32/synth/synth.h"

namespace d32 {
namespace {

constexpr int32_t MS = 441; // samples per 10 ms

template <std::size_t N> std::vector<int32_t> as_vector(const int32_t (&table)[N]) {
  return std::vector<int32_t>(table, table + N);
}

const DrumSamples &drums() {
  static const std::unique_ptr<DrumSamples> built = [] {
    auto d = std::make_unique<DrumSamples>();
    build_drum_samples(*d);
    return d;
  }();
  return *built;
}

// FNV-1a over the values as little-endian 32-bit words.
uint64_t checksum(const std::vector<int32_t> &values) {
  uint64_t h = 0xcbf29ce484222325u;
  for (int32_t v : values)
    for (int byte = 0; byte < 4; ++byte) {
      h ^= (static_cast<uint32_t>(v) >> (8 * byte)) & 0xFFu;
      h *= 0x100000001b3u;
    }
  return h;
}

int32_t peak(const std::vector<int32_t> &s, int32_t from, int32_t to) {
  int32_t p = 0;
  for (int32_t i = from; i < to; ++i) {
    p = std::max(p, std::abs(s[i]));
  }
  return p;
}

double rms(const std::vector<int32_t> &s, int32_t from, int32_t to) {
  double sum = 0;
  for (int32_t i = from; i < to; ++i) {
    sum += double(s[i]) * s[i];
  }
  return std::sqrt(sum / (to - from));
}

// Zero crossings turned into a frequency: a rough pitch for a tone, a measure
// of brightness for noise.
double crossing_rate(const std::vector<int32_t> &s, int32_t from, int32_t to) {
  int32_t crossings = 0;
  for (int32_t i = from + 1; i < to; ++i) {
    crossings += (s[i] >= 0) != (s[i - 1] >= 0);
  }
  return crossings * 44100.0 / 2 / (to - from);
}

TEST(DrumSamples, TablesAreThePinnedOnes) {
  // The song was tuned by ear with exactly these samples: any change to their
  // arithmetic, however small, changes the show's sound.
  EXPECT_EQ(checksum(as_vector(drums().bass_drum)), 0xdf3654c48769d5bbu);
  EXPECT_EQ(checksum(as_vector(drums().hi_hat)), 0x34c2a7e67b8c1f1au);
  EXPECT_EQ(checksum(as_vector(drums().snare)), 0x1366b75103c63648u);
  for (const auto &s :
       {as_vector(drums().bass_drum), as_vector(drums().hi_hat), as_vector(drums().snare)}) {
    EXPECT_TRUE(
        std::all_of(s.begin(), s.end(), [](int32_t v) { return v >= -32768 && v <= 32767; }));
  }
}

TEST(DrumSamples, GeneratorSineIsCloseToTheRealOne) {
  double worst = 0;
  for (uint32_t k = 0; k < 100000; ++k) {
    const uint32_t phase = k * 42950u; // a whole turn in 100000 steps
    const double exact = std::sin(phase * (2 * 3.14159265358979 / 4294967296.0));
    worst = std::max(worst, std::abs(drum_sine(phase) / double(DRUM_ONE) - exact));
  }
  EXPECT_LT(worst, 0.001);
  EXPECT_EQ(drum_sine(0), 0);
  EXPECT_EQ(drum_sine(0x40000000u), DRUM_ONE);
  EXPECT_EQ(drum_sine(0xC0000000u), -DRUM_ONE);
}

TEST(DrumSamples, BassDrumFallsToFiftyHertzAndDecays) {
  const std::vector<int32_t> a = as_vector(drums().bass_drum);
  ASSERT_EQ(a.size(), 19345u);
  const auto loudest = std::max_element(a.begin(), a.end());
  EXPECT_EQ(*loudest, 32767);
  EXPECT_GE(-*std::min_element(a.begin(), a.end()), 30000);
  const double at_ms = (loudest - a.begin()) / 44.1;
  EXPECT_GT(at_ms, 60);
  EXPECT_LT(at_ms, 100);
  // A click first, then a tone that has fallen to about 50 Hz after 60 ms.
  EXPECT_GT(crossing_rate(a, 0, 1 * MS), 200);
  EXPECT_NEAR(crossing_rate(a, 6 * MS, 30 * MS), 50, 3);
  // About 1/30 of the peak by 0.35 s.
  const int32_t late = peak(a, 34 * MS, 36 * MS);
  EXPECT_GT(late, 32767 / 45);
  EXPECT_LT(late, 32767 / 20);
  EXPECT_EQ(a.back(), 0) << "fades out so that the end does not click";
}

TEST(DrumSamples, HiHatIsBrightAndShort) {
  const std::vector<int32_t> b = as_vector(drums().hi_hat);
  ASSERT_EQ(b.size(), 3530u);
  EXPECT_EQ(b[5], -32768);
  EXPECT_GT(peak(b, 0, 5), 24000) << "full scale from the first values";
  EXPECT_GT(crossing_rate(b, 0, 2 * MS), 10000);
  EXPECT_LT(peak(b, 4 * MS, 3530), 32768 / 100) << "gone within 40 ms";
  EXPECT_GT(rms(b, 0, MS / 2), 3 * rms(b, MS, 3 * MS / 2));
}

TEST(DrumSamples, SnareIsNoiseDecayingToTheEnd) {
  const std::vector<int32_t> c = as_vector(drums().snare);
  ASSERT_EQ(c.size(), 13104u);
  const auto loudest = std::max_element(c.begin(), c.end());
  EXPECT_EQ(*loudest, 32767);
  EXPECT_LT(loudest - c.begin(), 4 * MS);
  EXPECT_GT(crossing_rate(c, 0, 4 * MS), 5000) << "broadband, not a tone";
  // Every 20 ms quieter than the 20 ms before, and still audible at the end.
  for (int32_t from = 0; from + 4 * MS <= 13104; from += 2 * MS) {
    EXPECT_GT(rms(c, from, from + 2 * MS), rms(c, from + 2 * MS, from + 4 * MS)) << from;
  }
  EXPECT_GT(rms(c, 13104 - MS, 13104), 100);
}

} // namespace
} // namespace d32
