#pragma once
// One capture from start to finish: check the request against the show, open
// the outputs, render the sound, then the pictures, then complete the files.
#include "tools/capture/options.h"

namespace capture {

// Throws CaptureError on any failure, with ffmpeg ended and every file closed;
// what the run had begun is the caller's to remove (discard_outputs).
void run_capture(const Options &options);

} // namespace capture
