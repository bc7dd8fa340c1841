#pragma once
// demo8 offline, the show's own pass unpaced: frame t is the show's frame t,
// the music 882 samples a frame.
#include <cstdint>

#include "demo8/show/palette.h"
#include "demo8/show/show.h"
#include "demo8/synth/music.h"
#include "tools/capture/frame_outputs.h"
#include "tools/capture/progress.h"
#include "tools/capture/wav_writer.h"

namespace capture {

struct Run8 {
  d8::Show8 show;
  uint8_t pixels[FRAME_PIXELS] = {}; // the screen, pitch 320, cleared at start
  d8::Rgb palette[256] = {};
};

void start_run8(Run8 &run);

// Draws frames 0..last_frame (fewer if the show ends first); frames from
// first_frame on go to outputs (may be null). Returns the number drawn.
int64_t run_frames8(Run8 &run, int64_t first_frame, int64_t last_frame, FrameOutputs *outputs,
                    Progress *progress);

// Renders the music from sample 0 up to end_sample and writes the samples
// from first_sample on to each non-null file.
void render_sound8(int64_t first_sample, int64_t end_sample, WavFile *(&files)[2]);

} // namespace capture
