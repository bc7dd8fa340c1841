#include "tools/capture/options.h"

#include <cstring>
#include <filesystem>
#include <string_view>
#include <utility>

#include "tools/capture/version.h"

namespace capture {

namespace {

// Whole non-negative decimal number, no sign, no spaces, at most max.
bool parse_count(std::string_view text, uint64_t max, uint64_t &value) {
  if (text.empty() || text.size() > 20)
    return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (v > (max - digit) / 10)
      return false;
    v = v * 10 + digit;
  }
  value = v;
  return true;
}

bool parse_range(std::string_view text, int64_t &first, int64_t &last) {
  const size_t dash = text.find('-');
  if (dash == std::string_view::npos)
    return false;
  uint64_t a = 0;
  uint64_t b = 0;
  constexpr uint64_t LIMIT = 1000000000; // far beyond either show
  if (!parse_count(text.substr(0, dash), LIMIT, a) || !parse_count(text.substr(dash + 1), LIMIT, b))
    return false;
  first = static_cast<int64_t>(a);
  last = static_cast<int64_t>(b);
  return true;
}

// A positive whole number up to max, for --fps, --scale and --every.
std::string parse_positive(const std::string &name, std::string_view text, int64_t max,
                           int64_t &out) {
  uint64_t v = 0;
  const bool digits = !text.empty() && text.find_first_not_of("0123456789") == text.npos;
  if (!digits || !parse_count(text, UINT64_MAX, v) || v == 0)
    return name + " needs a positive whole number, not '" + std::string(text) + "'";
  if (v > static_cast<uint64_t>(max))
    return name + " " + std::string(text) + " is too large (at most " + std::to_string(max) + ")";
  out = static_cast<int64_t>(v);
  return "";
}

std::string set_path(const std::string &name, std::string_view value, std::string &path) {
  if (!path.empty())
    return name + " given twice";
  if (value.empty())
    return name + " needs a non-empty path";
  if (value == "-" && name != "--wav")
    return name + " cannot go to standard output ('-' is for --wav only)";
  path = std::string(value);
  return "";
}

// "--quiet", "-y": a value like this is a forgotten value, not a file name.
// Plain "-" and negative numbers are not options.
bool looks_like_option(std::string_view value) {
  return value.size() >= 2 && value[0] == '-' && (value[1] < '0' || value[1] > '9');
}

const char *const PRESETS[] = {"ultrafast", "superfast", "veryfast", "faster",   "fast",
                               "medium",    "slow",      "slower",   "veryslow", "placebo"};

} // namespace

std::string parse_options(int argc, const char *const *argv, Options &options) {
  options = Options{};
  bool show_seen = false;
  bool frames_seen = false;
  bool scale_seen = false;
  bool every_seen = false;
  bool crf_seen = false;
  bool preset_seen = false;
  bool jobs_seen = false;
  bool png_level_seen = false;
  for (int k = 1; k < argc; ++k) {
    std::string_view arg = argv[k];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return "";
    }
    if (arg == "--version") {
      options.version = true;
      return "";
    }
    if (arg == "-y") {
      options.overwrite = true;
      continue;
    }
    if (arg.substr(0, 2) != "--") {
      if (show_seen)
        return "unexpected argument '" + std::string(arg) + "'";
      if (arg == "demo32")
        options.show = ShowKind::DEMO32;
      else if (arg == "demo8")
        options.show = ShowKind::DEMO8;
      else
        return "unknown show '" + std::string(arg) + "' (demo32 or demo8)";
      show_seen = true;
      continue;
    }

    // Both "--name value" and "--name=value".
    std::string name(arg);
    std::string_view inline_value;
    bool has_inline = false;
    if (const size_t eq = arg.find('='); eq != std::string_view::npos) {
      name = std::string(arg.substr(0, eq));
      inline_value = arg.substr(eq + 1);
      has_inline = true;
    }

    if (name == "--no-smear" || name == "--quiet" || name == "--overwrite") {
      if (has_inline)
        return name + " takes no value";
      (name == "--quiet"       ? options.quiet
       : name == "--overwrite" ? options.overwrite
                               : options.no_smear) = true;
      continue;
    }

    static const char *const WITH_VALUE[] = {
        "--frames", "--raw",  "--png",   "--wav", "--stems",  "--video", "--fps",
        "--scale",  "--seed", "--every", "--crf", "--preset", "--jobs",  "--png-level"};
    bool known = false;
    for (const char *option : WITH_VALUE)
      known = known || name == option;
    if (!known)
      return "unknown option '" + name + "'";

    std::string_view value = inline_value;
    if (!has_inline) {
      if (k + 1 >= argc)
        return name + " needs a value";
      value = argv[++k];
    }
    if (looks_like_option(value))
      return name + " needs a value, and '" + std::string(value) +
             "' looks like an option (write ./" + std::string(value) + " for a file of that name)";

    std::string error;
    if (name == "--frames") {
      if (frames_seen)
        return "--frames given twice";
      frames_seen = true;
      if (!parse_range(value, options.first_frame, options.last_frame))
        return "--frames needs a range A-B of frame numbers, not '" + std::string(value) + "'";
      if (options.first_frame > options.last_frame)
        return "--frames " + std::string(value) + " is empty (the first frame is after the last)";
      options.has_range = true;
    } else if (name == "--raw") {
      error = set_path(name, value, options.raw_dir);
    } else if (name == "--png") {
      error = set_path(name, value, options.png_dir);
    } else if (name == "--wav") {
      error = set_path(name, value, options.wav_path);
    } else if (name == "--stems") {
      error = set_path(name, value, options.stems_dir);
    } else if (name == "--video") {
      error = set_path(name, value, options.video_path);
      if (error.empty() && video_container(options.video_path) == nullptr)
        return "--video " + std::string(value) +
               ": the name must end in .mkv, .mp4 or .mov, the containers written with "
               "H.264 and AAC";
    } else if (name == "--fps") {
      if (options.fps_given)
        return "--fps given twice";
      int64_t v = 0;
      error = parse_positive(name, value, MAX_FPS, v);
      options.fps = static_cast<int32_t>(v);
      options.fps_given = true;
    } else if (name == "--jobs") {
      if (jobs_seen)
        return "--jobs given twice";
      jobs_seen = true;
      int64_t v = 0;
      error = parse_positive(name, value, MAX_JOBS, v);
      options.jobs = static_cast<int32_t>(v);
    } else if (name == "--scale") {
      if (scale_seen)
        return "--scale given twice";
      scale_seen = true;
      int64_t v = 0;
      error = parse_positive(name, value, MAX_SCALE, v);
      options.scale = static_cast<int32_t>(v);
      if (error.empty() && v % 2 != 0)
        return "--scale " + std::string(value) +
               " is odd: 4:2:0 video stores one colour for every 2x2 pixels, which would "
               "then straddle two pixels of the show; use 2, 4, 6, ...";
    } else if (name == "--crf") {
      if (crf_seen)
        return "--crf given twice";
      crf_seen = true;
      uint64_t v = 0;
      if (!parse_count(value, MAX_CRF, v))
        return "--crf needs a whole number from 0 to 51, not '" + std::string(value) + "'";
      options.crf = static_cast<int32_t>(v);
    } else if (name == "--png-level") {
      if (png_level_seen)
        return "--png-level given twice";
      png_level_seen = true;
      uint64_t v = 0;
      if (!parse_count(value, MAX_PNG_LEVEL, v))
        return "--png-level needs a whole number from 0 to 12, not '" + std::string(value) + "'";
      options.png_level = static_cast<int32_t>(v);
    } else if (name == "--preset") {
      if (preset_seen)
        return "--preset given twice";
      preset_seen = true;
      bool known_preset = false;
      for (const char *preset : PRESETS)
        known_preset = known_preset || value == preset;
      if (!known_preset)
        return "--preset '" + std::string(value) +
               "' is not an x264 preset (ultrafast, superfast, veryfast, faster, fast, medium, "
               "slow, slower, veryslow, placebo)";
      options.preset = std::string(value);
    } else if (name == "--every") {
      if (every_seen)
        return "--every given twice";
      every_seen = true;
      error = parse_positive(name, value, 1000000, options.every);
    } else if (name == "--seed") {
      if (options.seed_given)
        return "--seed given twice";
      uint64_t v = 0;
      if (!parse_count(value, UINT32_MAX, v))
        return "--seed needs a whole number from 0 to 4294967295, not '" + std::string(value) + "'";
      options.seed = static_cast<uint32_t>(v);
      options.seed_given = true;
    }
    if (!error.empty())
      return error;
  }

  if (!show_seen)
    return "which show? the first argument is demo32 or demo8";
  if (options.show == ShowKind::DEMO8) {
    if (!options.stems_dir.empty())
      return "--stems is for demo32 only (demo8 has a single voice stream)";
    if (options.fps_given)
      return "--fps is for demo32 only (demo8 always runs at 25 frames per second)";
    if (options.seed_given)
      return "--seed is for demo32 only (demo8 has no random motion)";
    if (options.no_smear)
      return "--no-smear is for demo32 only";
  }
  if (options.every != 1 && !options.video_path.empty())
    return "--every thins out picture files only; it cannot be used with --video";
  // An option that would change nothing is a mistake to point out, not to pass over.
  if (options.video_path.empty())
    for (const auto &[seen, option] :
         {std::pair{scale_seen, "--scale"}, std::pair{crf_seen, "--crf"},
          std::pair{preset_seen, "--preset"}})
      if (seen)
        return std::string(option) + " is a setting of the video; without --video it does nothing";
  if (options.png_dir.empty() && png_level_seen)
    return "--png-level sets the compression of the --png files; without them it does nothing";
  if (options.raw_dir.empty() && options.png_dir.empty()) {
    if (every_seen)
      return "--every thins out the --png and --raw files; without them it does nothing";
    if (jobs_seen)
      return "--jobs sets the threads that encode the --png and --raw files; without them it "
             "does nothing";
  }
  return "";
}

std::string check_range(const Options &options, int64_t show_last_frame) {
  if (!options.has_range)
    return "";
  if (options.last_frame > show_last_frame)
    return "--frames " + std::to_string(options.first_frame) + "-" +
           std::to_string(options.last_frame) + " is outside the show (frames 0-" +
           std::to_string(show_last_frame) + ")";
  return "";
}

const char *video_container(const std::string &path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char &c : ext)
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (ext == ".mkv")
    return "matroska";
  if (ext == ".mp4")
    return "mp4";
  if (ext == ".mov")
    return "mov";
  return nullptr;
}

const char *usage_text() {
  return "usage: demo-capture demo32|demo8 [options]\n"
         "Renders a show offline, frame by frame, with a virtual clock. Without any of\n"
         "--raw, --png, --wav, --stems or --video it is a speed test: it renders every\n"
         "frame, writes nothing and prints how long that took.\n"
         "\n"
         "  --frames A-B    only frames A to B (the show is still computed from frame 0)\n"
         "  --raw DIR       DIR/frame_NNNNN.raw: the exact pixel memory of each frame\n"
         "  --png DIR       DIR/frame_NNNNN.png: each frame as 8-bit RGB\n"
         "  --png-level N   PNG compression, 0 (none) to 12 (smallest, slowest; default 3)\n"
         "  --every N       picture files only for every Nth frame of the range (N up to\n"
         "                  1000000)\n"
         "  --wav FILE      the soundtrack of the range ('-': standard output)\n"
         "  --stems DIR     demo32: DIR/voice_NN.wav, each voice's share of the mix\n"
         "  --video FILE    picture and sound through ffmpeg, H.264 + AAC; FILE ends in\n"
         "                  .mkv, .mp4 or .mov\n"
         "  --scale N       video enlargement with sharp pixels, even (default 4: 1280x960)\n"
         "  --crf N         video quality, 0 (lossless) to 51 (default 16)\n"
         "  --preset NAME   x264 speed against size, ultrafast to placebo (default veryfast)\n"
         "  --jobs N        threads that encode the picture files, 1 to 256 (default: one\n"
         "                  per core)\n"
         "  --fps N         demo32 recording rate, 1 to 1000 (default 60); demo8 is always 25\n"
         "  --seed N        demo32 random seed of the polygon motion (default: the time)\n"
         "  --no-smear      demo32 without the smear filter, as its -2005 switch\n"
         "  -y, --overwrite replace existing files (without it they are refused)\n"
         "  --quiet         no progress line\n"
         "  --version       print the version\n"
         "\n"
         "Files appear only when the whole run has succeeded, all together; an interrupted\n"
         "or failed run leaves every existing file as it was, and the next run into a folder\n"
         "puts back what a killed run left. Links are followed; devices and FIFOs are\n"
         "written in place. Every file records the command that makes it again.\n";
}

std::string reproducing_command(const Options &o, uint32_t seed) {
  if (o.show == ShowKind::DEMO8)
    return "demo-capture demo8";
  return "demo-capture demo32 --fps " + std::to_string(o.fps) + " --seed " + std::to_string(seed) +
         (o.no_smear ? " --no-smear" : "");
}

std::string frames_option(int64_t first_frame, int64_t last_frame) {
  return " --frames " + std::to_string(first_frame) + "-" + std::to_string(last_frame);
}

std::string video_options_text(const Options &o) {
  return "--scale " + std::to_string(o.scale) + " --crf " + std::to_string(o.crf) + " --preset " +
         o.preset;
}

} // namespace capture
