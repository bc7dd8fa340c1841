#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "demo8/show/pacing.h"

namespace {

using namespace d8;

// A clock that returns the given readings in turn and then stays at the last.
struct FakeClock {
  std::vector<uint32_t> readings;
  size_t next = 0;
  size_t calls = 0;
  static uint32_t tick(void *context) {
    auto *c = static_cast<FakeClock *>(context);
    ++c->calls;
    const uint32_t r = c->readings[std::min(c->next, c->readings.size() - 1)];
    ++c->next;
    return r;
  }
};

// The desktop's busy wait: one reading after another until the frame starts.
FrameStart wait_for_frame(Pacing &p, uint32_t (*ticks)(void *), void *context) {
  FrameStart start;
  while (!frame_starts(p, static_cast<int32_t>(ticks(context)), start)) {
  }
  return start;
}

FrameStart pass(Pacing &p, std::vector<uint32_t> readings) {
  FakeClock clock{std::move(readings)};
  return wait_for_frame(p, FakeClock::tick, &clock);
}

TEST(Pacing, FirstFrameWaitsSixtyMilliseconds) {
  Pacing p;
  start_pacing(p, 1000);
  EXPECT_EQ(p.deadline, 1060);
  FakeClock clock{{1001, 1030, 1059, 1060, 1061}};
  const FrameStart f = wait_for_frame(p, FakeClock::tick, &clock);
  EXPECT_EQ(f.early_calls, 3);
  EXPECT_EQ(clock.calls, 4u); // stops at the first reading at the deadline
  EXPECT_EQ(f.now, 1060);
  EXPECT_EQ(f.lateness, Lateness::ON_TIME);
  EXPECT_EQ(p.deadline, 1100);
  EXPECT_EQ(p.lag, 0);
}

TEST(Pacing, LateFrameWarnsAndTheLagDecays) {
  Pacing p;
  start_pacing(p, 940); // deadline 1000
  FrameStart f = pass(p, {1150});
  EXPECT_EQ(f.lateness, Lateness::VERY_LATE);
  EXPECT_EQ(f.reported_lag, 150);
  EXPECT_EQ(p.lag, 110);
  EXPECT_EQ(p.deadline, 1190); // the schedule slides; nothing is made up

  f = pass(p, {1180, 1190});
  EXPECT_EQ(f.lateness, Lateness::ON_TIME);
  EXPECT_EQ(p.lag, 70);
  f = pass(p, {1229, 1231});
  EXPECT_EQ(f.lateness, Lateness::ON_TIME);
  EXPECT_EQ(p.lag, 30);
  EXPECT_EQ(p.deadline, 1271);
  pass(p, {1270, 1271});
  EXPECT_EQ(p.lag, 0);
}

TEST(Pacing, SecondLateFrameAddsToTheRemainingLag) {
  Pacing p;
  start_pacing(p, 940);
  pass(p, {1150});                            // lag 110 after the decay
  FrameStart f = pass(p, {1190});             // exactly on the deadline, first reading
  EXPECT_EQ(f.lateness, Lateness::VERY_LATE); // late by 0, lag 110 still
  EXPECT_EQ(f.reported_lag, 110);
  EXPECT_EQ(p.lag, 70);
  f = pass(p, {1250}); // 20 ms late
  EXPECT_EQ(f.lateness, Lateness::SOMEWHAT_LATE);
  EXPECT_EQ(f.reported_lag, 90);
  EXPECT_EQ(p.lag, 50);
  f = pass(p, {1390}); // 100 ms late: 150 is above 100 again
  EXPECT_EQ(f.lateness, Lateness::VERY_LATE);
  EXPECT_EQ(f.reported_lag, 150);
}

TEST(Pacing, ExactlyOneHundredIsTheMilderWarning) {
  Pacing p;
  start_pacing(p, 0);
  const FrameStart f = pass(p, {160});
  EXPECT_EQ(f.lateness, Lateness::SOMEWHAT_LATE);
  EXPECT_EQ(f.reported_lag, 100);
}

} // namespace
