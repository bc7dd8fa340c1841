#pragma once
// demo8 offline: the frames of its replay (demo8/replay/replay.h) handed to
// the outputs, and its music written from sample 0.
#include <cstdint>

#include "demo8/replay/replay.h"
#include "tools/capture/frame_outputs.h"
#include "tools/capture/progress.h"
#include "tools/capture/wav_writer.h"

namespace capture {

// Draws frames 0..last_frame (fewer if the show ends first); frames from
// first_frame on go to outputs (may be null). Returns the number drawn.
int64_t run_frames8(d8::Replay8 &replay, int64_t first_frame, int64_t last_frame,
                    FrameOutputs *outputs, Progress *progress);

// Renders the music from sample 0 up to end_sample and writes the samples
// from first_sample on to each non-null file.
void render_sound8(int64_t first_sample, int64_t end_sample, WavFile *(&files)[2]);

} // namespace capture
