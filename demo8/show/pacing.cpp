#include "demo8/show/pacing.h"

namespace d8 {

namespace {

// Tick readings and deadlines are kept as signed milliseconds; sums go
// through unsigned so that a wrapped clock cannot overflow a signed value.
int32_t add_ms(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t sub_ms(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

} // namespace

void start_pacing(Pacing &pacing, int32_t now) {
  pacing.deadline = add_ms(now, FIRST_FRAME_DELAY_MS);
  pacing.lag = 0;
  pacing.early_calls = 0;
}

bool frame_starts(Pacing &pacing, int32_t now, FrameStart &start) {
  if (now < pacing.deadline) {
    ++pacing.early_calls;
    return false;
  }
  start = FrameStart{};
  start.now = now;
  start.early_calls = pacing.early_calls;
  pacing.early_calls = 0;

  // Only a frame whose very first reading is at or past the deadline is late.
  if (start.early_calls == 0) {
    pacing.lag = add_ms(pacing.lag, sub_ms(start.now, pacing.deadline));
    start.lateness = pacing.lag > VERY_LATE_LAG_MS ? Lateness::VERY_LATE : Lateness::SOMEWHAT_LATE;
    start.reported_lag = pacing.lag;
  }

  pacing.deadline = add_ms(start.now, FRAME_MS);
  // The decay runs on every pass, late or not.
  pacing.lag = pacing.lag > FRAME_MS ? pacing.lag - FRAME_MS : 0;
  return true;
}

const char *lateness_format(Lateness lateness) {
  switch (lateness) {
  case Lateness::VERY_LATE:
    return "T\xF6kkii varmaanki ihan liikaa. %d";
  case Lateness::SOMEWHAT_LATE:
    return "Hmm t\xF6kkii kai v\xE4h\xE4, osta nopeempi kone? %d";
  case Lateness::ON_TIME:
    break;
  }
  return nullptr;
}

} // namespace d8
