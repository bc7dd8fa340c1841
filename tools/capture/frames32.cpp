#include "tools/capture/frames32.h"

#include "tools/capture/interrupt.h"

namespace capture {

int64_t run_frames32(Run32 &run, const d32::WaveMemory &memory, const Plan32 &plan,
                     FrameOutputs *outputs, Progress *progress) {
  int64_t i = 0;
  for (; i <= plan.last_frame; ++i) {
    check_interrupt();
    const bool on = plan.chart != nullptr
                        ? run_charted_frame32(run, *plan.chart, plan.fps, i, plan.draw)
                        : run_frame32(run, memory, plan.fps, i, plan.draw);
    if (!on)
      break;
    if (outputs != nullptr && i >= plan.first_frame)
      emit_frame32(*outputs, i, run.pixels);
    if (progress != nullptr)
      progress_update(*progress, i + 1);
  }
  return i;
}

} // namespace capture
