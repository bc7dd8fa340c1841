// The pitch rule and the six wave tables every voice reads from.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "demo32/synth/synth.h"

namespace d32 {

namespace {
constexpr double PI = 3.14159265358979;
// Just under full scale; the division by wag then leaves room for all twelve
// voices of the song at full note volume in the 16-bit mix.
constexpr double FULL_SCALE = 32765;
} // namespace

int32_t note_pitch(int32_t n) {
  // 1.059463 rather than the twelfth root of two, truncated to whole Hz:
  // octaves of 440 come out 1 Hz low, and the song is tuned that way.
  const double hz = 440.0 * std::pow(1.059463, static_cast<double>(n) - 46.0);
  // Far above the song's range the pitch would not fit; saturate instead of
  // an undefined conversion.
  if (!(hz < 2147483648.0)) {
    return INT32_MAX;
  }
  return static_cast<int32_t>(hz);
}

float compute_wag() {
  // The running sum is kept in single precision, rounded after each channel;
  // the printed value depends on it.
  float wag = 0;
  for (const ArrangementEntry &channel : arrangement[0]) {
    wag = static_cast<float>(wag + channel.channel_volume / 256.0 * 65000 / 65535);
  }
  return wag;
}

namespace {
template <std::size_t N> void copy_sample(int32_t *table, const int32_t (&sample)[N], double wag) {
  for (std::size_t i = 0; i < N; ++i) {
    table[i] = static_cast<int32_t>(sample[i] / wag);
  }
}
} // namespace

void build_wave_memory(WaveMemory &memory) {
  memory.wag = compute_wag();
  const double wag = memory.wag;
  int32_t *const sine = memory.wave_memory;
  int32_t *const saw = sine + TABLE_LENGTH;
  int32_t *const square = saw + TABLE_LENGTH;
  int32_t *const drum_a = square + TABLE_LENGTH;
  int32_t *const drum_b = drum_a + TABLE_LENGTH;
  int32_t *const drum_c = drum_b + TABLE_LENGTH;
  for (int32_t i = 0; i < TABLE_LENGTH; ++i) {
    sine[i] = static_cast<int32_t>(std::sin(i * 2 * PI / 44100) / wag * FULL_SCALE);
    saw[i] = static_cast<int32_t>((i / 22050.0 - 1) / wag * FULL_SCALE);
    // The midpoint entry belongs to the upper half: 22051 high, 22049 low.
    square[i] = static_cast<int32_t>((i <= 22050 ? FULL_SCALE : -FULL_SCALE) / wag);
    drum_a[i] = 0;
    drum_b[i] = 0;
    drum_c[i] = 0;
  }
  const auto drums = std::make_unique<DrumSamples>();
  build_drum_samples(*drums);
  copy_sample(drum_a, drums->bass_drum, wag);
  copy_sample(drum_b, drums->hi_hat, wag);
  copy_sample(drum_c, drums->snare, wag);
}

} // namespace d32
