#include "tools/capture/interrupt.h"

#include "tools/capture/capture_error.h"

namespace capture {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void on_signal(int) {
  interrupted = 1;
}

} // namespace

void install_interrupt_handlers() {
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
#ifdef SIGPIPE
  // A dead ffmpeg must show up as a failed write, not end this process silently.
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

void check_interrupt() {
  if (interrupted != 0)
    fail(EXIT_INTERRUPTED, "interrupted; partial files removed");
}

} // namespace capture
