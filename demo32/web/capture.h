#pragma once
// The page's capture mode: demo32's frames and sound exactly as demo-capture
// computes them, named by their SHA-256. Plain code, driven by the page's
// platform (main.cpp).
#include <cstdint>
#include <string>
#include <vector>

#include "demo32/replay/replay.h"
#include "demo32/synth/synth.h"
#include "demo32/web/sound.h"
#include "web/pass_times.h"

namespace web32 {

struct CaptureRequest {
  std::vector<int64_t> frames; // in the order asked
  uint32_t seed = 0;
  bool smear = true;
  int32_t fps = 60;
};

// Runs frames 0 up to the last one asked for from the start of replay, the
// music's clock taken from the song's chart as demo-capture does for its
// pictures, timing each frame in times, and returns the page's answer
// (web::capture_answer), or "error: ..." when the show ends before a frame
// asked for. replay.pixels then holds the last frame asked for.
std::string capture_frames(d32::Replay32 &replay, const d32::SongChart &chart,
                           const CaptureRequest &request, web::PassTimes &times);

// The SHA-256 of the first n samples of the mix, 16-bit little-endian as in
// the soundtrack's WAV file, rendered as the playing page renders them, in
// blocks from the start of sound (whose wave tables must be built). An
// "error: ..." when the song ends before sample n.
std::string audio_hash(Sound32 &sound, int64_t n);

} // namespace web32
