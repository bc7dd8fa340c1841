#include "demo8/web/refresh.h"

#include <algorithm>

namespace web8 {

void note_animation_frame(RefreshClock &clock, double now_ms) {
  if (clock.last_frame_ms >= 0)
    clock.refresh_ms = std::min(now_ms - clock.last_frame_ms, LONGEST_REFRESH_MS);
  clock.last_frame_ms = now_ms;
}

uint32_t show_reading(const RefreshClock &clock, d8::Pacing &pacing, uint32_t now) {
  // Differences through unsigned, as the tick clock wraps.
  const auto deadline = static_cast<uint32_t>(pacing.deadline);
  const auto past = static_cast<int32_t>(now - deadline);
  if (past < 0 || past >= clock.refresh_ms)
    return now;
  if (pacing.early_calls == 0)
    pacing.early_calls = 1;
  return deadline;
}

} // namespace web8
