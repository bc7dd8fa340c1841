// demo-capture: renders demo32 or demo8 offline, frame by frame, on a virtual
// clock, into raw frames, PNGs, WAVs and video. No SDL, no window, no threads.
#include <cstdio>
#include <exception>

#include "tools/capture/capture_error.h"
#include "tools/capture/interrupt.h"
#include "tools/capture/options.h"
#include "tools/capture/output_files.h"
#include "tools/capture/progress.h"
#include "tools/capture/session.h"

int main(int argc, char **argv) {
  capture::Options options;
  const std::string error = capture::parse_options(argc, argv, options);
  if (!error.empty()) {
    std::fprintf(stderr, "demo-capture: %s (see --help)\n", error.c_str());
    return capture::EXIT_USAGE;
  }
  if (options.help) {
    std::fputs(capture::usage_text(), stdout);
    return 0;
  }

  capture::install_interrupt_handlers();
  try {
    capture::run_capture(options);
  } catch (const capture::CaptureError &e) {
    capture::remove_partials();
    capture::progress_interrupted();
    std::fprintf(stderr, "demo-capture: %s\n", e.message.c_str());
    return e.status;
  } catch (const std::exception &e) {
    capture::remove_partials();
    capture::progress_interrupted();
    std::fprintf(stderr, "demo-capture: %s\n", e.what());
    return capture::EXIT_RUNTIME;
  }
  return 0;
}
