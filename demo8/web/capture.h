#pragma once
// The page's capture mode: demo8's frames and sound exactly as demo-capture
// computes them, named by their SHA-256. Plain code, driven by the page's
// platform (main.cpp).
#include <cstdint>
#include <string>
#include <vector>

#include "demo8/replay/replay.h"
#include "web/pass_times.h"

namespace web8 {

// Draws frames 0 up to the last one asked for from the start of replay,
// timing each in times, and returns the page's answer (web::capture_answer),
// or "error: ..." when the show ends before a frame asked for.
// replay.pixels then holds the last frame asked for.
std::string capture_frames(d8::Replay8 &replay, const std::vector<int64_t> &frames,
                           web::PassTimes &times);

constexpr int32_t CALLBACK_SAMPLES = 8192; // what the page asks of the audio device

// The SHA-256 of the first n samples of the music (unsigned 8-bit, as in the
// WAV file), rendered in the audio callback's buffers.
std::string audio_hash(int64_t n);

} // namespace web8
