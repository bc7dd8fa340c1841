// The ffmpeg command line and the progress line.
#include <gtest/gtest.h>

#include <algorithm>

#include "tools/capture/progress.h"
#include "tools/capture/video_pipe.h"

using namespace capture;

namespace {

bool has(const std::vector<std::string> &args, const std::string &a, const std::string &b) {
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == a && args[i + 1] == b)
      return true;
  return false;
}

} // namespace

TEST(VideoPipe, FfmpegGetsRawFramesAtTheShowRateAndScalesSharply) {
  VideoSettings s;
  s.ffmpeg = "/usr/bin/ffmpeg";
  s.audio_path = "/tmp/a b.wav";
  s.output = "out/.partial-1-x.mp4";
  s.fps = 25;
  s.scale = 2;
  const std::vector<std::string> a = ffmpeg_arguments(s);
  EXPECT_EQ(a.front(), "/usr/bin/ffmpeg");
  EXPECT_EQ(a.back(), "out/.partial-1-x.mp4");
  EXPECT_TRUE(has(a, "-f", "rawvideo"));
  EXPECT_TRUE(has(a, "-pixel_format", "rgb24"));
  EXPECT_TRUE(has(a, "-video_size", "320x240"));
  EXPECT_TRUE(has(a, "-framerate", "25"));
  EXPECT_TRUE(has(a, "-i", "pipe:0"));
  EXPECT_TRUE(has(a, "-i", "/tmp/a b.wav"));
  EXPECT_TRUE(has(a, "-vf", "scale=640:480:flags=neighbor"));
  EXPECT_TRUE(has(a, "-c:v", "libx264"));
  EXPECT_TRUE(has(a, "-c:a", "aac"));
  EXPECT_TRUE(has(a, "-movflags", "+faststart"));

  s.output = "x.mkv";
  s.scale = 3;
  const std::vector<std::string> mkv = ffmpeg_arguments(s);
  EXPECT_TRUE(has(mkv, "-vf", "scale=960:720:flags=neighbor"));
  EXPECT_EQ(std::find(mkv.begin(), mkv.end(), "-movflags"), mkv.end());
}

#ifndef _WIN32
TEST(VideoPipe, ShellCommandQuotesEveryArgument) {
  EXPECT_EQ(shell_command({"ff", "a b", "it's", "$HOME"}), "'ff' 'a b' 'it'\\''s' '$HOME'");
}

TEST(VideoPipe, FindsProgramsOnThePath) {
  EXPECT_FALSE(find_on_path("sh").empty());
  EXPECT_TRUE(find_on_path("no-such-program-for-sure").empty());
}
#endif

TEST(Progress, LineShowsFrameShowTimeSpeedAndTimeLeft) {
  // 600 of 1200 frames at 60 fps (10 s of show) in 5 s: twice real time, 5 s left.
  EXPECT_EQ(progress_line(600, 1200, 60, 5.0), "frame 600/1200  show 0:10.00  2.0x  left 0:05");
  EXPECT_EQ(progress_line(0, 1568, 25, 0.0), "frame 0/1568  show 0:00.00");
  EXPECT_EQ(progress_line(1567, 1568, 25, 31.34), "frame 1567/1568  show 1:02.68  2.0x  left 0:00");
}
