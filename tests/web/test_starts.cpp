// Where a page starts and what its index shows: demo8 started at a frame
// draws that frame as the show played from the start draws it, with the
// music going on from there; the index's stills are one frame inside each
// song position of demo32 and each phase of demo8.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "demo32/replay/replay_clock.h"
#include "demo32/replay/song_chart.h"
#include "demo8/show/plain_platform.h"
#include "demo8/web/capture.h"
#include "web/gallery/stills.h"

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

TEST(Starts, AStillInEachSongPositionAndPhase) {
  auto chart = std::make_unique<d32::SongChart>();
  d32::chart_song(*chart);
  const std::vector<gallery::Still> stills32 = gallery::stills32(*chart);
  ASSERT_EQ(stills32.size(), 29u);
  for (size_t p = 0; p < stills32.size(); ++p) {
    const gallery::Still &s = stills32[p];
    d32::ShowClock clock;
    d32::clock_at_sample(*chart, d32::sample_of_frame(s.frame, gallery::FPS32), clock);
    EXPECT_EQ(s.part, static_cast<int32_t>(p));
    EXPECT_EQ(d32::get(clock.song_position), s.part) << "frame " << s.frame;
    EXPECT_EQ(s.frame % gallery::STEP32, 0) << "frame " << s.frame;
    EXPECT_EQ(s.query, "position=" + std::to_string(p) + "&seed=2005");
    EXPECT_LE(s.frame, d32::last_frame_before(chart->end_sample, gallery::FPS32));
  }

  const std::vector<gallery::Still> stills8 = gallery::stills8();
  ASSERT_EQ(stills8.size(), 9u);
  for (size_t i = 0; i < stills8.size(); ++i) {
    const gallery::Still &s = stills8[i];
    EXPECT_EQ(s.frame % gallery::STEP8, 0) << "frame " << s.frame;
    EXPECT_EQ(s.query, "frame=" + std::to_string(s.frame));
    if (i > 0) {
      EXPECT_NE(&d8::phase_at(static_cast<int32_t>(s.frame)),
                &d8::phase_at(static_cast<int32_t>(stills8[i - 1].frame)));
    }
  }
  EXPECT_LE(stills8.back().frame, d8::LAST_FRAME);
}
