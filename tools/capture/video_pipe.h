#pragma once
// Video through ffmpeg: raw RGB frames on its standard input, the soundtrack
// from a finished WAV file, H.264 + AAC out.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace capture {

struct VideoSettings {
  std::string ffmpeg;     // the program to run
  std::string audio_path; // complete WAV of the same stretch
  std::string output;     // where ffmpeg writes (the partial name)
  int32_t fps = 60;
  int32_t scale = 3;
};

struct VideoPipe {
  std::string path;    // final name
  std::string partial; // name while ffmpeg writes it
  FILE *pipe = nullptr;
  int64_t frames = 0;
};

// The full path of program on PATH, or an empty string.
std::string find_on_path(const std::string &program);

// ffmpeg's argument vector (program first) for 320x240 rgb24 frames.
std::vector<std::string> ffmpeg_arguments(const VideoSettings &settings);

// One shell command line with every argument quoted.
std::string shell_command(const std::vector<std::string> &arguments);

void video_start(VideoPipe &video, const VideoSettings &settings);
void video_frame(VideoPipe &video, const uint8_t *rgb);
// Waits for ffmpeg; on success renames the file to its final name.
void video_finish(VideoPipe &video);
// After a failure elsewhere: closes the pipe and lets ffmpeg end.
void video_abandon(VideoPipe &video);

} // namespace capture
