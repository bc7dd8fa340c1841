// demo32's music as the page renders it: a block at a time in pieces of at
// most a tick, the same samples as one run of the synthesizer, and for any
// sample heard the clock as it was while that sample was rendered, as the
// song's chart has it, across a position skip too.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "demo32/replay/song_chart.h"
#include "demo32/show/show.h"
#include "demo32/web/sound.h"

using namespace web32;

namespace {

struct Clock {
  int32_t tick, row, position, end;
  bool operator==(const Clock &) const = default;
};

Clock values(const d32::ShowClock &c) {
  return {d32::get(c.song_tick), d32::get(c.song_row), d32::get(c.song_position),
          d32::get(c.song_end)};
}

Clock heard_at(const Sound32 &sound, int64_t sample) {
  d32::ShowClock clock;
  clock_at(sound, sample, clock);
  return values(clock);
}

struct Fixture : ::testing::Test {
  std::unique_ptr<Sound32> sound = std::make_unique<Sound32>();
  std::unique_ptr<d32::SongChart> chart = std::make_unique<d32::SongChart>();
  void SetUp() override {
    d32::build_wave_memory(sound->music.wave_memory);
    start_sound(*sound);
    d32::chart_song(*chart);
  }
};

} // namespace

TEST_F(Fixture, BlocksAreTheSynthesizersSamplesAndEachHeardSampleItsClock) {
  // The page's blocks, and uneven ones: the stream does not depend on them.
  // Nothing heard yet: the clock at the start.
  EXPECT_EQ(heard_at(*sound, -1), (Clock{0, 0, 0, 0}));
  constexpr int64_t SAMPLES = 20 * d32::SAMPLE_RATE;
  std::vector<int16_t> blocks(SAMPLES);
  std::mt19937 random(32);
  for (int64_t done = 0; done < SAMPLES;) {
    const auto n = static_cast<int32_t>(std::min<int64_t>(
        done < SAMPLES / 2 ? BLOCK_SAMPLES : 1 + random() % 3000, SAMPLES - done));
    ASSERT_EQ(render_sound(*sound, blocks.data() + done, n), n);
    done += n;
    // What is heard lags a few blocks behind what is rendered.
    for (int k = 0; k < 8; ++k) {
      const int64_t behind = std::min<int64_t>(done, 20000);
      const int64_t heard = done - 1 - static_cast<int64_t>(random() % behind);
      d32::ShowClock expected;
      d32::clock_at_sample(*chart, heard, expected);
      ASSERT_EQ(heard_at(*sound, heard), values(expected)) << "sample " << heard;
    }
  }

  auto memory = std::make_unique<d32::WaveMemory>();
  d32::build_wave_memory(*memory);
  d32::Synth synth;
  d32::ShowClock clock;
  std::vector<int16_t> once(SAMPLES);
  d32::synth_render(synth, *memory, clock, once.data(), static_cast<int32_t>(SAMPLES));
  EXPECT_EQ(blocks, once);
  EXPECT_EQ(values(sound->music.clock), values(clock));
}

TEST_F(Fixture, ASkipIsHeardFromTheSampleItWasMadeAt) {
  std::vector<int16_t> block(BLOCK_SAMPLES);
  for (int i = 0; i < 10; ++i)
    render_sound(*sound, block.data(), BLOCK_SAMPLES);
  const Clock before = values(sound->music.clock);
  const int64_t at = sound->rendered; // mid-tick: 20,480 samples are 25.6 ticks
  d32::skip_position(sound->music.clock);
  note_clock(*sound);
  render_sound(*sound, block.data(), BLOCK_SAMPLES);
  EXPECT_EQ(heard_at(*sound, at - 1), before);
  EXPECT_EQ(heard_at(*sound, at), (Clock{0, 0, 1, 0}));
  // The tick begun before the skip ends on schedule, and the clock moves on.
  const int64_t tick_end = (at / d32::TICK_SAMPLES + 1) * d32::TICK_SAMPLES;
  EXPECT_EQ(heard_at(*sound, tick_end - 1), (Clock{0, 0, 1, 0}));
  EXPECT_EQ(heard_at(*sound, tick_end), (Clock{1, 1, 1, 0}));
}

TEST_F(Fixture, TheSongEndsWithTheBlockThatReadsItsEndMark) {
  const int64_t end = chart->end_sample;
  ASSERT_GT(end, 0);
  std::vector<int16_t> block(BLOCK_SAMPLES);
  int64_t blocks = 0;
  while (render_sound(*sound, block.data(), BLOCK_SAMPLES) == BLOCK_SAMPLES)
    ++blocks;
  EXPECT_EQ(blocks, (end + BLOCK_SAMPLES - 1) / BLOCK_SAMPLES);
  EXPECT_EQ(heard_at(*sound, end - 1).end, 0);
  EXPECT_EQ(heard_at(*sound, end).end, 1);
}
