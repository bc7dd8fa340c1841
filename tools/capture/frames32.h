#pragma once
// demo32 on the virtual clock: the offline platform of the show. Frame i runs
// the show's own pass with the music and the effect steps that real time
// would have run by then.
#include <cstdint>

#include "demo32/show/show.h"
#include "tools/capture/frame_outputs.h"
#include "tools/capture/music32.h"
#include "tools/capture/progress.h"

namespace capture {

struct Run32 {
  d32::Show32 show;
  Music32 music;
  uint32_t pixels[FRAME_PIXELS] = {}; // the offscreen surface, never cleared
};

struct Plan32 {
  int32_t fps = 60;
  int64_t first_frame = 0; // frames handed to the outputs
  int64_t last_frame = 0;  // no frame after this one is computed
  bool draw = true;        // false: only the clock runs (for checking it)
};

// Initial state, then the tables built with the seed of the polygon motion.
void start_run32(Run32 &run, uint32_t seed, bool smear);

// Runs frames 0, 1, ... up to plan.last_frame or until the end mark has been
// read before a pass. Returns the number of frames run (the last one is that
// minus one). Frames from plan.first_frame on go to outputs (may be null).
int64_t run_frames32(Run32 &run, const d32::WaveMemory &memory, const Plan32 &plan,
                     FrameOutputs *outputs, Progress *progress);

} // namespace capture
