// The song tables, the row and tick steps of the sequencer and the song
// counters it advances.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "demo32/synth/synth.h"

namespace d32 {
namespace {

constexpr int32_t SINE = 0;
constexpr int32_t SAW = 44100;
constexpr int32_t SQUARE = 88200;
constexpr int32_t DRUM_A = 132300;
constexpr int32_t DRUM_B = 176400;
constexpr int32_t DRUM_C = 220500;

// Pattern 0's notes on its even rows, as the song lists them.
constexpr int32_t LEAD[32] = {49, 56, 61, 49, 56, 61, 49, 56, 49, 56, 59, 49, 56, 59, 49, 56,
                              47, 54, 59, 47, 54, 59, 47, 54, 46, 54, 58, 46, 54, 58, 47, 54};

// Runs tick ends until the clock shows `ticks` more ticks.
void run_ticks(Synth &synth, ShowClock &clock, int32_t ticks) {
  for (int32_t i = 0; i < ticks; ++i) {
    sequencer_tick_end(synth, clock);
  }
}

bool in(int32_t x, int32_t lo, int32_t hi) {
  return x >= lo && x <= hi;
}

TEST(SongTables, ArrangementFollowsTheChannelPlan) {
  const int32_t tables[12] = {SQUARE, SQUARE, SQUARE, SQUARE, SQUARE, SINE,
                              SAW,    SAW,    SAW,    SAW,    DRUM_A, DRUM_B};
  const int32_t delays[12] = {0, 3, 6, 9, 0, 0, 0, 3, 6, 9, 0, 0};
  const int32_t volumes[12] = {255, 64, 32, 16, 255, 1000, 255, 64, 32, 16, 1500, 380};
  for (int32_t p = 0; p < 29; ++p) {
    int32_t lead = -1;
    if (in(p, 0, 11) || in(p, 16, 19) || in(p, 24, 27)) {
      lead = 0;
    } else if (p == 28) {
      lead = 8;
    }
    int32_t saw = -1;
    if (in(p, 8, 15)) {
      saw = 3;
    } else if (in(p, 20, 21)) {
      saw = 4;
    } else if (in(p, 22, 23)) {
      saw = 5;
    }
    const int32_t expected[12] = {lead,
                                  lead,
                                  lead,
                                  lead,
                                  in(p, 2, 13) || in(p, 20, 23) ? 1 : -1,
                                  in(p, 6, 15) ? 2 : -1,
                                  saw,
                                  saw,
                                  saw,
                                  saw,
                                  in(p, 4, 11) || in(p, 16, 17) || in(p, 20, 23) ? 6 : -1,
                                  p <= 25 ? 7 : -1};
    for (int32_t ch = 0; ch < 12; ++ch) {
      const ArrangementEntry &e = arrangement[p][ch];
      EXPECT_EQ(e.pattern, expected[ch]) << "position " << p << " channel " << ch;
      EXPECT_EQ(e.wave_base, tables[ch]);
      EXPECT_EQ(e.delay, delays[ch]);
      EXPECT_EQ(e.channel_volume, volumes[ch]);
    }
  }
}

TEST(SongTables, PatternsHoldTheListedRows) {
  for (int32_t r = 0; r < 64; ++r) {
    const PatternRow &lead = patterns[0][r];
    EXPECT_EQ(lead.note, r % 2 == 0 ? LEAD[r / 2] : -100) << r;
    EXPECT_EQ(lead.volume, r % 2 == 0 ? 65000 : 0) << r;

    const PatternRow &chord = patterns[1][r];
    EXPECT_EQ(chord.effect, FX_ARPEGGIO);
    const int32_t param = in(r, 16, 31) ? 0x7A : in(r, 48, 61) ? 0x8C : 0x7C;
    EXPECT_EQ(chord.param, param) << r;

    const PatternRow &hat = patterns[7][r];
    EXPECT_EQ(hat.effect, FX_TRIGGER);
    EXPECT_EQ(hat.note, r % 2 == 0 ? 100 : -100);
    EXPECT_EQ(hat.volume, r % 4 < 2 ? 44000 : 65000);
    EXPECT_EQ(hat.param, r % 8 == 5 ? 1 : 0);

    const PatternRow &kick = patterns[6][r];
    EXPECT_EQ(kick.note, r % 4 == 0 ? 100 : -100);
    EXPECT_EQ(kick.effect, FX_TRIGGER);
  }
  // Pattern 1: the note rows and the one after each are loud, the rest quiet.
  const int32_t chord_notes[][2] = {{0, 61},  {4, 61},  {8, 61},  {11, 61}, {14, 61},
                                    {16, 61}, {20, 61}, {24, 61}, {27, 61}, {30, 61},
                                    {32, 59}, {36, 59}, {40, 59}, {43, 59}, {46, 59},
                                    {62, 59}, {48, 58}, {52, 58}, {56, 58}, {59, 58}};
  int32_t loud = 0;
  for (const auto &[row, note] : chord_notes) {
    EXPECT_EQ(patterns[1][row].note, note) << row;
    EXPECT_EQ(patterns[1][row].volume, 65000) << row;
    EXPECT_EQ(patterns[1][row + 1].volume, 65000) << row + 1;
  }
  for (const PatternRow &row : patterns[1]) {
    loud += row.volume == 65000;
    EXPECT_TRUE(row.volume == 65000 || row.volume == 8100);
  }
  EXPECT_EQ(loud, 40);

  // Pattern 3's slides: the rows named in the song, the rest plain.
  const PatternRow slides[] = {{56, 65000, 3, 52},  {61, 65000, 3, 255}, {59, 65000, 3, 26},
                               {56, 65000, 3, 255}, {52, 65000, 3, 31},  {47, 65000, 3, 240},
                               {54, 65000, 3, 255}, {59, 65000, 3, 255}, {61, 65000, 3, 4},
                               {58, 65000, 3, 240}};
  const int32_t slide_rows[] = {6, 12, 16, 22, 28, 32, 38, 44, 48, 54};
  for (int32_t i = 0; i < 10; ++i) {
    const PatternRow &row = patterns[3][slide_rows[i]];
    EXPECT_EQ(row.note, slides[i].note) << slide_rows[i];
    EXPECT_EQ(row.effect, slides[i].effect) << slide_rows[i];
    EXPECT_EQ(row.param, slides[i].param) << slide_rows[i];
  }
  EXPECT_EQ(patterns[3][0].note, 49);
  EXPECT_EQ(patterns[3][60].note, 54);
  EXPECT_EQ(patterns[3][60].effect, FX_NONE);
  EXPECT_EQ(patterns[3][29].param, 21);
  EXPECT_EQ(patterns[3][30].param, 22);
  EXPECT_EQ(patterns[3][31].param, 19);
  EXPECT_EQ(patterns[3][53].param, 4);
  EXPECT_EQ(patterns[3][1].effect, FX_NONE);
  EXPECT_EQ(patterns[3][55].effect, FX_NONE);

  const int32_t bass[] = {13, 13, 11, 10, 11};
  const int32_t bass_rows[] = {0, 16, 32, 48, 60};
  int32_t bass_notes = 0;
  for (const PatternRow &row : patterns[2]) {
    bass_notes += row.note != -100;
  }
  EXPECT_EQ(bass_notes, 5);
  for (int32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(patterns[2][bass_rows[i]].note, bass[i]);
  }
  EXPECT_EQ(patterns[4][24].note, 59);
  EXPECT_EQ(patterns[4][25].note, -100);
  EXPECT_EQ(patterns[5][36].note, 35);
  EXPECT_EQ(patterns[5][60].note, 42);

  EXPECT_EQ(patterns[8][0].note, 49);
  EXPECT_EQ(patterns[8][0].volume, 65000);
  EXPECT_EQ(patterns[8][1].volume, 0);
  EXPECT_EQ(patterns[8][32].effect, FX_END);
  EXPECT_EQ(patterns[8][32].note, -100);
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
      const int32_t row = rel + 64; // pattern 0 of position 11
      if (row % 2 == 0) {
        EXPECT_EQ(v.increment, note_pitch(LEAD[row / 2])) << "row " << r << " channel " << ch;
        EXPECT_EQ(v.wave_base, SQUARE);
        EXPECT_EQ(v.volume, volume[ch]);
      } else {
        EXPECT_EQ(v.increment, 888) << "no note on odd rows";
        EXPECT_EQ(v.wave_base, 0);
        EXPECT_EQ(v.volume, 0);
      }
      EXPECT_EQ(v.effect, 0);
      EXPECT_EQ(v.param, 0);
    }
  }
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

TEST(Song, EndsAtSample8756000WithoutEverWrapping) {
  auto memory = std::make_unique<WaveMemory>();
  build_wave_memory(*memory);
  Synth synth;
  ShowClock clock;
  std::vector<int16_t> out(TICK_SAMPLES);
  std::vector<int16_t> stems(VOICES * TICK_SAMPLES);
  int64_t rendered = 0;
  int32_t loudest = 0;
  while (get(clock.song_end) == 0 && rendered < 9'000'000) {
    synth_render(synth, *memory, clock, out.data(), TICK_SAMPLES, stems.data());
    rendered += TICK_SAMPLES;
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
}

} // namespace
} // namespace d32
