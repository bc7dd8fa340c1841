// The replay clock: which samples and effect steps come before frame i, and
// where the show ends, checked by rule and against the real synthesizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "demo32/replay/replay.h"

using namespace d32;

namespace {

constexpr int64_t END_MARK_SAMPLE = 8756000; // row 32 of position 28 is read here

const WaveMemory &wave_memory() {
  static const auto memory = [] {
    auto m = std::make_unique<WaveMemory>();
    build_wave_memory(*m);
    return m;
  }();
  return *memory;
}

const SongChart &chart() {
  static const auto chart = [] {
    auto c = std::make_unique<SongChart>();
    chart_song(*c);
    return c;
  }();
  return *chart;
}

// The oracle: E_i = floor(i * 1000 / (12 * fps)), the effect steps real time
// has run by the time of frame i; E_-1 is 0.
int64_t steps_by_frame(int64_t i, int32_t fps) {
  return i < 0 ? 0 : i * 1000 / (12 * fps);
}

bool same_clock(const ShowClock &a, const ShowClock &b) {
  return get(a.song_tick) == get(b.song_tick) && get(a.song_row) == get(b.song_row) &&
         get(a.song_position) == get(b.song_position) && get(a.song_end) == get(b.song_end);
}

} // namespace

TEST(ReplayClock, SamplesBeforeEachFrame) {
  EXPECT_EQ(sample_of_frame(0, 60), 0);
  EXPECT_EQ(sample_of_frame(1, 60), 735);
  EXPECT_EQ(sample_of_frame(1, 50), 882);
  // 44100 / 24 = 1837.5: the floor, so frames alternate 1837 and 1838 samples.
  EXPECT_EQ(sample_of_frame(1, 24), 1837);
  EXPECT_EQ(sample_of_frame(2, 24), 3675);
  EXPECT_EQ(sample_of_frame(3, 24), 5512);
  EXPECT_EQ(sample_of_frame(7, 1000), 308);
  // Far past 2^31 / 44100 the product needs 64 bits.
  EXPECT_EQ(sample_of_frame(100000, 1), 4410000000);
}

TEST(ReplayClock, OverlayMillisecondsAreFrameTimes) {
  EXPECT_EQ(millis_of_frame(0, 60), 0u);
  EXPECT_EQ(millis_of_frame(3, 60), 50u);
  EXPECT_EQ(millis_of_frame(61, 60), 1016u);
}

// The show's catch-up, fed each frame's reading, runs exactly the steps real
// time would have run: never a step early, never one lost.
TEST(ReplayClock, StepsOfEachFrameAreTheRealTimeCount) {
  for (int32_t fps : {1, 24, 25, 30, 50, 60, 75, 83, 84, 100, 120, 144, 1000}) {
    uint32_t step_clock = 0;
    for (int64_t i = 0; i < 5000; ++i) {
      const uint32_t steps = catch_up(step_clock, millis_of_frame(i, fps));
      ASSERT_EQ(steps, steps_by_frame(i, fps) - steps_by_frame(i - 1, fps)) << fps << " " << i;
      ASSERT_EQ(step_clock, STEP_MS * steps_by_frame(i, fps)) << fps << " " << i;
    }
  }
  // The frames of a replay hand the show those readings.
  auto replay = std::make_unique<Replay32>();
  start_replay(*replay, 1, true);
  for (int64_t i = 0; i < 100; ++i) {
    ASSERT_TRUE(replay_charted_frame(*replay, chart(), 60, i));
    ASSERT_EQ(replay->show.step_clock, STEP_MS * steps_by_frame(i, 60)) << i;
  }
}

TEST(ReplayClock, LastFrameIsTheLastOneBeforeTheEndMark) {
  EXPECT_EQ(last_frame_before(END_MARK_SAMPLE, 60), 11912); // 11912 * 735 = 8,755,320
  EXPECT_EQ(last_frame_before(END_MARK_SAMPLE, 50), 9927);  // 9927 * 882 = 8,755,614
  for (int32_t fps : {1, 7, 24, 25, 30, 50, 60, 144, 1000}) {
    const int64_t last = last_frame_before(END_MARK_SAMPLE, fps);
    EXPECT_LT(sample_of_frame(last, fps), END_MARK_SAMPLE) << fps;
    EXPECT_GE(sample_of_frame(last + 1, fps), END_MARK_SAMPLE) << fps;
  }
  // A frame whose sample is exactly the end sample comes after the end mark.
  EXPECT_EQ(last_frame_before(882 * 10, 50), 9);
  EXPECT_EQ(last_frame_before(1, 60), 0);
  EXPECT_EQ(last_frame_before(0, 60), -1);
}

// The real synthesizer, cut in pieces as the replay cuts it, gives the
// pictures the very clock the chart gives them, found by the sequencer
// alone: frame by frame, up to the end mark on the same sample.
TEST(ReplayClock, ChartedClockIsTheRenderedClock) {
  EXPECT_EQ(chart().end_sample, END_MARK_SAMPLE);
  // At 997 fps the frames' samples fall on every place within a tick.
  for (int32_t fps : {60, 997}) {
    auto music = std::make_unique<ReplayMusic>();
    ShowClock charted;
    int64_t i = 0;
    for (;; ++i) {
      while (render_music_piece(*music, wave_memory(), sample_of_frame(i, fps), false) > 0) {
      }
      clock_at_sample(chart(), sample_of_frame(i, fps), charted);
      ASSERT_TRUE(same_clock(music->clock, charted)) << "fps " << fps << " frame " << i;
      if (get(charted.song_end) != 0)
        break;
    }
    EXPECT_EQ(i - 1, last_frame_before(END_MARK_SAMPLE, fps)) << fps;
    EXPECT_EQ(music->samples, END_MARK_SAMPLE) << fps;
    EXPECT_EQ(get(music->clock.song_position), 28);
    EXPECT_EQ(get(music->clock.song_row), 33); // the next row to read
  }
}

// Whole replays at a low rate: both clocks end the show after the same frame
// and draw the same pictures on the way.
TEST(Replay, BothClocksEndAfterTheLastFrameWithTheSamePictures) {
  constexpr int32_t FPS = 5;
  auto rendered = std::make_unique<Replay32>();
  auto charted = std::make_unique<Replay32>();
  start_replay(*rendered, 4, true);
  start_replay(*charted, 4, true);
  int64_t i = 0;
  for (;; ++i) {
    const bool on = replay_frame(*rendered, wave_memory(), FPS, i);
    ASSERT_EQ(replay_charted_frame(*charted, chart(), FPS, i), on) << i;
    if (!on)
      break;
    if (i % 50 == 0) {
      ASSERT_TRUE(std::equal(std::begin(rendered->pixels), std::end(rendered->pixels),
                             std::begin(charted->pixels)))
          << "frame " << i;
    }
  }
  EXPECT_EQ(i - 1, last_frame_before(END_MARK_SAMPLE, FPS));
}
