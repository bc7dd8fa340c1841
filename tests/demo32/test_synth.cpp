// The pitch rule, the wave tables and the mixing loop with its tick framing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "demo32/synth/synth.h"

namespace d32 {
namespace {

const WaveMemory &tables() {
  static const std::unique_ptr<WaveMemory> memory = [] {
    auto m = std::make_unique<WaveMemory>();
    build_wave_memory(*m);
    return m;
  }();
  return *memory;
}

constexpr int32_t SQUARE = 88200;
constexpr int32_t DRUM_B = 176400;

// The mixing loop exactly as described, one sample at a time with every voice
// inside: the oracle for the voice-major loop of synth_render.
void reference_render(Synth &synth, const WaveMemory &memory, ShowClock &clock, int16_t *out,
                      int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    int32_t sum = 0;
    for (Voice &v : synth.voices) {
      sum += v.volume * memory.wave_memory[v.wave_base + v.phase] / 32768;
      v.phase = (v.phase + v.increment) % 44100;
    }
    out[i] = static_cast<int16_t>(sum);
    if (++synth.tick_fill == TICK_SAMPLES) {
      synth.tick_fill = 0;
      sequencer_tick_end(synth, clock);
    }
  }
}

// Renders `total` samples of the song from its start in callbacks of `chunk`.
std::vector<int16_t> render_in_chunks(int32_t total, int32_t chunk, ShowClock &clock) {
  Synth synth;
  std::vector<int16_t> out(total);
  for (int32_t b = 0; b < total; b += chunk) {
    synth_render(synth, tables(), clock, out.data() + b, std::min(chunk, total - b));
  }
  return out;
}

TEST(NotePitch, TellingValuesOfTheTruncatedRatio) {
  const int32_t expected[][2] = {
      {10, 55},  {11, 58},  {13, 65},  {35, 233},  {37, 261},  {42, 349},  {46, 440},  {47, 466},
      {49, 523}, {56, 783}, {58, 879}, {61, 1046}, {68, 1567}, {70, 1759}, {73, 2092}, {100, 9956}};
  for (const auto &[note, hz] : expected) {
    EXPECT_EQ(note_pitch(note), hz) << "note " << note;
  }
  // Far outside the song: silence below, saturation above, never a wild value.
  EXPECT_EQ(note_pitch(-1000), 0);
  EXPECT_EQ(note_pitch(2000), INT32_MAX);
}

TEST(Wag, SumOfPositionZeroVolumesPrintsAsOnTheConsole) {
  EXPECT_EQ(compute_wag(), 14.989903f);
  char line[64];
  std::snprintf(line, sizeof line, "wag: %f\n", compute_wag());
  EXPECT_STREQ(line, "wag: 14.989903\n");
  EXPECT_EQ(tables().wag, compute_wag());
}

TEST(WaveMemory, GeneratedTablesPeakAt2185) {
  const int32_t *sine = tables().wave_memory;
  const int32_t *saw = sine + 44100;
  const int32_t *square = sine + SQUARE;
  EXPECT_EQ(*std::max_element(sine, sine + 44100), 2185);
  EXPECT_EQ(*std::min_element(sine, sine + 44100), -2185);
  EXPECT_EQ(sine[0], 0);
  EXPECT_EQ(sine[11025], 2185);
  EXPECT_EQ(saw[0], -2185);
  EXPECT_EQ(saw[22050], 0);
  EXPECT_EQ(saw[44099], 2185);
  EXPECT_TRUE(std::is_sorted(saw, saw + 44100));
  EXPECT_EQ(std::count(square, square + 44100, 2185), 22051);
  EXPECT_EQ(std::count(square, square + 44100, -2185), 22049);
  EXPECT_EQ(square[22050], 2185);
  EXPECT_EQ(square[22051], -2185);
}

TEST(WaveMemory, DrumTablesAreScaledSamplesThenSilence) {
  const int32_t *memory = tables().wave_memory;
  const double wag = compute_wag();
  struct Drum {
    const int32_t *sample;
    int32_t length;
    int32_t base;
  };
  auto samples = std::make_unique<DrumSamples>();
  build_drum_samples(*samples);
  const Drum drums[] = {{samples->bass_drum, 19345, 132300},
                        {samples->hi_hat, 3530, DRUM_B},
                        {samples->snare, 13104, 220500}};
  for (const auto &drum : drums) {
    const int32_t *table = memory + drum.base;
    for (int32_t i = 0; i < drum.length; ++i) {
      ASSERT_EQ(table[i], static_cast<int32_t>(drum.sample[i] / wag)) << drum.base << " " << i;
    }
    EXPECT_TRUE(std::all_of(table + drum.length, table + 44100, [](int32_t e) { return e == 0; }));
  }
  // Only the hi-hat's -32768 reaches past the generated tables' range.
  EXPECT_EQ(*std::max_element(memory, memory + 6 * 44100), 2185);
  EXPECT_EQ(*std::min_element(memory, memory + 6 * 44100), -2186);
  EXPECT_EQ(std::count(memory, memory + 6 * 44100, -2186), 1);
  EXPECT_EQ(memory[DRUM_B + 5], -2186);
}

TEST(SynthRender, FirstCallbackIsSilentForOneTickThenPlays) {
  Synth synth;
  ShowClock clock;
  std::vector<int16_t> out(4096, 12345);
  std::vector<int16_t> stems(12 * 4096);
  synth_render(synth, tables(), clock, out.data(), 4096, stems.data());

  EXPECT_TRUE(std::all_of(out.begin(), out.begin() + 800, [](int16_t s) { return s == 0; }));
  EXPECT_EQ(synth.tick_fill, 96);
  EXPECT_EQ(get(clock.song_tick), 5);
  EXPECT_EQ(get(clock.song_row), 1);

  // The first row is read after sample 799: the square of voice 0 (523 Hz at
  // volume 32373) and the hi-hat on voice 11 (volume 32656) start at 800.
  EXPECT_EQ(stems[0 * 4096 + 800], 2158);
  const int32_t hat = 32656 * tables().wave_memory[DRUM_B] / 32768;
  EXPECT_EQ(stems[11 * 4096 + 800], hat);
  EXPECT_EQ(out[800], 2158 + hat);
  for (int32_t v = 1; v < 11; ++v) {
    EXPECT_EQ(stems[v * 4096 + 800], 0) << "voice " << v;
  }
  // 523 Hz square: high for the first half of each cycle, about 42 samples.
  EXPECT_EQ(stems[0 * 4096 + 842], 2158);
  EXPECT_EQ(stems[0 * 4096 + 843], -2158); // truncated toward zero
}

TEST(SynthRender, CallbackLengthDoesNotChangeTheStream) {
  constexpr int32_t TEN_SECONDS = 441000;
  ShowClock reference_clock;
  const std::vector<int16_t> reference = render_in_chunks(TEN_SECONDS, 4096, reference_clock);
  for (int32_t chunk : {1, 800, 801, 1000, 4095}) {
    ShowClock clock;
    EXPECT_EQ(render_in_chunks(TEN_SECONDS, chunk, clock), reference) << "chunk " << chunk;
    EXPECT_EQ(get(clock.song_row), get(reference_clock.song_row));
    EXPECT_EQ(get(clock.song_tick), get(reference_clock.song_tick));
  }
  EXPECT_EQ(get(reference_clock.song_position), 1); // 10 s is past position 0
}

TEST(SynthRender, MatchesThePlainPerSampleLoop) {
  // From positions with every voice kind: square echoes and arpeggios (2),
  // drums and sine bass (6), slides and saw echoes (8, 12), short notes (22).
  for (int32_t position : {0, 2, 6, 8, 12, 22}) {
    Synth fast;
    Synth plain;
    ShowClock fast_clock;
    ShowClock plain_clock;
    put(fast_clock.song_position, position);
    put(plain_clock.song_position, position);
    std::vector<int16_t> a(4096);
    std::vector<int16_t> b(4096);
    for (int32_t call = 0; call < 100; ++call) { // about 9 s
      synth_render(fast, tables(), fast_clock, a.data(), 4096);
      reference_render(plain, tables(), plain_clock, b.data(), 4096);
      ASSERT_EQ(a, b) << "position " << position << " call " << call;
    }
    for (int32_t v = 0; v < VOICES; ++v) {
      EXPECT_EQ(fast.voices[v].phase, plain.voices[v].phase);
    }
  }
}

TEST(SynthRender, SilentVoiceAdvancesItsPhase) {
  Synth synth;
  ShowClock clock;
  synth.voices[3] = {.phase = 100, .increment = 523, .wave_base = SQUARE, .volume = 0};
  synth.voices[5] = {.phase = 44000, .increment = 1, .wave_base = DRUM_B, .volume = 0};
  std::vector<int16_t> out(700, 1);
  synth_render(synth, tables(), clock, out.data(), 700); // within the first tick
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
  EXPECT_EQ(synth.voices[3].phase, (100 + 700 * 523) % 44100);
  EXPECT_EQ(synth.voices[5].phase, (44000 + 700) % 44100);
  EXPECT_EQ(synth.tick_fill, 700);
  EXPECT_EQ(get(clock.song_tick), 0); // no tick end yet
}

TEST(SynthRender, SampleVoicePlaysOnceThenWrapsAround) {
  Synth synth;
  ShowClock clock;
  synth.voices[0] = {.phase = 0, .increment = 1, .wave_base = DRUM_B, .volume = 32768};
  std::vector<int16_t> out(700);
  synth_render(synth, tables(), clock, out.data(), 700);
  for (int32_t i = 0; i < 700; ++i) {
    ASSERT_EQ(out[i], tables().wave_memory[DRUM_B + i]) << i; // unity gain
  }
  synth.voices[0].phase = 44000;
  synth.tick_fill = 0;
  synth_render(synth, tables(), clock, out.data(), 200);
  EXPECT_EQ(out[99], 0);
  EXPECT_EQ(out[100], tables().wave_memory[DRUM_B]); // the sample again
  EXPECT_EQ(synth.voices[0].phase, 100);
}

TEST(SynthRender, MixWrapsAroundInSixteenBits) {
  Synth synth;
  ShowClock clock;
  // Two square voices far louder than the song ever plays: 2 x 30000.
  const int32_t volume = 30000 * 32768 / 2185 + 1;
  synth.voices[0] = {.phase = 0, .increment = 0, .wave_base = SQUARE, .volume = volume};
  synth.voices[1] = {.phase = 30000, .increment = 0, .wave_base = SQUARE, .volume = volume};
  int16_t out[2];
  synth_render(synth, tables(), clock, out, 2);
  const int32_t each = volume * 2185 / 32768;
  ASSERT_EQ(each, 30000);
  EXPECT_EQ(out[0], static_cast<int16_t>(30000 - 30000));
  synth.voices[1].phase = 0;
  synth_render(synth, tables(), clock, out, 2);
  EXPECT_EQ(out[0], 60000 - 65536);
  // The quotient truncates toward zero: -2185 * volume / 32768 rounds up.
  synth.voices[1].volume = 0;
  synth.voices[0].phase = 30000;
  synth.voices[0].volume = 32373;
  synth_render(synth, tables(), clock, out, 1);
  EXPECT_EQ(out[0], -2158);
}

TEST(SynthRender, StemsSumToTheMix) {
  Synth synth;
  ShowClock clock;
  put(clock.song_position, 20); // all twelve channels busy
  constexpr int32_t N = 5000;
  std::vector<int16_t> out(N);
  std::vector<int16_t> stems(VOICES * N);
  std::vector<int16_t> again(N);
  Synth twin = synth;
  ShowClock twin_clock;
  put(twin_clock.song_position, 20);
  for (int32_t call = 0; call < 40; ++call) {
    synth_render(synth, tables(), clock, out.data(), N, stems.data());
    synth_render(twin, tables(), twin_clock, again.data(), N);
    ASSERT_EQ(out, again) << "stems must not change the mix";
    int32_t busy = 0;
    for (int32_t v = 0; v < VOICES; ++v) {
      busy += std::any_of(stems.begin() + v * N, stems.begin() + (v + 1) * N,
                          [](int16_t s) { return s != 0; });
    }
    EXPECT_GE(busy, 5);
    for (int32_t i = 0; i < N; ++i) {
      uint16_t sum = 0;
      for (int32_t v = 0; v < VOICES; ++v) {
        sum = static_cast<uint16_t>(sum + static_cast<uint16_t>(stems[v * N + i]));
      }
      ASSERT_EQ(static_cast<int16_t>(sum), out[i]) << "call " << call << " sample " << i;
    }
  }
}

} // namespace
} // namespace d32
