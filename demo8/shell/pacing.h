#pragma once
// Frame pacing of demo8: a busy wait for a 40 ms deadline and the lateness
// warnings. Plain code; the tick clock is passed in, so tests can drive it.
#include <cstdint>

namespace d8 {

constexpr int32_t FIRST_FRAME_DELAY_MS = 60;
constexpr int32_t FRAME_MS = 40;
constexpr int32_t VERY_LATE_LAG_MS = 100;

struct Pacing {
  int32_t deadline = 0; // ms of the tick clock: earliest start of the next frame
  int32_t lag = 0;      // ms, running lateness measure for the warnings only
};

enum class Lateness { ON_TIME, VERY_LATE, SOMEWHAT_LATE };

struct FrameStart {
  int32_t now = 0;         // tick reading that ended the wait
  int32_t early_calls = 0; // readings that came before the deadline
  Lateness lateness = Lateness::ON_TIME;
  int32_t reported_lag = 0; // lag to print with the warning, before the decay
};

// Returns milliseconds since start-up (SDL_GetTicks in the program).
using TickSource = uint32_t (*)(void *context);

void start_pacing(Pacing &pacing, int32_t now);

// Waits (busily) for the deadline, then moves the deadline 40 ms past the end
// of the wait and decays the lag. Lateness is never made up.
FrameStart wait_for_frame(Pacing &pacing, TickSource ticks, void *context);

// printf format for a late frame's warning (one %d, the lag); null when on time.
const char *lateness_format(Lateness lateness);

} // namespace d8
