// The virtual clock: which samples and effect steps come before frame i, and
// where the show ends, checked by rule and against the real synthesizer.
#include <gtest/gtest.h>

#include <memory>

#include "tools/capture/frames32.h"
#include "tools/capture/music32.h"
#include "tools/capture/virtual_clock.h"

using namespace capture;

namespace {

constexpr int64_t END_MARK_SAMPLE = 8756000; // row 32 of position 28 is read here

const d32::WaveMemory &wave_memory() {
  static const auto memory = [] {
    auto m = std::make_unique<d32::WaveMemory>();
    d32::build_wave_memory(*m);
    return m;
  }();
  return *memory;
}

} // namespace

TEST(VirtualClock, SamplesBeforeEachFrame) {
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

TEST(VirtualClock, EffectStepsFollowTwelveMilliseconds) {
  EXPECT_EQ(steps_by_frame(-1, 60), 0);
  EXPECT_EQ(steps_by_frame(0, 60), 0);
  EXPECT_EQ(steps_by_frame(1, 60), 1);   // 16.67 ms
  EXPECT_EQ(steps_by_frame(3, 60), 4);   // 50 ms
  EXPECT_EQ(steps_by_frame(60, 60), 83); // 1000 / 12 = 83.3
  EXPECT_EQ(steps_by_frame(1, 100), 0);  // 10 ms: not yet a step
  EXPECT_EQ(steps_by_frame(2, 100), 1);
  EXPECT_EQ(steps_by_frame(1, 1), 83);
  EXPECT_EQ(steps_of_frame(0, 60), 0u);
  EXPECT_EQ(steps_of_frame(0, 1), 0u); // E_-1 is 0, not -83
  EXPECT_EQ(steps_of_frame(1, 1), 83u);
  EXPECT_EQ(steps_of_frame(2, 1), 83u); // 166 - 83
  EXPECT_EQ(steps_of_frame(3, 1), 84u); // 250 - 166
}

TEST(VirtualClock, StepsOfFramesAddUpToTheRealTimeCount) {
  for (int32_t fps : {1, 24, 25, 30, 50, 60, 75, 120, 144, 1000}) {
    int64_t sum = 0;
    for (int64_t i = 0; i < 5000; ++i) {
      const uint32_t steps = steps_of_frame(i, fps);
      sum += steps;
      ASSERT_EQ(sum, steps_by_frame(i, fps)) << fps << " " << i;
      // Never more than one step of catch-up beyond a frame's own share.
      ASSERT_LE(steps, 1000 / (12 * fps) + 1u);
    }
  }
}

TEST(VirtualClock, OverlayMillisecondsAreFrameTimes) {
  EXPECT_EQ(millis_of_frame(0, 60), 0u);
  EXPECT_EQ(millis_of_frame(3, 60), 50u);
  EXPECT_EQ(millis_of_frame(61, 60), 1016u);
}

TEST(VirtualClock, LastFrameIsTheLastOneBeforeTheEndMark) {
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

TEST(VirtualClock, SequencerAloneFindsTheEndMark) {
  EXPECT_EQ(find_end_sample(), END_MARK_SAMPLE);
}

// The real synthesizer, cut where the capture cuts it, reads the end mark at
// the same sample; the frame loop stops right there at 60 and at 50 fps.
TEST(VirtualClock, RealRunEndsWhereTheRuleSays) {
  Plan32 plan;
  plan.draw = false;
  plan.last_frame = 1000000;
  for (int32_t fps : {60, 50}) {
    plan.fps = fps;
    auto run = std::make_unique<Run32>();
    const int64_t frames = run_frames32(*run, wave_memory(), plan, nullptr, nullptr);
    EXPECT_EQ(frames - 1, last_frame_before(END_MARK_SAMPLE, fps)) << fps;
    EXPECT_EQ(run->music.samples, END_MARK_SAMPLE) << fps;
    EXPECT_EQ(d32::get(run->music.clock.song_position), 28);
    EXPECT_EQ(d32::get(run->music.clock.song_row), 33); // the next row to read
  }
}

// The chart gives the pictures the very clock the rendered music gives them,
// frame by frame, up to the same last frame.
TEST(VirtualClock, ChartedClockIsTheRenderedClock) {
  SongChart chart;
  chart_song(chart);
  EXPECT_EQ(chart.end_sample, END_MARK_SAMPLE);
  // At 997 fps the frames' samples fall on every place within a tick.
  for (int32_t fps : {60, 997}) {
    auto rendered = std::make_unique<Run32>();
    auto charted = std::make_unique<Run32>();
    int64_t i = 0;
    for (;; ++i) {
      const bool on = run_frame32(*rendered, wave_memory(), fps, i, false);
      ASSERT_EQ(run_charted_frame32(*charted, chart, fps, i, false), on) << fps << " " << i;
      const d32::ShowClock &a = rendered->music.clock;
      const d32::ShowClock &b = charted->music.clock;
      ASSERT_TRUE(d32::get(a.song_tick) == d32::get(b.song_tick) &&
                  d32::get(a.song_row) == d32::get(b.song_row) &&
                  d32::get(a.song_position) == d32::get(b.song_position) &&
                  d32::get(a.song_end) == d32::get(b.song_end))
          << "fps " << fps << " frame " << i;
      if (!on)
        break;
    }
    EXPECT_EQ(i - 1, last_frame_before(END_MARK_SAMPLE, fps)) << fps;
  }
}
