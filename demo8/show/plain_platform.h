#pragma once
// A platform without devices: the screen in plain memory, no clock, no input,
// nothing to present, no console. The replay and the tests drive the show's
// own pass through it, one frame per pass.
#include "demo8/show/show.h"

namespace d8 {

// Unpaced: every pass draws the next frame.
Platform8 plain_platform(Surface8 &screen);

} // namespace d8
