#include "tools/capture/show8.h"

#include <algorithm>

#include "tools/capture/interrupt.h"

namespace capture {

int64_t run_frames8(d8::Replay8 &replay, int64_t first_frame, int64_t last_frame,
                    FrameOutputs *outputs, Progress *progress) {
  int64_t t = 0;
  for (; t <= last_frame; ++t) {
    check_interrupt();
    if (!d8::replay_frame(replay))
      break;
    if (outputs != nullptr && t >= first_frame)
      emit_frame8(*outputs, t, replay.pixels, replay.palette);
    if (progress != nullptr)
      progress_update(*progress, t + 1);
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
