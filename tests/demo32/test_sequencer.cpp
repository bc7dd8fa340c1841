// The row and tick steps of the sequencer, the song counters it advances,
// and the whole song rendered.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "demo32/synth/synth.h"

namespace d32 {
namespace {

constexpr int32_t SAW = 44100;
constexpr int32_t SQUARE = 88200;
constexpr int32_t DRUM_A = 132300;
constexpr int32_t DRUM_B = 176400;
constexpr int32_t DRUM_C = 220500;

// Runs tick ends until the clock shows `ticks` more ticks.
void run_ticks(Synth &synth, ShowClock &clock, int32_t ticks) {
  for (int32_t i = 0; i < ticks; ++i) {
    sequencer_tick_end(synth, clock);
  }
}

TEST(Sequencer, FirstRowOfTheSong) {
  Synth synth;
  ShowClock clock;
  sequencer_tick_end(synth, clock);

  const Voice &lead = synth.voices[0];
  EXPECT_EQ(lead.wave_base, SQUARE);
  EXPECT_EQ(lead.increment, 523);
  EXPECT_EQ(lead.volume, 32373); // 32500 * 255 / 256
  EXPECT_EQ(lead.phase, 0);

  const Voice &hat = synth.voices[11];
  EXPECT_EQ(hat.wave_base, DRUM_B); // row 0: bit 1 clear
  EXPECT_EQ(hat.increment, 1);
  EXPECT_EQ(hat.phase, 0);
  EXPECT_EQ(hat.volume, 32656); // 44000 / 2 * 380 / 256
  EXPECT_EQ(hat.effect, FX_TRIGGER);

  for (int32_t v = 1; v <= 10; ++v) {
    EXPECT_EQ(synth.voices[v].volume, 0) << v;
    EXPECT_EQ(synth.voices[v].effect, FX_NONE) << v;
  }
  EXPECT_EQ(get(clock.song_row), 1);
  EXPECT_EQ(get(clock.song_tick), 1);
  EXPECT_EQ(get(clock.song_position), 0);
}

TEST(Sequencer, EchoChannelsEnterLateAtTheStart) {
  Synth synth;
  ShowClock clock;
  const int32_t first_row[4] = {0, 3, 6, 9};
  const int32_t volume[4] = {32373, 8125, 4062, 2031};
  for (int32_t row = 0; row < 12; ++row) {
    run_ticks(synth, clock, 6);
    for (int32_t ch = 1; ch <= 3; ++ch) {
      const Voice &v = synth.voices[ch];
      if (row < first_row[ch]) {
        EXPECT_EQ(v.volume, 0) << "row " << row << " channel " << ch;
        EXPECT_EQ(v.increment, 0) << "no note was ever read";
      } else if (row == first_row[ch]) {
        EXPECT_EQ(v.volume, volume[ch]) << "channel " << ch;
        EXPECT_EQ(v.increment, 523) << "channel " << ch;
      }
    }
  }
}

TEST(Sequencer, DelayedChannelsFinishThePreviousPositionsPattern) {
  Synth synth;
  ShowClock clock;
  put(clock.song_position, 12); // channels 1-3 have no pattern here
  const int32_t delay[4] = {0, 3, 6, 9};
  const int32_t volume[4] = {0, 8125, 4062, 2031};
  int32_t notes = 0;
  for (int32_t r = 0; r <= 9; ++r) {
    put(clock.song_row, r);
    for (int32_t ch = 1; ch <= 3; ++ch) {
      Voice &v = synth.voices[ch];
      v = {.phase = 777,
           .increment = 888,
           .wave_base = 0,
           .volume = 999,
           .effect = 3,
           .param = 5,
           .base = 6};
      sequencer_row(synth, clock, ch);
      const int32_t rel = r - delay[ch];
      if (rel >= 0) { // its own entry: silent, nothing else touched
        EXPECT_EQ(v.volume, 0) << "row " << r << " channel " << ch;
        EXPECT_EQ(v.effect, 0);
        EXPECT_EQ(v.increment, 888);
        EXPECT_EQ(v.phase, 777);
        EXPECT_EQ(v.param, 5);
        EXPECT_EQ(v.base, 6);
        continue;
      }
      // The end of position 11's pattern for the channel.
      const PatternRow &entry = patterns[arrangement[11][ch].pattern][rel + 64];
      if (entry.note != -100) {
        ++notes;
        EXPECT_EQ(v.increment, note_pitch(entry.note)) << "row " << r << " channel " << ch;
        EXPECT_EQ(v.wave_base, SQUARE);
        EXPECT_EQ(v.volume, volume[ch]);
      } else {
        EXPECT_EQ(v.increment, 888) << "no note, no new pitch";
        EXPECT_EQ(v.wave_base, 0);
        EXPECT_EQ(v.volume, 0);
      }
      EXPECT_EQ(v.effect, 0);
      EXPECT_EQ(v.param, 0);
    }
  }
  EXPECT_GT(notes, 0); // not only silent rows were checked
}

TEST(Sequencer, SlideStopsExactlyOnItsTarget) {
  Synth synth;
  ShowClock clock;
  put(clock.song_position, 8); // channel 6 starts pattern 3
  run_ticks(synth, clock, 6 * 6);
  const Voice &saw = synth.voices[6];
  EXPECT_EQ(saw.increment, 523); // row 0's note, held through rows 1-5
  EXPECT_EQ(saw.wave_base, SAW);

  // Row 6: towards note 56 (783 Hz) by 52 Hz a tick; rows 7-11 stay there.
  const int32_t row6[6] = {523, 575, 627, 679, 731, 783};
  for (int32_t t = 0; t < 6; ++t) {
    run_ticks(synth, clock, 1);
    EXPECT_EQ(saw.increment, row6[t]) << "tick " << t;
    EXPECT_EQ(saw.base, 783);
  }
  run_ticks(synth, clock, 5 * 6);
  EXPECT_EQ(saw.increment, 783);

  // Row 12: 255 Hz a tick would pass 1046; it stops there.
  const int32_t row12[6] = {783, 1038, 1046, 1046, 1046, 1046};
  for (int32_t t = 0; t < 6; ++t) {
    run_ticks(synth, clock, 1);
    EXPECT_EQ(saw.increment, row12[t]) << "tick " << t;
  }
  // Row 16 slides down by 26 Hz a tick and stops on note 59.
  run_ticks(synth, clock, 3 * 6);
  const int32_t target = note_pitch(59);
  int32_t expected = 1046;
  for (int32_t t = 0; t < 6; ++t) {
    run_ticks(synth, clock, 1);
    if (t > 0) {
      expected = std::max(expected - 26, target);
    }
    EXPECT_EQ(saw.increment, expected) << "tick " << t;
  }
  EXPECT_EQ(expected, target);
}

TEST(Sequencer, SlideStepIsBoundedByTheDistance) {
  Synth synth;
  for (const auto &[from, to, param] : {std::array{500, 510, 4}, std::array{510, 500, 4},
                                        std::array{500, 503, 255}, std::array{9956, 55, 240}}) {
    Voice &v = synth.voices[0];
    v = {.increment = from, .effect = FX_SLIDE, .param = param, .base = to};
    int32_t previous = from;
    for (int32_t t = 1; t <= 5; ++t) {
      sequencer_effects(synth, t);
      const int32_t moved = std::abs(v.increment - previous);
      EXPECT_EQ(moved, std::min(param, std::abs(to - previous)));
      EXPECT_LE(std::abs(to - v.increment), std::abs(to - previous)) << "never overshoots";
      EXPECT_TRUE((from <= to) ? v.increment <= to : v.increment >= to);
      previous = v.increment;
    }
  }
}

TEST(Sequencer, ArpeggioCyclesAndRowsWithoutNoteKeepIt) {
  Synth synth;
  ShowClock clock;
  put(clock.song_position, 2); // channel 4 starts pattern 1: note 61, 0x7C
  const Voice &chord = synth.voices[4];
  const int32_t base = note_pitch(61);
  const int32_t up7 = note_pitch(61 + 7);
  const int32_t up12 = note_pitch(61 + 12);
  ASSERT_EQ(base, 1046);
  ASSERT_EQ(up12, 2092);
  const int32_t cycle[6] = {base, up7, up12, base, up7, up12};
  for (int32_t t = 0; t < 6; ++t) {
    run_ticks(synth, clock, 1);
    EXPECT_EQ(chord.increment, cycle[t]) << "tick " << t;
  }
  EXPECT_EQ(chord.volume, 32373);
  EXPECT_EQ(chord.base, 15);

  // Row 1 has no note: its row step leaves the pitch at base + 12.
  run_ticks(synth, clock, 1);
  EXPECT_EQ(chord.increment, up12);
  EXPECT_EQ(chord.volume, 32373);
  EXPECT_EQ(chord.effect, FX_ARPEGGIO);
  run_ticks(synth, clock, 5);
  // Row 2: quieter, the arpeggio goes on.
  run_ticks(synth, clock, 1);
  EXPECT_EQ(chord.volume, 4034); // 8100 / 2 * 255 / 256
  EXPECT_EQ(chord.increment, up12);
  run_ticks(synth, clock, 1);
  EXPECT_EQ(chord.increment, up7);
}

TEST(Sequencer, SlowArpeggioMovesOnTicksTwoAndFour) {
  Synth synth;
  synth.voices[2] = {.increment = 440, .effect = FX_ARPEGGIO_SLOW, .param = 0x35, .base = 0};
  const int32_t expected[6] = {440,           440, note_pitch(49), note_pitch(49), note_pitch(51),
                               note_pitch(51)};
  for (int32_t t = 1; t <= 5; ++t) {
    sequencer_effects(synth, t);
    EXPECT_EQ(synth.voices[2].increment, expected[t]) << "tick " << t;
  }
}

TEST(Sequencer, HiHatAndSnareAlternateOnChannel11) {
  Synth synth;
  ShowClock clock;
  for (int32_t row = 0; row < 16; ++row) {
    synth.voices[11].phase = 1234;
    run_ticks(synth, clock, 1); // the row step
    const Voice &v = synth.voices[11];
    if (row % 2 == 0) {
      EXPECT_EQ(v.wave_base, row % 4 == 0 ? DRUM_B : DRUM_C) << "row " << row;
      EXPECT_EQ(v.phase, 0) << "retriggered";
      EXPECT_EQ(v.increment, 1);
    } else {
      EXPECT_EQ(v.phase, 1234) << "no note, no restart";
    }
    EXPECT_EQ(v.volume, row % 4 < 2 ? 32656 : 48242) << "row " << row;
    run_ticks(synth, clock, 5);
  }
  // Channel 10 is the bass drum, much louder through its channel volume.
  put(clock.song_position, 4);
  put(clock.song_row, 2);
  put(clock.song_tick, 0);
  sequencer_row(synth, clock, 10);
  put(clock.song_row, 4);
  sequencer_row(synth, clock, 10);
  EXPECT_EQ(synth.voices[10].wave_base, DRUM_A);
  EXPECT_EQ(synth.voices[10].volume, 190429); // 32500 * 1500 / 256
}

TEST(Sequencer, CountersAdvanceByTickRowAndPosition) {
  Synth synth;
  ShowClock clock;
  put(clock.song_position, 27);
  put(clock.song_row, 63);
  run_ticks(synth, clock, 1);
  EXPECT_EQ(get(clock.song_row), 0);
  EXPECT_EQ(get(clock.song_position), 28);
  EXPECT_EQ(get(clock.song_tick), 1);
  run_ticks(synth, clock, 5);
  EXPECT_EQ(get(clock.song_tick), 0);
  EXPECT_EQ(get(clock.song_row), 0) << "only tick 0 moves the row";

  put(clock.song_row, 63);
  run_ticks(synth, clock, 1);
  EXPECT_EQ(get(clock.song_row), 0);
  EXPECT_EQ(get(clock.song_position), 0) << "after the last position, the first";
  EXPECT_EQ(get(clock.song_end), 0);
}

TEST(Sequencer, EndMarkIsReadOnRow32OfTheLastPosition) {
  Synth synth;
  ShowClock clock;
  put(clock.song_position, 28);
  put(clock.song_row, 31);
  sequencer_row(synth, clock, 0);
  EXPECT_EQ(get(clock.song_end), 0);
  put(clock.song_row, 32);
  sequencer_row(synth, clock, 0);
  EXPECT_EQ(get(clock.song_end), 1);
  EXPECT_EQ(synth.voices[0].effect, FX_END);
  sequencer_effects(synth, 1); // and on ticks it does nothing
  EXPECT_EQ(synth.voices[0].volume, 0);
}

// FNV-1a, 64 bits, continued from h.
uint64_t fingerprint(const int16_t *samples, size_t count, uint64_t h) {
  const auto *bytes = reinterpret_cast<const uint8_t *>(samples);
  for (size_t i = 0; i < count * sizeof *samples; ++i) {
    h ^= bytes[i];
    h *= 0x100000001b3u;
  }
  return h;
}

// The whole song rendered, pinned: one fingerprint of the mix and one of each
// voice's share (which says what voice went wrong). Every note, volume,
// effect and channel plan of the song's tables shows in them. Taken from the
// synthesizer whose mix outside checks found exact.
TEST(Song, RendersAsPinnedAndEndsAtSample8756000WithoutEverWrapping) {
  constexpr uint64_t MIX = 0x79464f6fa57481aeu;
  constexpr uint64_t VOICE[VOICES] = {
      0x9c66000d519ca5e4u, 0x735a756b1b4d907eu, 0x8c714b76c6fc0684u, 0x078f529a3567384eu,
      0x28de9c850ebcea24u, 0x63567864915a1b5bu, 0x2a0f8a1fda68ce53u, 0x99b88f9e459980ccu,
      0x2ceedc10927f6e78u, 0x90bcfe4413beb6d4u, 0xf058dd71fe737ca5u, 0xea99c0b889ec48e5u};
  auto memory = std::make_unique<WaveMemory>();
  build_wave_memory(*memory);
  auto synth = std::make_unique<Synth>();
  ShowClock clock;
  std::vector<int16_t> out(TICK_SAMPLES);
  std::vector<int16_t> stems(VOICES * TICK_SAMPLES);
  uint64_t mix = 0xcbf29ce484222325u;
  std::vector<uint64_t> voice(VOICES, 0xcbf29ce484222325u);
  int64_t rendered = 0;
  int32_t loudest = 0;
  while (get(clock.song_end) == 0 && rendered < 9'000'000) {
    synth_render(*synth, *memory, clock, out.data(), TICK_SAMPLES, stems.data());
    rendered += TICK_SAMPLES;
    mix = fingerprint(out.data(), TICK_SAMPLES, mix);
    for (int32_t v = 0; v < VOICES; ++v)
      voice[v] = fingerprint(&stems[v * TICK_SAMPLES], TICK_SAMPLES, voice[v]);
    for (int32_t i = 0; i < TICK_SAMPLES; ++i) {
      int32_t sum = 0;
      for (int32_t v = 0; v < VOICES; ++v) {
        sum += stems[v * TICK_SAMPLES + i];
      }
      loudest = std::max(loudest, std::abs(sum));
    }
  }
  EXPECT_EQ(rendered, 8'756'000);
  EXPECT_EQ(get(clock.song_position), 28);
  EXPECT_EQ(get(clock.song_row), 33);
  EXPECT_EQ(get(clock.song_tick), 1);
  // Without a clipping stage the song must fit 16 bits on its own.
  EXPECT_LE(loudest, 32746);
  EXPECT_GT(loudest, 16000);
  EXPECT_EQ(mix, MIX);
  for (int32_t v = 0; v < VOICES; ++v)
    EXPECT_EQ(voice[v], VOICE[v]) << "voice " << v;
}

} // namespace
} // namespace d32
