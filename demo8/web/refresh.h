#pragma once
// demo8's 25 frames a second on a page. The desktop busy-waits and starts a
// frame on its very deadline; a page reads the clock only when the browser
// gives it an animation frame, on the display's refresh, so it starts each
// frame up to a refresh late, more when the browser skips refreshes. Since
// each deadline is set from the start of the frame before, that lateness
// would pile up (a frame every 50 ms at 60 Hz) and the picture would fall
// behind the music for good. So a reading less than CATCH_UP_MS past the
// deadline is handed to the show as the deadline itself, as the busy wait
// would have read it: the frames stay on their 40 ms steps, and a page a
// little behind catches up a frame per animation frame. A reading further
// past is a real stall, reported and absorbed as on the desktop.
#include <cstdint>

#include "demo8/show/pacing.h"

namespace web8 {

// Behind by less than this, the page is only waiting for the browser; the
// show itself calls more than this very late.
constexpr int32_t CATCH_UP_MS = d8::VERY_LATE_LAG_MS;

// The clock reading the show gets at real time now.
uint32_t show_reading(d8::Pacing &pacing, uint32_t now);

} // namespace web8
