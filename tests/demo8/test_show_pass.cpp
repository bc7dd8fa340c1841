// The show's pass as a platform drives it: the deadline, the order of its
// steps, the keys and the end after frame 1567.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "demo8/show/plain_platform.h"
#include "demo8/show/show.h"

using namespace d8;

namespace {

struct Recorder {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(SCREEN_WIDTH * SCREEN_HEIGHT, 0);
  uint32_t now = 0;
  std::deque<Event> events;
  std::vector<std::string> calls;
  std::vector<std::string> lines;

  static Recorder &of(void *context) { return *static_cast<Recorder *>(context); }

  Platform8 platform() {
    Platform8 p;
    p.context = this;
    p.ticks = [](void *c) {
      of(c).calls.push_back("ticks");
      return of(c).now;
    };
    p.lock = [](void *c) {
      of(c).calls.push_back("lock");
      return Surface8{of(c).pixels.data(), SCREEN_WIDTH};
    };
    p.unlock = [](void *c) { of(c).calls.push_back("unlock"); };
    p.present = [](void *c) { of(c).calls.push_back("present"); };
    p.next_event = [](void *c, Event &e) {
      Recorder &r = of(c);
      r.calls.push_back("event");
      if (r.events.empty())
        return false;
      e = r.events.front();
      r.events.pop_front();
      return true;
    };
    p.print_line = [](void *c, const char *line) {
      of(c).calls.push_back("line");
      of(c).lines.push_back(line);
    };
    return p;
  }
};

struct ShowPass : ::testing::Test {
  std::unique_ptr<Show8> show = std::make_unique<Show8>();
  Recorder recorder;
  Platform8 platform = recorder.platform();

  void SetUp() override {
    prepare_show(*show);
    start_show(*show, 500);
  }

  Pass pass_at(uint32_t now) {
    recorder.now = now;
    recorder.calls.clear();
    return show_pass(*show, platform);
  }
};

} // namespace

TEST_F(ShowPass, FirstFrameSixtyMillisecondsAfterTheStartThenEveryForty) {
  EXPECT_EQ(pass_at(559), Pass::NOT_DUE);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"ticks"}));
  EXPECT_EQ(show->frame, 0);
  EXPECT_EQ(pass_at(560), Pass::FRAME);
  // Drawn, shown, and only then the events.
  EXPECT_EQ(recorder.calls,
            (std::vector<std::string>{"ticks", "lock", "unlock", "present", "event"}));
  EXPECT_EQ(show->frame, 1);
  EXPECT_EQ(pass_at(599), Pass::NOT_DUE);
  EXPECT_EQ(pass_at(600), Pass::FRAME);
  EXPECT_EQ(show->frame, 2);
}

// A frame whose first reading is past its deadline says so on the platform's
// console before it is drawn, in Latin-1; a frame that waited says nothing.
TEST_F(ShowPass, LateFramesSayHowLateThroughThePlatform) {
  EXPECT_EQ(pass_at(570), Pass::FRAME);
  EXPECT_EQ(recorder.calls,
            (std::vector<std::string>{"ticks", "line", "lock", "unlock", "present", "event"}));
  EXPECT_EQ(pass_at(609), Pass::NOT_DUE);
  EXPECT_EQ(pass_at(610), Pass::FRAME);
  EXPECT_EQ(pass_at(800), Pass::FRAME); // 150 ms past the deadline of 650
  EXPECT_EQ(recorder.lines,
            (std::vector<std::string>{"Hmm t\xF6kkii kai v\xE4h\xE4, osta nopeempi kone? 10",
                                      "T\xF6kkii varmaanki ihan liikaa. 150"}));
}

TEST_F(ShowPass, EscapeEndsOnReleaseAndTheCloseRequestEnds) {
  recorder.events = {Event::OTHER};
  EXPECT_EQ(pass_at(560), Pass::FRAME);
  recorder.events = {Event::ESCAPE_UP};
  EXPECT_EQ(pass_at(600), Pass::LAST_FRAME);
  EXPECT_EQ(show->frame, 2); // the pass is finished

  start_show(*show, 0);
  recorder.events = {Event::CLOSE_REQUESTED, Event::OTHER};
  EXPECT_EQ(pass_at(60), Pass::LAST_FRAME);
  EXPECT_EQ(recorder.events.size(), 0u); // the queue is drained
}

TEST(ShowEnd, LastFrameIs1567) {
  auto show = std::make_unique<Show8>();
  prepare_show(*show);
  start_show(*show, 0);
  std::vector<uint8_t> pixels(SCREEN_WIDTH * SCREEN_HEIGHT);
  Surface8 screen{pixels.data(), SCREEN_WIDTH};
  const Platform8 platform = plain_platform(screen);
  int32_t frames = 0;
  while (show_pass(*show, platform) == Pass::FRAME)
    ++frames;
  EXPECT_EQ(frames, LAST_FRAME);
  EXPECT_EQ(show->frame, LAST_FRAME + 1);
  EXPECT_EQ(show->running, 0);
}
