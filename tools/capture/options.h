#pragma once
// The command line of demo-capture.
#include <cstdint>
#include <string>

namespace capture {

enum class ShowKind { DEMO32, DEMO8 };

constexpr int32_t MAX_PNG_LEVEL = 12;
// Chosen by measuring the whole demo32 show at every level (README.md,
// Performance).
constexpr int32_t DEFAULT_PNG_LEVEL = 3;

struct Options {
  ShowKind show = ShowKind::DEMO32;
  bool help = false;
  bool version = false;
  bool overwrite = false; // -y: existing files may be replaced (once the new ones are complete)

  bool has_range = false; // --frames A-B; without it the whole show
  int64_t first_frame = 0;
  int64_t last_frame = 0;
  int64_t every = 1; // picture files only for every Nth frame of the range

  std::string raw_dir; // empty: not written
  std::string png_dir;
  std::string wav_path;  // "-": standard output
  std::string stems_dir; // demo32 only
  std::string video_path;

  int32_t fps = 60; // demo32 recording rate; demo8 always runs at 25
  bool fps_given = false;
  // Video: enlargement (even, so that every 2x2 colour sample of 4:2:0 lies
  // inside one source pixel), x264 quality and speed.
  int32_t scale = 4;
  int32_t crf = 16;
  std::string preset = "veryfast";
  int32_t png_level = DEFAULT_PNG_LEVEL; // libdeflate's compression level of the PNG files
  int32_t jobs = 0;                      // threads encoding picture files; 0: one per core
  bool seed_given = false;
  uint32_t seed = 0; // seed of the polygon motion
  bool no_smear = false;
  bool quiet = false;
};

constexpr int32_t MAX_FPS = 1000;
constexpr int32_t MAX_SCALE = 16;
constexpr int32_t MAX_CRF = 51;
constexpr int32_t MAX_JOBS = 256;

// The container ffmpeg writes for a video file name, from its extension
// (".mkv", ".mp4", ".mov"); nullptr when the name has none of them.
const char *video_container(const std::string &path);

// Fills options from argv[1..argc). Returns an empty string, or the one-line
// reason why the command line is unusable.
std::string parse_options(int argc, const char *const *argv, Options &options);

// The frame range against the show's last frame; empty string when it fits.
std::string check_range(const Options &options, int64_t show_last_frame);

const char *usage_text();

// The command line that renders the same pictures and sound again, without
// the range: the show and every option that shapes pictures or sound. Written
// into every output file with the range of that file (frames_option).
std::string reproducing_command(const Options &options, uint32_t seed);
std::string frames_option(int64_t first_frame, int64_t last_frame);
// The video options of the same, for the video's own metadata.
std::string video_options_text(const Options &options);

} // namespace capture
