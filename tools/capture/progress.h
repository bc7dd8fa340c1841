#pragma once
// The progress line on stderr: frame, show time, speed against real time and
// the time left. Shown only on a terminal.
#include <chrono>
#include <cstdint>
#include <string>

namespace capture {

struct Progress {
  bool enabled = false;
  int64_t total_frames = 0; // frames to compute, from frame 0
  int32_t fps = 60;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point last_shown;
  bool shown = false;
};

// Enabled when stderr is a terminal and the user did not ask for quiet.
void progress_start(Progress &progress, int64_t total_frames, int32_t fps, bool quiet);
// frames_done frames of the show are computed; redraws at most 10 times a second.
void progress_update(Progress &progress, int64_t frames_done);
void progress_finish(Progress &progress, int64_t frames_done);
// Ends a progress line left open by a failure, so a message starts clean.
void progress_interrupted();

// The text of the line, for given elapsed seconds (no terminal codes), in
// fewer than width columns: the parts at the end are left out, then the rest
// is cut, so that the line never wraps on a narrow terminal.
std::string progress_line(int64_t frames_done, int64_t total_frames, int32_t fps,
                          double elapsed_seconds, int width = 1000);

// Columns of the terminal on stderr (80 if unknown).
int terminal_width();

} // namespace capture
