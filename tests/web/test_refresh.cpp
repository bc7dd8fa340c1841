// demo8's pace on a page: the show's own pass, driven at the display's
// refresh as the browser's animation frames drive it, keeps 25 frames a
// second, and a real stall is still reported late and absorbed.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "demo8/show/show.h"
#include "demo8/web/refresh.h"

using namespace d8;

namespace {

struct Page {
  std::unique_ptr<Show8> show = std::make_unique<Show8>();
  std::vector<uint8_t> pixels = std::vector<uint8_t>(SCREEN_WIDTH * SCREEN_HEIGHT, 0);
  web8::RefreshClock refresh;
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
      return web8::show_reading(page.refresh, page.show->pacing, page.now);
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
    web8::note_animation_frame(refresh, ms);
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
