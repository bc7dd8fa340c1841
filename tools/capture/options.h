#pragma once
// The command line of demo-capture.
#include <cstdint>
#include <string>

namespace capture {

enum class ShowKind { DEMO32, DEMO8 };

struct Options {
  ShowKind show = ShowKind::DEMO32;
  bool help = false;

  bool has_range = false; // --frames A-B; without it the whole show
  int64_t first_frame = 0;
  int64_t last_frame = 0;
  int64_t every = 1; // picture files only for every Nth frame of the range

  std::string raw_dir; // empty: not written
  std::string png_dir;
  std::string wav_path;
  std::string stems_dir; // demo32 only
  std::string video_path;

  int32_t fps = 60; // demo32 recording rate; demo8 always runs at 25
  bool fps_given = false;
  int32_t scale = 3; // video picture enlargement
  bool seed_given = false;
  uint32_t seed = 0; // std::srand seed of the polygon motion
  bool no_smear = false;
  bool quiet = false;
};

constexpr int32_t MAX_FPS = 1000;
constexpr int32_t MAX_SCALE = 16;

// Fills options from argv[1..argc). Returns an empty string, or the one-line
// reason why the command line is unusable.
std::string parse_options(int argc, const char *const *argv, Options &options);

// The frame range against the show's last frame; empty string when it fits.
std::string check_range(const Options &options, int64_t show_last_frame);

const char *usage_text();

} // namespace capture
