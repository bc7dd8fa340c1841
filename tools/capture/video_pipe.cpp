#include "tools/capture/video_pipe.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "tools/capture/capture_error.h"
#include "tools/capture/output_files.h"

#ifdef _WIN32
#define capture_popen _popen
#define capture_pclose _pclose
constexpr char PATH_SEPARATOR = ';';
#else
#include <sys/wait.h>
#include <unistd.h>
#define capture_popen popen
#define capture_pclose pclose
constexpr char PATH_SEPARATOR = ':';
#endif

namespace capture {

namespace fs = std::filesystem;

namespace {

constexpr int32_t FRAME_BYTES = 320 * 240 * 3;

bool has_extension(const std::string &path, std::initializer_list<const char *> extensions) {
  std::string ext = fs::path(path).extension().string();
  for (char &c : ext)
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  for (const char *e : extensions)
    if (ext == e)
      return true;
  return false;
}

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
  const std::string width = std::to_string(320 * s.scale);
  const std::string height = std::to_string(240 * s.scale);
  std::vector<std::string> a = {s.ffmpeg, "-hide_banner", "-nostats", "-loglevel", "error", "-y",
                                // the pictures, exactly as rendered
                                "-f", "rawvideo", "-pixel_format", "rgb24", "-video_size",
                                "320x240", "-framerate", std::to_string(s.fps), "-i", "pipe:0",
                                // the sound of the same stretch
                                "-i", s.audio_path, "-map", "0:v:0", "-map", "1:a:0",
                                // pixels become square blocks, no smoothing
                                "-vf", "scale=" + width + ":" + height + ":flags=neighbor",
                                "-sws_flags", "neighbor", "-c:v", "libx264", "-preset", "veryfast",
                                "-crf", "16", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "192k"};
  if (has_extension(s.output, {".mp4", ".m4v", ".mov"})) {
    a.push_back("-movflags");
    a.push_back("+faststart");
  }
  a.push_back(s.output);
  return a;
}

std::string shell_command(const std::vector<std::string> &arguments) {
  std::string command;
  for (const std::string &arg : arguments) {
    if (!command.empty())
      command += ' ';
#ifdef _WIN32
    command += '"' + arg + '"';
#else
    // Single quotes keep everything literal except the quote itself.
    command += '\'';
    for (char c : arg) {
      if (c == '\'')
        command += "'\\''";
      else
        command += c;
    }
    command += '\'';
#endif
  }
  return command;
}

void video_start(VideoPipe &video, const VideoSettings &settings) {
  std::fflush(stderr);
  video.frames = 0;
  video.pipe = capture_popen(shell_command(ffmpeg_arguments(settings)).c_str(),
#ifdef _WIN32
                             "wb"
#else
                             "w"
#endif
  );
  if (video.pipe == nullptr)
    fail(EXIT_RUNTIME, "cannot start ffmpeg: " + std::string(std::strerror(errno)));
}

void video_frame(VideoPipe &video, const uint8_t *rgb) {
  if (std::fwrite(rgb, 1, FRAME_BYTES, video.pipe) != static_cast<size_t>(FRAME_BYTES)) {
    video_abandon(video);
    fail(EXIT_RUNTIME, "ffmpeg stopped taking frames (see its message above)");
  }
  ++video.frames;
}

void video_finish(VideoPipe &video) {
  const int status = capture_pclose(video.pipe);
  video.pipe = nullptr;
#ifdef _WIN32
  const bool ok = status == 0;
#else
  const bool ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
  if (!ok)
    fail(EXIT_RUNTIME, "ffmpeg failed while encoding '" + video.path + "'");
  std::error_code ec;
  if (!fs::is_regular_file(video.partial, ec))
    fail(EXIT_RUNTIME, "ffmpeg wrote no file for '" + video.path + "'");
  fs::rename(video.partial, video.path, ec);
  if (ec)
    fail(EXIT_RUNTIME,
         "cannot rename '" + video.partial + "' to '" + video.path + "': " + ec.message());
  forget_partial(video.partial);
}

void video_abandon(VideoPipe &video) {
  if (video.pipe != nullptr)
    capture_pclose(video.pipe);
  video.pipe = nullptr;
}

} // namespace capture
