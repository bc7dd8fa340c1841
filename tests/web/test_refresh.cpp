// demo8's pace on a page: the show's own pass, driven at the display's
// refresh as the browser's animation frames drive it, keeps 25 frames a
// second on their steps, also when the browser skips refreshes, and a real
// stall is still reported late and absorbed.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "demo8/show/show.h"
#include "demo8/web/refresh.h"

using namespace d8;

namespace {

struct Page {
  std::unique_ptr<Show8> show = std::make_unique<Show8>();
  std::vector<uint8_t> pixels = std::vector<uint8_t>(SCREEN_WIDTH * SCREEN_HEIGHT, 0);
  uint32_t now = 0;
  int32_t frames = 0;
  int32_t late = 0;  // passes that left a lateness to absorb
  int32_t lines = 0; // lateness lines the page was given to show

  Page() {
    prepare_show(*show);
    start_show(*show, 0);
  }

  Platform8 platform() {
    Platform8 p;
    p.context = this;
    p.ticks = [](void *c) {
      Page &page = *static_cast<Page *>(c);
      return web8::show_reading(page.show->pacing, page.now);
    };
    p.lock = [](void *c) { return Surface8{static_cast<Page *>(c)->pixels.data(), SCREEN_WIDTH}; };
    p.unlock = [](void *) {};
    p.present = [](void *) {};
    p.next_event = [](void *, Event &) { return false; };
    p.print_line = [](void *c, const char *) { ++static_cast<Page *>(c)->lines; };
    return p;
  }

  // One animation frame at time ms.
  void animation_frame(double ms) {
    now = static_cast<uint32_t>(ms);
    if (show_pass(*show, platform()) != Pass::NOT_DUE)
      ++frames;
    late += show->pacing.lag > 0;
  }

  // Animation frames at hz from time from_ms up to until_ms.
  void run(double hz, double from_ms, double until_ms) {
    for (double t = from_ms; t < until_ms; t += 1000.0 / hz)
      animation_frame(t);
  }
};

} // namespace

TEST(Refresh, TwentyFiveFramesASecondAtCommonRefreshRates) {
  // The frames whose deadline (60 ms, then every 40 ms) has come by 10 s.
  const int32_t due = (10000 - 60) / 40 + 1;
  for (const double hz : {30.0, 50.0, 59.94, 60.0, 75.0, 144.0}) {
    Page page;
    page.run(hz, 0, 10000);
    EXPECT_NEAR(page.frames, due, 1) << hz << " Hz";
    EXPECT_EQ(page.late, 0) << hz << " Hz";
    EXPECT_EQ(page.lines, 0) << hz << " Hz";
  }
}

TEST(Refresh, SkippedAnimationFramesKeepTheFramesOnTime) {
  // A busy browser skips refreshes now and then: from a fixed seed, a
  // quarter of the gaps between animation frames at 60 Hz are four
  // refreshes (67 ms, longer than a frame of the show), each followed by at
  // least two single ones, so that the page can keep up. Every frame still
  // starts on the first animation frame at or after its time (60 + 40n ms),
  // none is late, and none is lost.
  Page page;
  std::mt19937 random(26);
  std::vector<double> drawn_at;
  int32_t since_long = 2;
  for (double t = 0; t < 10000;) {
    const int32_t before = page.frames;
    page.animation_frame(t);
    if (page.frames > before)
      drawn_at.push_back(t);
    const bool skip = since_long >= 2 && random() % 4 == 0;
    since_long = skip ? 0 : since_long + 1;
    t += (skip ? 4 : 1) * 1000.0 / 60;
  }
  ASSERT_NEAR(page.frames, (10000 - 60) / 40 + 1, 1);
  EXPECT_EQ(page.late, 0);
  for (size_t n = 0; n < drawn_at.size(); ++n) {
    const double due = 60 + 40.0 * static_cast<double>(n);
    EXPECT_GE(drawn_at[n], due) << "frame " << n;
    EXPECT_LT(drawn_at[n], due + 4 * 1000.0 / 60) << "frame " << n;
  }
}

TEST(Refresh, AStallIsLateAndTheShowGoesOn) {
  Page page;
  page.run(60, 0, 3000);
  // Right after a frame, no animation frame for 300 ms (a busy machine):
  // the next frame's first reading is late, as on the desktop.
  double t = 3000;
  for (const int32_t drawn = page.frames; page.frames == drawn; t += 1000.0 / 60)
    page.animation_frame(t);
  page.run(60, t + 300, 5000);
  EXPECT_GT(page.late, 0);
  EXPECT_EQ(page.lines, 1);            // the one frame that started late says so
  EXPECT_EQ(page.show->pacing.lag, 0); // absorbed again
  const int32_t after = page.frames;
  page.run(60, 5000, 10000);
  EXPECT_NEAR(page.frames - after, 125, 1);
}
