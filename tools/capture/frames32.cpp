#include "tools/capture/frames32.h"

#include "demo32/show/plain_platform.h"
#include "tools/capture/interrupt.h"
#include "tools/capture/virtual_clock.h"

namespace capture {

void start_run32(Run32 &run, uint32_t seed, bool smear) {
  run.show = d32::Show32{};
  run.show.smear_enabled = smear ? 1 : 0;
  run.music.synth = d32::Synth{};
  d32::put(run.music.clock.song_tick, 0);
  d32::put(run.music.clock.song_row, 0);
  d32::put(run.music.clock.song_position, 0);
  d32::put(run.music.clock.song_end, 0);
  run.music.samples = 0;
  for (uint32_t &p : run.pixels)
    p = 0;
  // The seed decides the polygon's motion, as at the desktop's start-up.
  d32::prepare_show(run.show, seed);
  d32::start_show(run.show, run.music.clock, 0);
}

int64_t run_frames32(Run32 &run, const d32::WaveMemory &memory, const Plan32 &plan,
                     FrameOutputs *outputs, Progress *progress) {
  // Every frame is drawn, with the steps due by its time (none for frame 0).
  d32::PlainScreen screen{run.pixels};
  const d32::Platform32 platform = d32::plain_platform(screen);

  int64_t i = 0;
  for (; i <= plan.last_frame; ++i) {
    check_interrupt();
    const bool music_goes_on =
        advance_music(run.music, memory, sample_of_frame(i, plan.fps), nullptr);
    if (!plan.draw) {
      if (!music_goes_on)
        break;
    } else {
      screen.now = millis_of_frame(i, plan.fps);
      // The show leaves its loop, without drawing, once the end mark is read.
      if (d32::show_pass(run.show, run.music.clock, platform) == d32::Pass::ENDED)
        break;
    }
    if (outputs != nullptr && i >= plan.first_frame)
      emit_frame32(*outputs, i, run.pixels);
    if (progress != nullptr)
      progress_update(*progress, i + 1);
  }
  return i;
}

} // namespace capture
