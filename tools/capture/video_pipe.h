#pragma once
// Video through ffmpeg: the enlarged 4:2:0 frames on its standard input, the
// soundtrack from a finished WAV file, H.264 + AAC out, tagged with the
// colour conversion the frames went through and with the command that makes
// the video again.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/capture/child_process.h"

namespace capture {

struct VideoSettings {
  std::string ffmpeg;     // the program to run
  std::string audio_path; // complete WAV of the same stretch
  std::string output;     // where ffmpeg writes
  std::string container;  // ffmpeg's name of the format: matroska, mp4, mov
  bool seekable = true;   // false for a FIFO or device, written front to back
  std::string comment;    // the reproducing command
  int32_t fps = 60;
  int32_t scale = 4; // even
  int32_t crf = 16;
  std::string preset = "veryfast";
};

struct VideoPipe {
  std::string name; // for messages
  ChildProcess child;
  bool running = false;
  int32_t scale = 4;
  std::vector<uint8_t> yuv; // one enlarged frame
  int64_t frames = 0;
};

// The full path of program on PATH, or an empty string.
std::string find_on_path(const std::string &program);

// ffmpeg's argument vector (program first).
std::vector<std::string> ffmpeg_arguments(const VideoSettings &settings);

void video_start(VideoPipe &video, const VideoSettings &settings);
// One 320x240 RGB frame.
void video_frame(VideoPipe &video, const uint8_t *rgb);
// Waits for ffmpeg to finish the file; throws if it failed.
void video_finish(VideoPipe &video);
// After a failure elsewhere: ends ffmpeg at once. Safe to call twice.
void video_abandon(VideoPipe &video);

} // namespace capture
