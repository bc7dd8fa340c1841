#include "tools/capture/session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "tools/capture/capture_error.h"
#include "tools/capture/frames32.h"
#include "tools/capture/music32.h"
#include "tools/capture/output_files.h"
#include "tools/capture/show8.h"

namespace capture {

namespace {

// The stretch of the show to write, in frames and in samples.
struct Stretch {
  int64_t first_frame;
  int64_t last_frame;
  int64_t first_sample;
  int64_t end_sample; // one past the last
  int32_t fps;
};

// Every place named on the command line, checked before anything is made.
struct Targets {
  FileTarget wav;
  FileTarget video;
  FolderTarget raw;
  FolderTarget png;
  FolderTarget stems;
  std::string ffmpeg; // empty: no video
};

struct Outputs {
  FrameOutputs frames;
  FramePool pool;
  WavFile wav;
  WavFile stems[d32::VOICES];
  bool stems_on = false;
  VideoPipe video;
  OutputFile video_file;
  WavFile video_sound; // the soundtrack ffmpeg reads, removed afterwards
  bool video_to_file = false;
};

bool wants_sound(const Options &o) {
  return !o.wav_path.empty() || !o.stems_dir.empty() || !o.video_path.empty();
}

bool writes_anything(const Options &o) {
  return wants_sound(o) || !o.raw_dir.empty() || !o.png_dir.empty();
}

Stretch stretch_of(const Options &o, int64_t show_last_frame, int32_t fps) {
  if (const std::string error = check_range(o, show_last_frame); !error.empty())
    fail(EXIT_USAGE, error);
  Stretch s{};
  s.fps = fps;
  s.first_frame = o.has_range ? o.first_frame : 0;
  s.last_frame = o.has_range ? o.last_frame : show_last_frame;
  return s;
}

std::vector<std::string> frame_names(const Stretch &s, int64_t every, const char *extension) {
  std::vector<std::string> names;
  for (int64_t f = s.first_frame; f <= s.last_frame; f += every)
    names.push_back(std::filesystem::path(frame_path("", f, extension)).filename().string());
  return names;
}

std::string voice_name(int32_t v) {
  return std::filesystem::path(numbered_path("", "voice_", v, 2, ".wav")).filename().string();
}

// Everything that can be refused is refused here, before anything is made.
Targets check_targets(const Options &o, const Stretch &s) {
  Targets t;
  if (!o.video_path.empty()) {
    t.ffmpeg = find_on_path("ffmpeg");
    if (t.ffmpeg.empty())
      fail(EXIT_USAGE, "--video needs ffmpeg, which is not on the PATH");
    t.video = check_file_target(o.video_path, "--video");
  }
  if (!o.raw_dir.empty())
    t.raw = check_folder_target(o.raw_dir, "--raw", frame_names(s, o.every, ".raw"));
  if (!o.png_dir.empty())
    t.png = check_folder_target(o.png_dir, "--png", frame_names(s, o.every, ".png"));
  if (!o.stems_dir.empty()) {
    std::vector<std::string> names;
    for (int32_t v = 0; v < d32::VOICES; ++v)
      names.push_back(voice_name(v));
    t.stems = check_folder_target(o.stems_dir, "--stems", names);
  }
  if (!o.wav_path.empty())
    t.wav = check_file_target(o.wav_path, "--wav");
  claim_targets({&t.wav, &t.video}, {&t.raw, &t.png, &t.stems}, o.overwrite);
  return t;
}

void open_outputs(Outputs &out, Targets &t, const Options &o, const Stretch &s, int32_t rate,
                  int32_t bits, size_t raw_bytes, const std::string &command) {
  const int64_t samples = s.end_sample - s.first_sample;
  const std::string comment = command + frames_option(s.first_frame, s.last_frame);
  if (!o.raw_dir.empty())
    open_folder(t.raw);
  if (!o.png_dir.empty())
    open_folder(t.png);
  if (!o.stems_dir.empty()) {
    open_folder(t.stems);
    for (int32_t v = 0; v < d32::VOICES; ++v) {
      open_in_folder(out.stems[v].out, t.stems, voice_name(v));
      wav_start(out.stems[v], rate, bits, samples, comment + " (voice " + std::to_string(v) + ")");
    }
    out.stems_on = true;
  }
  if (!o.wav_path.empty()) {
    open_output(out.wav.out, t.wav);
    wav_start(out.wav, rate, bits, samples, comment);
  }
  if (!t.ffmpeg.empty()) {
    out.video.name = o.video_path;
    reserve_output(out.video_file, t.video);
    out.video_to_file = !t.video.stream;
    open_scratch(out.video_sound.out, t.video, "sound.wav");
    wav_start(out.video_sound, rate, bits, samples, comment);
  }

  out.frames.first_frame = s.first_frame;
  out.frames.every = o.every;
  out.pool.raw_dir = t.raw.staging;
  out.pool.png_dir = t.png.staging;
  out.pool.command = command;
  out.pool.png_level = o.png_level;
  if (!out.pool.raw_dir.empty() || !out.pool.png_dir.empty()) {
    pool_start(out.pool, default_jobs(o.jobs), raw_bytes);
    out.frames.pool = &out.pool;
  }
}

void start_video(Outputs &out, const Targets &t, const Options &o, const Stretch &s,
                 const std::string &command) {
  if (t.ffmpeg.empty())
    return;
  // The video's sound is complete: ffmpeg reads it as an ordinary file.
  wav_end(out.video_sound);
  VideoSettings settings;
  settings.ffmpeg = t.ffmpeg;
  settings.audio_path = out.video_sound.out.written;
  settings.output = out.video_file.written;
  settings.container = video_container(o.video_path);
  settings.seekable = !t.video.stream;
  settings.comment =
      command + frames_option(s.first_frame, s.last_frame) + " " + video_options_text(o);
  settings.fps = s.fps;
  settings.scale = o.scale;
  settings.crf = o.crf;
  settings.preset = o.preset;
  video_start(out.video, settings);
  out.frames.video = &out.video;
}

// Completes every file, then moves them all into place together.
void finish_outputs(Outputs &out) {
  if (out.frames.pool != nullptr) {
    pool_finish(out.pool);
    out.frames.pool = nullptr;
  }
  if (out.frames.video != nullptr) {
    video_finish(out.video);
    out.frames.video = nullptr;
    remove_scratch(out.video_sound.out);
    close_output(out.video_file);
    std::error_code ec;
    const auto size = std::filesystem::file_size(out.video_file.written, ec);
    if (out.video_to_file && (ec || size == 0))
      fail(EXIT_RUNTIME, "ffmpeg ended without writing '" + out.video.name + "'");
  }
  if (out.wav.out.file != nullptr)
    wav_end(out.wav);
  if (out.stems_on)
    for (WavFile &stem : out.stems)
      wav_end(stem);
  commit_outputs();
}

void check_frames(int64_t run, const Stretch &s) {
  if (run != s.last_frame + 1)
    fail(EXIT_RUNTIME, "the show ended after frame " + std::to_string(run - 1) + ", not at frame " +
                           std::to_string(s.last_frame) + " as expected");
}

void report(const Options &o, const char *show, const Stretch &s, const std::string &extra) {
  if (o.quiet)
    return;
  std::fprintf(stderr, "%s: frames %lld-%lld at %d fps, samples %lld-%lld%s\n", show,
               static_cast<long long>(s.first_frame), static_cast<long long>(s.last_frame), s.fps,
               static_cast<long long>(s.first_sample), static_cast<long long>(s.end_sample - 1),
               extra.c_str());
}

// A run that writes nothing measures the rendering; its time is its result,
// so it is printed even with --quiet.
void report_speed(const char *show, const Stretch &s, std::chrono::steady_clock::duration took) {
  const double seconds = std::chrono::duration<double>(took).count();
  const int64_t frames = s.last_frame + 1;
  const double show_seconds = static_cast<double>(frames) / s.fps;
  std::printf("%s: %lld frames (%.2f s of show) rendered in %.3f s, %.1fx real time\n", show,
              static_cast<long long>(frames), show_seconds, seconds,
              seconds > 0 ? show_seconds / seconds : 0.0);
  std::fflush(stdout);
}

void capture32(const Options &o, Outputs &out) {
  // The pictures take the music's clock from the chart; the samples are
  // rendered once, for the sound files only.
  auto chart = std::make_unique<d32::SongChart>();
  d32::chart_song(*chart);
  const int64_t end_sample = chart->end_sample;
  if (end_sample < 0)
    fail(EXIT_RUNTIME, "the song has no end mark, so the show would never end");
  Stretch s = stretch_of(o, d32::last_frame_before(end_sample, o.fps), o.fps);
  s.first_sample = d32::sample_of_frame(s.first_frame, o.fps);
  // After the last frame the sound runs on to the end mark, not past it.
  s.end_sample = std::min(d32::sample_of_frame(s.last_frame + 1, o.fps), end_sample);

  Targets targets = check_targets(o, s);
  const uint32_t seed = o.seed_given ? o.seed : static_cast<uint32_t>(std::time(nullptr));
  const std::string command = reproducing_command(o, seed);
  open_outputs(out, targets, o, s, d32::SAMPLE_RATE, 16, RAW32_BYTES, command);

  if (wants_sound(o)) {
    auto memory = std::make_unique<d32::WaveMemory>();
    d32::build_wave_memory(*memory);
    auto music = std::make_unique<d32::ReplayMusic>();
    Sound32Outputs sound;
    sound.mix[0] = o.wav_path.empty() ? nullptr : &out.wav;
    sound.mix[1] = targets.ffmpeg.empty() ? nullptr : &out.video_sound;
    sound.stems = out.stems_on ? out.stems : nullptr;
    sound.first_sample = s.first_sample;
    advance_music(*music, *memory, s.end_sample, &sound);
    if (music->samples != s.end_sample)
      fail(EXIT_RUNTIME, "the music ended at sample " + std::to_string(music->samples) +
                             " instead of " + std::to_string(s.end_sample));
  }
  start_video(out, targets, o, s, command);

  // Pictures also when nothing is written at all: then the run is a speed test.
  const bool pictures = wants_pictures(out.frames) || !wants_sound(o);
  if (pictures) {
    const auto started = std::chrono::steady_clock::now();
    auto replay = std::make_unique<d32::Replay32>();
    d32::start_replay(*replay, seed, !o.no_smear);
    Plan32 plan;
    plan.fps = o.fps;
    plan.first_frame = s.first_frame;
    plan.last_frame = s.last_frame;
    Progress progress;
    progress_start(progress, s.last_frame + 1, o.fps, o.quiet);
    const int64_t run_frames = run_frames32(*replay, *chart, plan, &out.frames, &progress);
    progress_finish(progress, run_frames);
    check_frames(run_frames, s);
    if (!writes_anything(o))
      report_speed("demo32", s, std::chrono::steady_clock::now() - started);
  }
  finish_outputs(out);
  report(o, "demo32", s, pictures ? ", seed " + std::to_string(seed) : "");
}

void capture8(const Options &o, Outputs &out) {
  const int32_t fps = d8::REPLAY_FPS;
  Stretch s = stretch_of(o, d8::LAST_FRAME, fps);
  s.first_sample = int64_t{d8::SAMPLES_PER_FRAME} * s.first_frame;
  s.end_sample = int64_t{d8::SAMPLES_PER_FRAME} * (s.last_frame + 1);

  Targets targets = check_targets(o, s);
  const std::string command = reproducing_command(o, 0);
  open_outputs(out, targets, o, s, d8::MUSIC_RATE, 8, RAW8_BYTES, command);

  if (wants_sound(o)) {
    WavFile *files[2] = {o.wav_path.empty() ? nullptr : &out.wav,
                         targets.ffmpeg.empty() ? nullptr : &out.video_sound};
    render_sound8(s.first_sample, s.end_sample, files);
  }
  start_video(out, targets, o, s, command);

  const bool pictures = wants_pictures(out.frames) || !wants_sound(o);
  if (pictures) {
    const auto started = std::chrono::steady_clock::now();
    auto replay = std::make_unique<d8::Replay8>();
    d8::start_replay(*replay);
    Progress progress;
    progress_start(progress, s.last_frame + 1, fps, o.quiet);
    const int64_t run_frames =
        run_frames8(*replay, s.first_frame, s.last_frame, &out.frames, &progress);
    progress_finish(progress, run_frames);
    check_frames(run_frames, s);
    if (!writes_anything(o))
      report_speed("demo8", s, std::chrono::steady_clock::now() - started);
  }
  finish_outputs(out);
  report(o, "demo8", s, "");
}

} // namespace

void run_capture(const Options &o) {
  auto out = std::make_unique<Outputs>();
  try {
    if (o.show == ShowKind::DEMO32)
      capture32(o, *out);
    else
      capture8(o, *out);
  } catch (...) {
    // No worker may still write into a staging folder while it is removed,
    // nor ffmpeg into its file, and open files cannot be removed everywhere.
    pool_abandon(out->pool);
    video_abandon(out->video);
    close_quietly(out->wav.out);
    close_quietly(out->video_sound.out);
    for (WavFile &stem : out->stems)
      close_quietly(stem.out);
    throw;
  }
}

} // namespace capture
