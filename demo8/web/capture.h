#pragma once
// The page's capture mode and its starts at a given frame: demo8's frames
// and sound exactly as demo-capture computes them. Plain code, driven by the
// page's platform (main.cpp).
#include <cstdint>
#include <string>
#include <vector>

#include "demo8/replay/replay.h"
#include "demo8/show/show.h"
#include "demo8/synth/music.h"
#include "web/pass_times.h"

namespace web8 {

constexpr int32_t BLOCK_SAMPLES = 1024; // what the page renders at a time, 46 ms
// The music of the whole show, as demo-capture's soundtrack holds it.
constexpr int64_t SHOW_SAMPLES = int64_t{d8::LAST_FRAME + 1} * d8::SAMPLES_PER_FRAME;

// Draws frames 0 up to the last one asked for from the start of replay,
// timing each in times, and returns the page's answer (web::capture_answer),
// or "error: ..." when the show ends before a frame asked for.
// replay.pixels then holds the last frame asked for.
std::string capture_frames(d8::Replay8 &replay, const std::vector<int64_t> &frames,
                           web::PassTimes &times);

// A show started (d8::start_show) and its music at sample 0 go on to frame
// `frame` (0 to LAST_FRAME) as if they had played up to it: frames 0 to
// frame - 1 are drawn into pixels, unseen, and the music rendered up to
// where frame starts. The next pass draws frame `frame`.
void skip_to_frame(d8::Show8 &show, d8::Music &music, uint8_t *pixels, int32_t frame);

// The SHA-256 of the first n samples of the music (unsigned 8-bit, as in the
// WAV file), rendered in the page's blocks; an "error: ..." past the show.
std::string audio_hash(int64_t n);

} // namespace web8
