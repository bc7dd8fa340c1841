#include "tools/capture/video_pipe.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "tools/capture/capture_error.h"
#include "tools/capture/frame_files.h"
#include "tools/capture/yuv_frame.h"

#ifdef _WIN32
constexpr char PATH_SEPARATOR = ';';
#else
#include <unistd.h>
constexpr char PATH_SEPARATOR = ':';
#endif

namespace capture {

namespace fs = std::filesystem;

namespace {

bool executable(const fs::path &p) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec))
    return false;
#ifdef _WIN32
  return true;
#else
  return access(p.c_str(), X_OK) == 0;
#endif
}

} // namespace

std::string find_on_path(const std::string &program) {
  const char *path = std::getenv("PATH");
  if (path == nullptr)
    return "";
  std::string list(path);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(PATH_SEPARATOR, start);
    if (end == std::string::npos)
      end = list.size();
    const std::string dir = list.substr(start, end - start);
    if (!dir.empty()) {
      for (const char *suffix : {"", ".exe"}) {
        const fs::path candidate = fs::path(dir) / (program + suffix);
        if (executable(candidate))
          return candidate.string();
      }
    }
    start = end + 1;
  }
  return "";
}

std::vector<std::string> ffmpeg_arguments(const VideoSettings &s) {
  const std::string size =
      std::to_string(FRAME_WIDTH * s.scale) + "x" + std::to_string(FRAME_HEIGHT * s.scale);
  // What the frames are: BT.709, limited range, sRGB's transfer (the show's
  // colours are sRGB values, converted without touching their gamma).
  const std::vector<std::string> colour = {
      "-color_range",     "tv",    "-colorspace", "bt709",
      "-color_primaries", "bt709", "-color_trc",  "iec61966-2-1"};
  std::vector<std::string> a = {s.ffmpeg, "-hide_banner", "-nostats", "-loglevel", "error", "-y",
                                // the pictures, already enlarged and converted
                                "-f", "rawvideo", "-pixel_format", "yuv420p", "-video_size", size,
                                "-framerate", std::to_string(s.fps)};
  a.insert(a.end(), colour.begin(), colour.end());
  a.insert(a.end(),
           {"-i", "pipe:0",
            // the sound of the same stretch
            "-i", s.audio_path, "-map", "0:v:0", "-map", "1:a:0", "-map_metadata", "-1", "-c:v",
            "libx264", "-preset", s.preset, "-crf", std::to_string(s.crf), "-pix_fmt", "yuv420p"});
  a.insert(a.end(), colour.begin(), colour.end());
  // bitexact: no time, random identifiers or version in the container, so
  // that the same command writes the same file.
  a.insert(a.end(), {"-c:a", "aac", "-b:a", "192k", "-metadata", "comment=" + s.comment, "-fflags",
                     "+bitexact"});
  if (s.container != "matroska") {
    // A file gets its index in front for streaming from the web; a pipe or
    // device, which cannot be rewound, gets a fragmented file.
    a.push_back("-movflags");
    a.push_back(s.seekable ? "+faststart" : "frag_keyframe+empty_moov");
  }
  a.insert(a.end(), {"-f", s.container, s.output});
  return a;
}

void video_start(VideoPipe &video, const VideoSettings &settings) {
  std::fflush(stderr);
  video.frames = 0;
  video.scale = settings.scale;
  child_start(video.child, ffmpeg_arguments(settings));
  video.running = true;
}

void video_frame(VideoPipe &video, const uint8_t *rgb) {
  enlarge_to_yuv420(rgb, FRAME_WIDTH, FRAME_HEIGHT, video.scale, video.yuv);
  if (!child_write(video.child, video.yuv.data(), video.yuv.size())) {
    video_abandon(video);
    fail(EXIT_RUNTIME, "ffmpeg stopped taking frames (see its message above)");
  }
  ++video.frames;
}

void video_finish(VideoPipe &video) {
  video.running = false;
  if (!child_finish(video.child))
    fail(EXIT_RUNTIME, "ffmpeg failed while encoding '" + video.name + "'");
}

void video_abandon(VideoPipe &video) {
  if (video.running)
    child_kill(video.child);
  video.running = false;
}

} // namespace capture
