// demo-capture: renders demo32 or demo8 offline, frame by frame, on a virtual
// clock, into raw frames, PNGs, WAVs and video. No SDL, no window; picture
// files are encoded by worker threads (frame_pool.h).
#include <cstdio>
#include <exception>

#include "tools/capture/capture_error.h"
#include "tools/capture/interrupt.h"
#include "tools/capture/options.h"
#include "tools/capture/output_files.h"
#include "tools/capture/progress.h"
#include "tools/capture/session.h"
#include "tools/capture/version.h"

namespace {

int failed(int status, const char *message) {
  capture::discard_outputs();
  capture::progress_interrupted();
  std::fprintf(stderr, "demo-capture: %s\n", message);
  if (capture::interrupt_signal() != 0)
    return capture::end_by_interrupt_signal();
  return status;
}

} // namespace

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
  if (options.version) {
    std::printf("demo-capture %s\n", capture::CAPTURE_VERSION);
    return 0;
  }

  capture::install_interrupt_handlers();
  try {
    capture::run_capture(options);
  } catch (const capture::CaptureError &e) {
    return failed(e.status, e.message.c_str());
  } catch (const std::exception &e) {
    return failed(capture::EXIT_RUNTIME, e.what());
  }
  // A signal after the files were moved in, while the files they replaced
  // were removed: the run is complete, but a calling shell loop should still stop.
  if (capture::interrupt_signal() != 0) {
    std::fputs("demo-capture: interrupted after every file was in place; the files stay\n", stderr);
    return capture::end_by_interrupt_signal();
  }
  return 0;
}
