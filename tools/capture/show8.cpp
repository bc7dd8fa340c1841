#include "tools/capture/show8.h"

#include <algorithm>

#include "demo8/show/plain_platform.h"
#include "tools/capture/interrupt.h"

namespace capture {

void start_run8(Run8 &run) {
  d8::prepare_show(run.show);
  d8::start_show(run.show, 0);
  for (uint8_t &p : run.pixels)
    p = 0;
  d8::build_palette(run.palette);
}

int64_t run_frames8(Run8 &run, int64_t first_frame, int64_t last_frame, FrameOutputs *outputs,
                    Progress *progress) {
  // Frame after frame, no deadlines.
  d8::Surface8 screen{run.pixels, FRAME_WIDTH};
  const d8::Platform8 platform = d8::plain_platform(screen);

  int64_t t = 0;
  // The show clears running while drawing its last frame, which is still shown.
  while (t <= last_frame && run.show.running != 0) {
    check_interrupt();
    d8::show_pass(run.show, platform);
    if (outputs != nullptr && t >= first_frame)
      emit_frame8(*outputs, t, run.pixels, run.palette);
    ++t;
    if (progress != nullptr)
      progress_update(*progress, t);
  }
  return t;
}

void render_sound8(int64_t first_sample, int64_t end_sample, WavFile *(&files)[2]) {
  d8::Music music;
  uint8_t block[4096];
  int64_t done = 0;
  while (done < end_sample) {
    check_interrupt();
    const auto n = static_cast<int32_t>(std::min<int64_t>(sizeof block, end_sample - done));
    d8::music_render(music, block, n);
    const auto skip = static_cast<int32_t>(std::clamp<int64_t>(first_sample - done, 0, n));
    for (WavFile *wav : files)
      if (wav != nullptr && skip < n)
        wav_append_u8(*wav, block + skip, n - skip);
    done += n;
  }
}

} // namespace capture
