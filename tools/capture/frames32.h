#pragma once
// demo32 offline: the frames of the replay clock handed to the outputs.
#include <cstdint>

#include "demo32/replay/replay.h"
#include "tools/capture/frame_outputs.h"
#include "tools/capture/progress.h"

namespace capture {

struct Plan32 {
  int32_t fps = 60;
  int64_t first_frame = 0; // frames handed to the outputs
  int64_t last_frame = 0;  // no frame after this one is computed
};

// Runs frames 0, 1, ... up to plan.last_frame or until the end mark has been
// read before a pass, with the clock from the song's chart. Returns the
// number of frames run (the last one is that minus one). Frames from
// plan.first_frame on go to outputs (may be null).
int64_t run_frames32(d32::Replay32 &replay, const d32::SongChart &chart, const Plan32 &plan,
                     FrameOutputs *outputs, Progress *progress);

} // namespace capture
