#include "tools/capture/progress.h"

#include <cstdio>

#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define capture_isatty _isatty
#define capture_fileno _fileno
#else
#include <sys/ioctl.h>
#include <unistd.h>
#define capture_isatty isatty
#define capture_fileno fileno
#endif

namespace capture {

namespace {

bool line_open = false; // a progress line is on the terminal without its newline

// m:ss.cc from whole hundredths, so frame times print exactly.
std::string show_time(int64_t centiseconds) {
  char text[32];
  std::snprintf(
      text, sizeof text, "%lld:%02lld.%02lld", static_cast<long long>(centiseconds / 6000),
      static_cast<long long>(centiseconds / 100 % 60), static_cast<long long>(centiseconds % 100));
  return text;
}

std::string minutes_seconds(double seconds) {
  const auto whole = static_cast<int64_t>(seconds < 0 ? 0 : seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(whole / 60),
                static_cast<long long>(whole % 60));
  return text;
}

void draw(Progress &p, int64_t frames_done, std::chrono::steady_clock::time_point now) {
  const double elapsed = std::chrono::duration<double>(now - p.start).count();
  std::fprintf(
      stderr, "\r%s\x1b[K",
      progress_line(frames_done, p.total_frames, p.fps, elapsed, terminal_width()).c_str());
  std::fflush(stderr);
  p.last_shown = now;
  p.shown = true;
  line_open = true;
}

} // namespace

std::string progress_line(int64_t frames_done, int64_t total_frames, int32_t fps,
                          double elapsed_seconds, int width) {
  const double show_seconds = static_cast<double>(frames_done) / fps;
  std::vector<std::string> parts = {"frame " + std::to_string(frames_done) + "/" +
                                        std::to_string(total_frames),
                                    "show " + show_time(frames_done * 100 / fps)};
  if (elapsed_seconds > 0 && frames_done > 0) {
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.1fx", show_seconds / elapsed_seconds);
    parts.push_back(speed);
    const double left =
        elapsed_seconds * static_cast<double>(total_frames - frames_done) / frames_done;
    parts.push_back("left " + minutes_seconds(left));
  }
  // The last column stays free: writing into it wraps on some terminals.
  const size_t room = width > 1 ? static_cast<size_t>(width - 1) : 0;
  std::string line = parts[0].substr(0, room);
  for (size_t i = 1; i < parts.size() && line.size() + 2 + parts[i].size() <= room; ++i)
    line += "  " + parts[i];
  return line;
}

int terminal_width() {
#ifdef _WIN32
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
    return info.srWindow.Right - info.srWindow.Left + 1;
#else
  struct winsize size = {};
  if (ioctl(capture_fileno(stderr), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    return size.ws_col;
#endif
  return 80;
}

void progress_start(Progress &p, int64_t total_frames, int32_t fps, bool quiet) {
  p = Progress{};
  p.enabled = !quiet && capture_isatty(capture_fileno(stderr)) != 0;
  p.total_frames = total_frames;
  p.fps = fps;
  p.start = std::chrono::steady_clock::now();
}

void progress_update(Progress &p, int64_t frames_done) {
  if (!p.enabled)
    return;
  const auto now = std::chrono::steady_clock::now();
  if (p.shown && now - p.last_shown < std::chrono::milliseconds(100))
    return;
  draw(p, frames_done, now);
}

void progress_finish(Progress &p, int64_t frames_done) {
  if (!p.enabled)
    return;
  draw(p, frames_done, std::chrono::steady_clock::now());
  std::fputc('\n', stderr);
  line_open = false;
}

void progress_interrupted() {
  if (line_open)
    std::fputc('\n', stderr);
  line_open = false;
}

} // namespace capture
