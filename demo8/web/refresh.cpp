#include "demo8/web/refresh.h"

namespace web8 {

uint32_t show_reading(d8::Pacing &pacing, uint32_t now) {
  // Differences through unsigned, as the tick clock wraps.
  const auto deadline = static_cast<uint32_t>(pacing.deadline);
  const auto past = static_cast<int32_t>(now - deadline);
  if (past < 0 || past >= CATCH_UP_MS)
    return now;
  // The show counts a frame late when no reading of its wait came before the
  // deadline; this one stands for the busy wait's readings up to it.
  if (pacing.early_calls == 0)
    pacing.early_calls = 1;
  return deadline;
}

} // namespace web8
