#pragma once
// One capture from start to finish: check the request against the show, open
// the outputs, render the sound, then the pictures, then complete the files.
#include "tools/capture/options.h"

namespace capture {

// Throws CaptureError on any failure; partial files are the caller's to remove
// (remove_partials).
void run_capture(const Options &options);

} // namespace capture
