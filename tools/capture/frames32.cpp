#include "tools/capture/frames32.h"

#include "tools/capture/interrupt.h"

namespace capture {

int64_t run_frames32(d32::Replay32 &replay, const d32::SongChart &chart, const Plan32 &plan,
                     FrameOutputs *outputs, Progress *progress) {
  int64_t i = 0;
  for (; i <= plan.last_frame; ++i) {
    check_interrupt();
    if (!d32::replay_charted_frame(replay, chart, plan.fps, i))
      break;
    if (outputs != nullptr && i >= plan.first_frame)
      emit_frame32(*outputs, i, replay.pixels);
    if (progress != nullptr)
      progress_update(*progress, i + 1);
  }
  return i;
}

} // namespace capture
