// Where a page starts: demo8 started at a frame draws that frame as the show
// played from the start draws it, with the music going on from there.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "demo8/show/plain_platform.h"
#include "demo8/web/capture.h"

namespace {

struct Start8 {
  std::unique_ptr<d8::Show8> show = std::make_unique<d8::Show8>();
  d8::Music music;
  std::vector<uint8_t> pixels = std::vector<uint8_t>(d8::SCREEN_WIDTH * d8::SCREEN_HEIGHT, 0);
  Start8() {
    d8::prepare_show(*show);
    d8::start_show(*show, 0);
  }
  void frame() {
    d8::Surface8 screen{pixels.data(), d8::SCREEN_WIDTH};
    d8::show_pass(*show, d8::plain_platform(screen));
  }
};

} // namespace

TEST(Starts, Demo8AtAFrameDrawsItAsTheWholeShowDoes) {
  // In the tunnel (whose offsets the cubes keep), the rotozoomer, the rings
  // and the show's last frame.
  for (const int32_t frame : {0, 200, 300, 1000, 1567}) {
    Start8 straight;
    for (int32_t t = 0; t <= frame; ++t)
      straight.frame();
    // The music of the whole show from where the frame starts.
    d8::Music whole;
    std::vector<uint8_t> lead(static_cast<size_t>(frame) * d8::SAMPLES_PER_FRAME + 1);
    d8::music_render(whole, lead.data(), static_cast<int32_t>(lead.size() - 1));
    std::vector<uint8_t> expected(3000);
    d8::music_render(whole, expected.data(), 3000);

    Start8 skipped;
    web8::skip_to_frame(*skipped.show, skipped.music, skipped.pixels.data(), frame);
    skipped.frame();
    EXPECT_EQ(skipped.show->frame, frame + 1);
    EXPECT_EQ(skipped.pixels, straight.pixels) << "frame " << frame;
    EXPECT_EQ(skipped.show->running, straight.show->running) << "frame " << frame;
    std::vector<uint8_t> music(3000);
    d8::music_render(skipped.music, music.data(), 3000);
    EXPECT_EQ(music, expected) << "frame " << frame;
  }
}
