// The show's pass as a platform drives it: the order of its steps, what it
// asks of the platform and when.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "demo32/show/show.h"

using namespace d32;

namespace {

// A platform that records every call and replays scripted clock readings and
// events.
struct Recorder {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(SCREEN_PIXELS, 0);
  uint32_t now = 0;
  std::deque<Event> events;
  std::vector<std::string> calls;
  std::vector<std::vector<uint32_t>> screenshots;

  static Recorder &of(void *context) { return *static_cast<Recorder *>(context); }

  Platform32 platform() {
    Platform32 p;
    p.context = this;
    p.ticks = [](void *c) { return of(c).now; };
    p.next_event = [](void *c, Event &e) {
      Recorder &r = of(c);
      r.calls.push_back("event");
      if (r.events.empty())
        return false;
      e = r.events.front();
      r.events.pop_front();
      return true;
    };
    p.save_screenshot = [](void *c) {
      of(c).calls.push_back("screenshot");
      of(c).screenshots.push_back(of(c).pixels);
    };
    p.lock = [](void *c) {
      of(c).calls.push_back("lock");
      return of(c).pixels.data();
    };
    p.unlock = [](void *c) { of(c).calls.push_back("unlock"); };
    p.present = [](void *c) { of(c).calls.push_back("present"); };
    return p;
  }
};

struct ShowPass : ::testing::Test {
  std::unique_ptr<Show32> show = std::make_unique<Show32>();
  ShowClock clock;
  Recorder recorder;
  Platform32 platform = recorder.platform();

  void SetUp() override {
    prepare_show(*show, 3);
    put(clock.song_position, 5);
    start_show(*show, clock, 1000);
    recorder.now = 1000;
  }

  Pass pass_at(uint32_t now) {
    recorder.now = now;
    recorder.calls.clear();
    return show_pass(*show, clock, platform);
  }
};

} // namespace

TEST_F(ShowPass, StartsAtTheFirstPositionAndWaitsForAWholeStep) {
  EXPECT_EQ(get(clock.song_position), 0);
  EXPECT_EQ(pass_at(1011), Pass::NOT_DUE);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"event"}));
  // Still waiting: neither the events nor the end mark are looked at again.
  put(clock.song_end, 1);
  recorder.events.push_back(Event::ESCAPE_DOWN);
  EXPECT_EQ(pass_at(1011), Pass::NOT_DUE);
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_EQ(pass_at(1012), Pass::FRAME);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"lock", "unlock", "present"}));
  EXPECT_EQ(show->fx.phases.phase1, 1);
  // The end mark set during the wait ends the next pass, after its events.
  EXPECT_EQ(pass_at(1030), Pass::ENDED);
  EXPECT_EQ(recorder.screenshots.size(), 1u);
}

TEST_F(ShowPass, EndMarkStopsWithoutDrawing) {
  put(clock.song_end, 1);
  EXPECT_EQ(pass_at(5000), Pass::ENDED);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"event"}));
  EXPECT_EQ(show->fx.phases.phase1, 0);
}

TEST_F(ShowPass, EscapeSavesTheLastFrameDrawnThenDrawsOneMore) {
  ASSERT_EQ(pass_at(1012), Pass::FRAME);
  const std::vector<uint32_t> first = recorder.pixels;
  recorder.events = {Event::ESCAPE_DOWN, Event::OTHER, Event::ESCAPE_DOWN};
  EXPECT_EQ(pass_at(1030), Pass::LAST_FRAME);
  EXPECT_EQ(recorder.calls,
            (std::vector<std::string>{"event", "screenshot", "event", "event", "screenshot",
                                      "event", "lock", "unlock", "present"}));
  ASSERT_EQ(recorder.screenshots.size(), 2u);
  EXPECT_EQ(recorder.screenshots[0], first);
  EXPECT_EQ(recorder.screenshots[1], first);
  EXPECT_NE(recorder.pixels, first);
}

TEST_F(ShowPass, BackspaceSkipsOnlyInDebugModeAndTheCloseButtonIsIgnored) {
  put(clock.song_row, 40);
  recorder.events = {Event::BACKSPACE_DOWN, Event::CLOSE_REQUESTED};
  EXPECT_EQ(pass_at(1012), Pass::FRAME);
  EXPECT_EQ(get(clock.song_position), 0);
  EXPECT_EQ(get(clock.song_row), 40);

  show->debug_mode = 1;
  put(clock.song_position, 28);
  recorder.events = {Event::BACKSPACE_DOWN, Event::BACKSPACE_DOWN};
  EXPECT_EQ(pass_at(1024), Pass::FRAME);
  EXPECT_EQ(get(clock.song_position), 1);
  EXPECT_EQ(get(clock.song_row), 0);
  EXPECT_EQ(get(clock.song_tick), 0);
}

TEST_F(ShowPass, AStallRunsEveryMissedStepBeforeTheFrame) {
  EXPECT_EQ(pass_at(1000 + 1200 + 11), Pass::FRAME);
  EXPECT_EQ(show->fx.phases.phase1, 100);
  EXPECT_EQ(show->overlay.tick_count, 100);
  EXPECT_EQ(show->step_clock, 2200u);
  // The 11 ms left over count toward the next step.
  EXPECT_EQ(pass_at(2211), Pass::NOT_DUE);
  EXPECT_EQ(pass_at(2212), Pass::FRAME);
  EXPECT_EQ(show->fx.phases.phase1, 101);
}

TEST_F(ShowPass, UnpacedPlatformsDrawEveryPassWithTheStepsDue) {
  platform.paced = false;
  EXPECT_EQ(pass_at(1005), Pass::FRAME);
  EXPECT_EQ(show->fx.phases.phase1, 0);
  EXPECT_EQ(pass_at(1030), Pass::FRAME);
  EXPECT_EQ(show->fx.phases.phase1, 2);
}

TEST_F(ShowPass, SmearAndOverlayFollowTheSwitches) {
  // Position 28 draws nothing, so what changes is the smear and the overlay.
  put(clock.song_position, 28);
  for (uint32_t &p : recorder.pixels)
    p = 0x00FFFFFF;
  show->smear_enabled = 0;
  pass_at(1012);
  EXPECT_EQ(recorder.pixels, std::vector<uint32_t>(SCREEN_PIXELS, 0x00FFFFFF));

  show->smear_enabled = 1;
  pass_at(1024);
  EXPECT_NE(recorder.pixels, std::vector<uint32_t>(SCREEN_PIXELS, 0x00FFFFFF));

  // The overlay is drawn after the smear: sharp blue on the first row of text.
  show->smear_enabled = 0;
  show->debug_mode = 1;
  for (uint32_t &p : recorder.pixels)
    p = 0;
  pass_at(1036);
  int blue = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < SCREEN_WIDTH; ++x)
      blue += recorder.pixels[y * SCREEN_WIDTH + x] == 0x000000FFu;
  EXPECT_GT(blue, 100);
  EXPECT_EQ(show->overlay.frame_count, 1);
}
