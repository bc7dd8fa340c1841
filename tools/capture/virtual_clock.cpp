#include "tools/capture/virtual_clock.h"

namespace capture {

int64_t sample_of_frame(int64_t i, int32_t fps) {
  return i * MUSIC32_RATE / fps;
}

int64_t steps_by_frame(int64_t i, int32_t fps) {
  // The formula would give a negative count before frame 0; nothing has run then.
  if (i < 0)
    return 0;
  return i * 1000 / (STEP_MS * fps);
}

uint32_t steps_of_frame(int64_t i, int32_t fps) {
  return static_cast<uint32_t>(steps_by_frame(i, fps) - steps_by_frame(i - 1, fps));
}

uint32_t millis_of_frame(int64_t i, int32_t fps) {
  // SDL's millisecond counter is 32 bits and wraps; so does this one.
  return static_cast<uint32_t>(i * 1000 / fps);
}

int64_t last_frame_before(int64_t end_sample, int32_t fps) {
  if (end_sample <= 0)
    return -1;
  // floor(i * 44100 / fps) < end  <=>  i * 44100 < end * fps
  return (end_sample * fps - 1) / MUSIC32_RATE;
}

} // namespace capture
