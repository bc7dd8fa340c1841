#pragma once
// Frame pacing of demo8: a 40 ms deadline and the lateness warnings. Plain
// code; each reading of the clock is passed in, so the desktop's busy wait, a
// page's animation frames and the tests drive the same rules.
#include <cstdint>

namespace d8 {

constexpr int32_t FIRST_FRAME_DELAY_MS = 60;
constexpr int32_t FRAME_MS = 40;
constexpr int32_t VERY_LATE_LAG_MS = 100;

struct Pacing {
  int32_t deadline = 0;    // ms of the tick clock: earliest start of the next frame
  int32_t lag = 0;         // ms, running lateness measure for the warnings only
  int32_t early_calls = 0; // readings before the deadline in the current wait
};

enum class Lateness { ON_TIME, VERY_LATE, SOMEWHAT_LATE };

struct FrameStart {
  int32_t now = 0;         // tick reading that ended the wait
  int32_t early_calls = 0; // readings that came before the deadline
  Lateness lateness = Lateness::ON_TIME;
  int32_t reported_lag = 0; // lag to print with the warning, before the decay
};

void start_pacing(Pacing &pacing, int32_t now);

// One reading of the clock while waiting for the next frame. False while it
// is before the deadline. At or past it the frame starts: start says how, the
// deadline moves 40 ms past now and the lag decays. Lateness is never made up.
bool frame_starts(Pacing &pacing, int32_t now, FrameStart &start);

// printf format of a late frame's console line, without the newline (one %d,
// the lag); null when on time.
const char *lateness_format(Lateness lateness);

} // namespace d8
