// demo32's three drum samples (bass drum, closed hi-hat, snare), computed at
// start-up. Integer arithmetic only and fixed-seed noise, so every machine and
// compiler builds exactly the same tables.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "demo32/synth/synth.h"

namespace d32 {

namespace {

constexpr int32_t RATE = 44100;

// Fixed point with 30 fraction bits for gains and envelopes.
constexpr int64_t ONE = DRUM_ONE;

int64_t mul(int64_t a, int64_t b) {
  return (a * b) >> 30;
}

// Per-sample factor of an exponential decay with the time constant given in
// samples; 1 - 1/n is e^(-1/n) closely enough for these lengths.
constexpr int64_t decay_factor(int32_t tau_samples) {
  return ONE - ONE / tau_samples;
}

constexpr int32_t ms(int32_t milliseconds) {
  return milliseconds * RATE / 1000;
}

// Phase step of a 32-bit phase accumulator for a frequency in Hz.
constexpr int64_t hz_step(int64_t hz) {
  return (hz << 32) / RATE;
}

// Numerical Recipes' LCG; its top 16 bits as white noise in -32768..32767.
struct Noise {
  uint32_t state;
  int64_t next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<int64_t>(state >> 16) - 32768;
  }
};

int64_t magnitude(int64_t v) {
  return v < 0 ? -v : v;
}

// Scales so that the loudest value becomes exactly `peak`, turning the
// sample upside down if that value has the other sign (a drum sounds the same
// either way). Quotients truncate toward zero.
template <std::size_t N>
void normalise(const std::vector<int64_t> &raw, int64_t peak, int32_t (&out)[N]) {
  std::size_t loudest = 0;
  for (std::size_t i = 1; i < N; ++i) {
    if (magnitude(raw[i]) > magnitude(raw[loudest])) {
      loudest = i;
    }
  }
  const int64_t m = raw[loudest];
  for (std::size_t i = 0; i < N; ++i) {
    int64_t v = raw[i] * peak / m;
    v = v > 32767 ? 32767 : v; // only the opposite extreme of a -32768 peak
    out[i] = static_cast<int32_t>(v);
  }
}

// A sine whose pitch falls from a click at about 1 kHz to 50 Hz within 60 ms.
// Its level swells from half to full at 80 ms, then decays with a time
// constant of 79 ms (1/30 at 0.35 s), and the last 10 ms fade to nothing so
// that the jump to the silence after the sample does not click.
void bass_drum(std::vector<int64_t> &raw, int32_t (&out)[BASS_DRUM_LENGTH]) {
  const int32_t swell = ms(80);
  const int32_t fade = ms(10);
  int64_t fast_sweep = ONE; // 700 Hz of click falling away within a few ms
  int64_t slow_sweep = ONE; // 250 Hz falling over about 60 ms
  int64_t decay = ONE;
  uint32_t phase = 0;
  for (int32_t i = 0; i < BASS_DRUM_LENGTH; ++i) {
    int64_t level = i < swell ? ONE / 2 + ONE / 2 * i / swell : decay;
    if (i >= swell) {
      decay = mul(decay, decay_factor(ms(79)));
    }
    const int32_t left = BASS_DRUM_LENGTH - i;
    if (left < fade) {
      level = level * left / fade;
    }
    raw[i] = mul(level, drum_sine(phase));
    const int64_t step =
        hz_step(50) + mul(hz_step(700), fast_sweep) + mul(hz_step(250), slow_sweep);
    phase += static_cast<uint32_t>(step);
    fast_sweep = mul(fast_sweep, decay_factor(110)); // 2.5 ms
    slow_sweep = mul(slow_sweep, decay_factor(ms(15)));
  }
  normalise(raw, 32767, out);
}

// Seed picked so that the loudest value is the sixth, and negative; the
// scaling then puts exactly -32768 there.
constexpr uint32_t HI_HAT_SEED = 101;

// White noise through a second difference (a high-pass rising 12 dB per
// octave, most energy above 7 kHz), at full level from the first value and
// decaying with a 7 ms time constant: 50 dB down by 40 ms.
void hi_hat(std::vector<int64_t> &raw, int32_t (&out)[HI_HAT_LENGTH]) {
  Noise noise{HI_HAT_SEED};
  int64_t previous = noise.next();
  int64_t before = noise.next();
  int64_t level = ONE;
  for (int32_t i = 0; i < HI_HAT_LENGTH; ++i) {
    const int64_t x = noise.next();
    raw[i] = mul(level, x - 2 * previous + before);
    before = previous;
    previous = x;
    level = mul(level, decay_factor(ms(7)));
  }
  normalise(raw, -32768, out);
}

// Broadband noise with a 185 Hz body that dies within the first 40 ms; a
// 1 ms onset, then the noise decays steadily (75 ms time constant) to the end.
void snare(std::vector<int64_t> &raw, int32_t (&out)[SNARE_LENGTH]) {
  constexpr uint32_t SEED = 20051;
  Noise noise{SEED};
  const int32_t onset = ms(1);
  int64_t noise_level = ONE;
  int64_t body_level = ONE;
  uint32_t phase = 0;
  for (int32_t i = 0; i < SNARE_LENGTH; ++i) {
    const int64_t attack = i < onset ? ONE * (i + 1) / onset : ONE;
    const int64_t body = mul(body_level, drum_sine(phase)) / 2;
    const int64_t hiss = mul(noise_level, noise.next() * 32768) * 3 / 4;
    raw[i] = mul(attack, body + hiss);
    phase += static_cast<uint32_t>(hz_step(185));
    noise_level = mul(noise_level, decay_factor(ms(75)));
    body_level = mul(body_level, decay_factor(ms(12)));
  }
  normalise(raw, 32767, out);
}

} // namespace

// sin of a 32-bit phase (a whole turn is 2^32), in fixed point 2^30 = 1.0.
// An odd polynomial on the folded quarter wave, exact at 0 and at the peaks,
// about 0.06% off in between: plenty for drums and free of libm.
int64_t drum_sine(uint32_t phase) {
  constexpr int64_t HALF = int64_t{1} << 31;
  constexpr int64_t C1 = 1686629713; // pi/2
  constexpr int64_t C5 = 76016977;   // pi/2 - 3/2: flat top at the peak
  constexpr int64_t C3 = DRUM_ONE - C1 - C5;
  int64_t x = phase < HALF ? int64_t{phase} : int64_t{phase} - 2 * HALF; // -pi..pi
  if (x > DRUM_ONE) {
    x = HALF - x;
  } else if (x < -DRUM_ONE) {
    x = -HALF - x;
  }
  const int64_t x2 = mul(x, x);
  return mul(x, C1 + mul(x2, C3 + mul(x2, C5)));
}

void build_drum_samples(DrumSamples &drums) {
  // Start-up scratch for the unscaled values; the longest sample sizes it.
  std::vector<int64_t> raw(BASS_DRUM_LENGTH);
  bass_drum(raw, drums.bass_drum);
  hi_hat(raw, drums.hi_hat);
  snare(raw, drums.snare);
}

} // namespace d32
