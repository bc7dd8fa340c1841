#pragma once
// demo8's 25 frames a second on a page. The desktop busy-waits and starts a
// frame on its very deadline; a page can start one only on the display's
// refresh, up to one refresh late, and since each deadline is set from the
// start of the frame before, that lateness would pile up (a frame every 50 ms
// at 60 Hz). So a clock reading less than one refresh past the deadline is
// handed to the show as the deadline itself, reached after readings before
// it, as the busy wait would have had them; later readings are real
// lateness, reported and absorbed as on the desktop.
#include <cstdint>

#include "demo8/show/pacing.h"

namespace web8 {

constexpr double LONGEST_REFRESH_MS = 34; // 30 Hz; a longer gap between frames is a stall

struct RefreshClock {
  double last_frame_ms = -1; // time of the last animation frame
  double refresh_ms = 0;     // the gap to the one before it, at most LONGEST_REFRESH_MS
};

// Called at the start of each animation frame of the browser.
void note_animation_frame(RefreshClock &clock, double now_ms);

// The clock reading the show gets at real time now.
uint32_t show_reading(const RefreshClock &clock, d8::Pacing &pacing, uint32_t now);

} // namespace web8
