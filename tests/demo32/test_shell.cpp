// Command line, catch-up, overlay sampling and the silent clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo32/show/show.h"
#include "demo32/show/switches.h"

using namespace d32;

namespace {

Switches parse(std::vector<const char *> args) {
  args.insert(args.begin(), "demo32");
  return parse_switches(static_cast<int>(args.size()), args.data());
}

} // namespace

TEST(Switches, NoArgumentsMeansFullScreenSmearSoundNoOverlay) {
  const Switches s = parse({});
  EXPECT_EQ(s.windowed, 0);
  EXPECT_EQ(s.smear_enabled, 1);
  EXPECT_EQ(s.no_sound, 0);
  EXPECT_EQ(s.debug_mode, 0);
}

TEST(Switches, EachSwitchDoesOnlyItsOwnThing) {
  EXPECT_EQ(parse({"-window"}).windowed, 1);
  EXPECT_EQ(parse({"-window"}).smear_enabled, 1);
  EXPECT_EQ(parse({"-2005"}).smear_enabled, 0);
  EXPECT_EQ(parse({"-2005"}).windowed, 0);
  EXPECT_EQ(parse({"-nosound"}).no_sound, 1);
  EXPECT_EQ(parse({"-debug"}).debug_mode, 1);
}

TEST(Switches, OnlyWholeByteExactArgumentsMatch) {
  for (const char *near :
       {"-WINDOW", "-Window", "-win", "-windows", "window", "-window ", " -window", "-2005x",
        "-200", "-nosoun", "-debugx", "", "-", "--window", "-window\xE4", "\xFF\xFE"}) {
    const Switches s = parse({near});
    EXPECT_EQ(s.windowed, 0) << near;
    EXPECT_EQ(s.smear_enabled, 1) << near;
    EXPECT_EQ(s.no_sound, 0) << near;
    EXPECT_EQ(s.debug_mode, 0) << near;
  }
}

TEST(Switches, AnyOrderAndRepeats) {
  const Switches s = parse({"junk", "-debug", "-window", "x", "-window", "-debug"});
  EXPECT_EQ(s.windowed, 1);
  EXPECT_EQ(s.debug_mode, 1);
  EXPECT_EQ(s.no_sound, 0);
  const Switches all = parse({"-nosound", "-2005", "-debug", "-window"});
  EXPECT_EQ(all.windowed, 1);
  EXPECT_EQ(all.smear_enabled, 0);
  EXPECT_EQ(all.no_sound, 1);
  EXPECT_EQ(all.debug_mode, 1);
}

TEST(Switches, LongArgumentsAndNullEntriesAreHarmless) {
  std::string huge(1 << 20, '-');
  std::vector<const char *> args = {"demo32", huge.c_str(), nullptr};
  const Switches s = parse_switches(3, args.data());
  EXPECT_EQ(s.windowed, 0);
}

TEST(CatchUp, WholeStepsOnlyAndUnbounded) {
  uint32_t clock = 1000;
  EXPECT_EQ(catch_up(clock, 1011), 0u);
  EXPECT_EQ(clock, 1000u);
  EXPECT_EQ(catch_up(clock, 1012), 1u);
  EXPECT_EQ(clock, 1012u);
  EXPECT_EQ(catch_up(clock, 1035), 1u); // 23 ms: one step, 11 ms carried
  EXPECT_EQ(clock, 1024u);
  // A stall of 1.2 s runs 100 steps before the next frame.
  EXPECT_EQ(catch_up(clock, 1024 + 1200), 100u);
  EXPECT_EQ(clock, 2224u);
}

TEST(CatchUp, WrapOfTheMillisecondClock) {
  uint32_t clock = 0xFFFFFFF0u;
  EXPECT_EQ(catch_up(clock, 0x00000008u), 2u); // 24 ms across the wrap
  EXPECT_EQ(clock, 0x00000008u);
}

TEST(Overlay, ZerosUntilTheClockReachesOneSecond) {
  DebugOverlay o;
  o.tick_count = 50;
  o.frame_count = 7;
  update_overlay(o, 0);
  update_overlay(o, 999);
  EXPECT_EQ(o.shown_frames, 0);
  EXPECT_EQ(o.shown_ticks, 0);
  EXPECT_EQ(o.tick_count, 50);
  update_overlay(o, 1000);
  EXPECT_EQ(o.shown_frames, 7);
  EXPECT_EQ(o.shown_ticks, 50);
  EXPECT_EQ(o.frame_count, 0);
  EXPECT_EQ(o.tick_count, 0);
  EXPECT_EQ(o.fps_time, 1000u);
}

TEST(Overlay, SamplesOnlyAfterMoreThanASecond) {
  DebugOverlay o;
  o.fps_time = 5000;
  o.tick_count = 83;
  o.frame_count = 60;
  update_overlay(o, 6000); // exactly 1000: not yet
  EXPECT_EQ(o.shown_frames, 0);
  update_overlay(o, 6001);
  EXPECT_EQ(o.shown_frames, 60);
  EXPECT_EQ(o.shown_ticks, 83);
}

TEST(TimerClock, RowsOfSixTicksPositionsOfSixtyFourRows) {
  ShowClock c;
  for (int i = 0; i < 5; ++i)
    advance_timer_clock(c);
  EXPECT_EQ(get(c.song_tick), 5);
  EXPECT_EQ(get(c.song_row), 0);
  advance_timer_clock(c);
  EXPECT_EQ(get(c.song_tick), 0);
  EXPECT_EQ(get(c.song_row), 1);
  for (int i = 0; i < 6 * 63; ++i)
    advance_timer_clock(c);
  EXPECT_EQ(get(c.song_row), 0);
  EXPECT_EQ(get(c.song_position), 1);
}

TEST(TimerClock, WrapsFromTheLastPositionToTheFirstAndNeverEnds) {
  ShowClock c;
  for (int i = 0; i < 6 * 64 * 29; ++i)
    advance_timer_clock(c);
  EXPECT_EQ(get(c.song_position), 0);
  EXPECT_EQ(get(c.song_row), 0);
  EXPECT_EQ(get(c.song_end), 0);
}

TEST(SkipPosition, NextPositionFromItsFirstRow) {
  ShowClock c;
  put(c.song_position, 27);
  put(c.song_row, 40);
  put(c.song_tick, 3);
  skip_position(c);
  EXPECT_EQ(get(c.song_position), 28);
  EXPECT_EQ(get(c.song_row), 0);
  EXPECT_EQ(get(c.song_tick), 0);
  skip_position(c);
  EXPECT_EQ(get(c.song_position), 0);
}
