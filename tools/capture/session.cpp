#include "tools/capture/session.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "tools/capture/capture_error.h"
#include "tools/capture/frames32.h"
#include "tools/capture/output_files.h"
#include "tools/capture/show8.h"
#include "tools/capture/virtual_clock.h"

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

struct Outputs {
  FrameOutputs frames;
  WavFile wav;
  WavFile stems[d32::VOICES];
  bool stems_on = false;
  VideoPipe video;
  WavFile video_sound; // the soundtrack ffmpeg reads, removed afterwards
  std::string ffmpeg;  // empty: no video
};

bool wants_sound(const Options &o) {
  return !o.wav_path.empty() || !o.stems_dir.empty() || !o.video_path.empty();
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

// Everything that can be refused is refused here, before any rendering.
void open_outputs(Outputs &out, const Options &o, const Stretch &s, int32_t rate, int32_t bits) {
  if (!o.video_path.empty()) {
    out.ffmpeg = find_on_path("ffmpeg");
    if (out.ffmpeg.empty())
      fail(EXIT_RUNTIME, "--video needs ffmpeg, which is not on the PATH");
  }
  if (!o.raw_dir.empty())
    prepare_directory(o.raw_dir, "--raw");
  if (!o.png_dir.empty())
    prepare_directory(o.png_dir, "--png");
  if (!o.stems_dir.empty())
    prepare_directory(o.stems_dir, "--stems");

  if (!o.wav_path.empty())
    wav_open(out.wav, o.wav_path, rate, bits);
  if (!o.stems_dir.empty()) {
    for (int32_t v = 0; v < d32::VOICES; ++v)
      wav_open(out.stems[v], numbered_path(o.stems_dir, "voice_", v, 2, ".wav"), rate, bits);
    out.stems_on = true;
  }
  if (!out.ffmpeg.empty()) {
    out.video.path = o.video_path;
    // Probe the video's place now; ffmpeg itself only starts after the sound.
    FILE *probe = open_partial(o.video_path, out.video.partial);
    std::fclose(probe);
    const std::string sound = partial_path(o.video_path + ".wav");
    wav_open(out.video_sound, sound, rate, bits);
  }

  out.frames.raw_dir = o.raw_dir;
  out.frames.png_dir = o.png_dir;
  out.frames.first_frame = s.first_frame;
  out.frames.every = o.every;
}

void start_video(Outputs &out, const Options &o, int32_t fps) {
  if (out.ffmpeg.empty())
    return;
  // The video's sound is complete: ffmpeg reads it as an ordinary file.
  wav_finish(out.video_sound);
  remember_partial(out.video_sound.path);
  VideoSettings settings;
  settings.ffmpeg = out.ffmpeg;
  settings.audio_path = out.video_sound.path;
  settings.output = out.video.partial;
  settings.fps = fps;
  settings.scale = o.scale;
  video_start(out.video, settings);
  out.frames.video = &out.video;
}

void finish_outputs(Outputs &out) {
  if (out.frames.video != nullptr) {
    video_finish(out.video);
    out.frames.video = nullptr;
    std::remove(out.video_sound.path.c_str());
    forget_partial(out.video_sound.path);
  }
  if (!out.wav.path.empty())
    wav_finish(out.wav);
  if (out.stems_on)
    for (WavFile &stem : out.stems)
      wav_finish(stem);
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

void capture32(const Options &o, Outputs &out) {
  auto memory = std::make_unique<d32::WaveMemory>();
  d32::build_wave_memory(*memory);

  const int64_t end_sample = find_end_sample();
  if (end_sample < 0)
    fail(EXIT_RUNTIME, "the song has no end mark, so the show would never end");
  Stretch s = stretch_of(o, last_frame_before(end_sample, o.fps), o.fps);
  s.first_sample = sample_of_frame(s.first_frame, o.fps);
  // After the last frame the sound runs on to the end mark, not past it.
  s.end_sample = std::min(sample_of_frame(s.last_frame + 1, o.fps), end_sample);

  open_outputs(out, o, s, static_cast<int32_t>(MUSIC32_RATE), 16);

  if (wants_sound(o)) {
    auto music = std::make_unique<Music32>();
    Sound32Outputs sound;
    sound.mix[0] = o.wav_path.empty() ? nullptr : &out.wav;
    sound.mix[1] = out.ffmpeg.empty() ? nullptr : &out.video_sound;
    sound.stems = out.stems_on ? out.stems : nullptr;
    sound.first_sample = s.first_sample;
    advance_music(*music, *memory, s.end_sample, &sound);
    if (music->samples != s.end_sample)
      fail(EXIT_RUNTIME, "the music ended at sample " + std::to_string(music->samples) +
                             " instead of " + std::to_string(s.end_sample));
  }
  start_video(out, o, o.fps);

  const uint32_t seed = o.seed_given ? o.seed : static_cast<uint32_t>(std::time(nullptr));
  // Pictures also when nothing is written at all: then the run is a speed test.
  const bool pictures = wants_pictures(out.frames) || !wants_sound(o);
  if (pictures) {
    auto run = std::make_unique<Run32>();
    start_run32(*run, seed, !o.no_smear);
    Plan32 plan;
    plan.fps = o.fps;
    plan.first_frame = s.first_frame;
    plan.last_frame = s.last_frame;
    Progress progress;
    progress_start(progress, s.last_frame + 1, o.fps, o.quiet);
    const int64_t run_frames = run_frames32(*run, *memory, plan, &out.frames, &progress);
    progress_finish(progress, run_frames);
    check_frames(run_frames, s);
  }
  finish_outputs(out);
  report(o, "demo32", s, pictures ? ", seed " + std::to_string(seed) : "");
}

void capture8(const Options &o, Outputs &out) {
  const auto fps = static_cast<int32_t>(DEMO8_FPS);
  Stretch s = stretch_of(o, d8::LAST_FRAME, fps);
  s.first_sample = DEMO8_SAMPLES_PER_FRAME * s.first_frame;
  s.end_sample = DEMO8_SAMPLES_PER_FRAME * (s.last_frame + 1);

  open_outputs(out, o, s, d8::MUSIC_RATE, 8);

  if (wants_sound(o)) {
    WavFile *files[2] = {o.wav_path.empty() ? nullptr : &out.wav,
                         out.ffmpeg.empty() ? nullptr : &out.video_sound};
    render_sound8(s.first_sample, s.end_sample, files);
  }
  start_video(out, o, fps);

  const bool pictures = wants_pictures(out.frames) || !wants_sound(o);
  if (pictures) {
    auto run = std::make_unique<Run8>();
    start_run8(*run);
    Progress progress;
    progress_start(progress, s.last_frame + 1, fps, o.quiet);
    const int64_t run_frames =
        run_frames8(*run, s.first_frame, s.last_frame, &out.frames, &progress);
    progress_finish(progress, run_frames);
    check_frames(run_frames, s);
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
    // ffmpeg must not keep the half-made video open while it is removed.
    video_abandon(out->video);
    throw;
  }
}

} // namespace capture
