// The video's frames and ffmpeg command line, and the progress line.
#include <gtest/gtest.h>

#include <algorithm>

#include "tools/capture/progress.h"
#include "tools/capture/video_pipe.h"
#include "tools/capture/yuv_frame.h"

using namespace capture;

namespace {

bool has(const std::vector<std::string> &args, const std::string &a, const std::string &b) {
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == a && args[i + 1] == b)
      return true;
  return false;
}

} // namespace

TEST(VideoPipe, FfmpegGetsFramesAsConvertedAndTagsThemSo) {
  VideoSettings s;
  s.ffmpeg = "/usr/bin/ffmpeg";
  s.audio_path = "/tmp/a b.wav";
  s.output = "out/.demo-capture-partial-1-x.mp4";
  s.container = "mp4";
  s.comment = "demo-capture demo8 --frames 0-9";
  s.fps = 25;
  s.scale = 2;
  s.crf = 20;
  s.preset = "slow";
  const std::vector<std::string> a = ffmpeg_arguments(s);
  EXPECT_EQ(a.front(), "/usr/bin/ffmpeg");
  EXPECT_EQ(a.back(), "out/.demo-capture-partial-1-x.mp4");
  EXPECT_TRUE(has(a, "-f", "mp4")); // the partial name says nothing about the container
  EXPECT_TRUE(has(a, "-pixel_format", "yuv420p"));
  EXPECT_TRUE(has(a, "-video_size", "640x480"));
  EXPECT_TRUE(has(a, "-framerate", "25"));
  EXPECT_TRUE(has(a, "-i", "pipe:0"));
  EXPECT_TRUE(has(a, "-i", "/tmp/a b.wav"));
  EXPECT_TRUE(has(a, "-crf", "20"));
  EXPECT_TRUE(has(a, "-preset", "slow"));
  EXPECT_TRUE(has(a, "-metadata", "comment=demo-capture demo8 --frames 0-9"));
  EXPECT_TRUE(has(a, "-movflags", "+faststart"));
  // The frames are converted here; ffmpeg must not scale or convert them again.
  EXPECT_EQ(std::find(a.begin(), a.end(), "-vf"), a.end());
  // The tags after the last input are the ones written into the stream.
  const auto last_input = std::find(a.rbegin(), a.rend(), "-i").base();
  const std::vector<std::string> output(last_input, a.end());
  EXPECT_TRUE(has(output, "-colorspace", "bt709"));
  EXPECT_TRUE(has(output, "-color_primaries", "bt709"));
  EXPECT_TRUE(has(output, "-color_range", "tv"));
  EXPECT_TRUE(has(output, "-color_trc", "iec61966-2-1"));

  // A FIFO or device cannot be rewound to write the index in front.
  s.seekable = false;
  EXPECT_TRUE(has(ffmpeg_arguments(s), "-movflags", "frag_keyframe+empty_moov"));
  s.container = "matroska";
  const std::vector<std::string> mkv = ffmpeg_arguments(s);
  EXPECT_TRUE(has(mkv, "-f", "matroska"));
  EXPECT_EQ(std::find(mkv.begin(), mkv.end(), "-movflags"), mkv.end());
}

#ifndef _WIN32
TEST(VideoPipe, FindsProgramsOnThePath) {
  EXPECT_FALSE(find_on_path("sh").empty());
  EXPECT_TRUE(find_on_path("no-such-program-for-sure").empty());
}
#endif

TEST(YuvFrame, Bt709LimitedRangeOfTheCornersOfTheCube) {
  // Published BT.709 8-bit limited-range values.
  const struct {
    uint8_t r, g, b, y, cb, cr;
  } cases[] = {{0, 0, 0, 16, 128, 128},     {255, 255, 255, 235, 128, 128},
               {255, 0, 0, 63, 102, 240},   {0, 255, 0, 173, 42, 26},
               {0, 0, 255, 32, 240, 118},   {255, 255, 0, 219, 16, 138},
               {0, 255, 255, 188, 154, 16}, {255, 0, 255, 78, 214, 230}};
  for (const auto &c : cases) {
    const Ycc got = bt709_limited(c.r, c.g, c.b);
    EXPECT_EQ(got.y, c.y) << +c.r << "," << +c.g << "," << +c.b;
    EXPECT_EQ(got.cb, c.cb) << +c.r << "," << +c.g << "," << +c.b;
    EXPECT_EQ(got.cr, c.cr) << +c.r << "," << +c.g << "," << +c.b;
  }
}

TEST(YuvFrame, EveryPixelIsABlockAndEveryColourSampleLiesInOne) {
  // A picture of all different neighbours: any sample taken across two
  // pixels, or any shift, shows up.
  constexpr int32_t W = 6, H = 4;
  uint8_t rgb[W * H * 3];
  for (int32_t i = 0; i < W * H * 3; ++i)
    rgb[i] = static_cast<uint8_t>(i * 37 + 11);
  for (const int32_t k : {2, 4}) {
    std::vector<uint8_t> out;
    enlarge_to_yuv420(rgb, W, H, k, out);
    const size_t w = static_cast<size_t>(W) * k, h = static_cast<size_t>(H) * k;
    ASSERT_EQ(out.size(), w * h * 3 / 2);
    const uint8_t *cb = out.data() + w * h;
    const uint8_t *cr = cb + w * h / 4;
    for (size_t y = 0; y < h; ++y)
      for (size_t x = 0; x < w; ++x) {
        const uint8_t *p = rgb + 3 * ((y / k) * W + x / k);
        const Ycc want = bt709_limited(p[0], p[1], p[2]);
        ASSERT_EQ(out[y * w + x], want.y) << k << " " << x << "," << y;
        // The colour sample of the 2x2 pixels at (x, y).
        ASSERT_EQ(cb[(y / 2) * (w / 2) + x / 2], want.cb) << k << " " << x << "," << y;
        ASSERT_EQ(cr[(y / 2) * (w / 2) + x / 2], want.cr) << k << " " << x << "," << y;
      }
  }
}

TEST(Progress, LineShowsFrameShowTimeSpeedAndTimeLeft) {
  // 600 of 1200 frames at 60 fps (10 s of show) in 5 s: twice real time, 5 s left.
  EXPECT_EQ(progress_line(600, 1200, 60, 5.0), "frame 600/1200  show 0:10.00  2.0x  left 0:05");
  EXPECT_EQ(progress_line(0, 1568, 25, 0.0), "frame 0/1568  show 0:00.00");
  EXPECT_EQ(progress_line(1567, 1568, 25, 31.34), "frame 1567/1568  show 1:02.68  2.0x  left 0:00");
}

TEST(Progress, LineFitsANarrowTerminal) {
  // Whole parts are left out from the end, and the line never reaches the
  // last column, where a terminal would wrap it.
  EXPECT_EQ(progress_line(600, 1200, 60, 5.0, 40), "frame 600/1200  show 0:10.00  2.0x");
  EXPECT_EQ(progress_line(600, 1200, 60, 5.0, 30), "frame 600/1200  show 0:10.00");
  EXPECT_EQ(progress_line(600, 1200, 60, 5.0, 20), "frame 600/1200");
  EXPECT_EQ(progress_line(600, 1200, 60, 5.0, 10), "frame 600");
  EXPECT_EQ(progress_line(600, 1200, 60, 5.0, 1), "");
}
