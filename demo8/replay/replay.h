#pragma once
// demo8 replayed frame by frame for a recording: frame t is the show's frame
// t, drawn by its own pass without waiting for deadlines, and each frame
// holds 882 samples of the music (22,050 Hz at 25 frames a second). The
// capture tool and the web page's capture mode both run on it.
#include <cstdint>

#include "demo8/show/palette.h"
#include "demo8/show/show.h"
#include "demo8/synth/music.h"

namespace d8 {

constexpr int32_t REPLAY_FPS = 1000 / FRAME_MS;
constexpr int32_t SAMPLES_PER_FRAME = MUSIC_RATE / REPLAY_FPS;
static_assert(SAMPLES_PER_FRAME * REPLAY_FPS == MUSIC_RATE && REPLAY_FPS * FRAME_MS == 1000);

struct Replay8 {
  Show8 show;
  uint8_t pixels[SCREEN_WIDTH * SCREEN_HEIGHT] = {}; // the screen, pitch 320, cleared at start
  Rgb palette[256] = {};                             // what the indices look like
};

// The show's tables and palette built, the screen cleared, frame 0 next.
void start_replay(Replay8 &replay);

// Draws the next frame (show.frame before the call). False when the show was
// already over and nothing was drawn; the show ends after frame 1567 or
// earlier only by a key, which a replay never has.
bool replay_frame(Replay8 &replay);

} // namespace d8
