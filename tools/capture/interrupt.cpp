#include "tools/capture/interrupt.h"

#include <csignal>
#include <string>

#include "desktop/process.h"
#include "tools/capture/capture_error.h"

namespace capture {

namespace {

const char *signal_name(int s) {
  switch (s) {
  case SIGINT:
    return "SIGINT";
  case SIGTERM:
    return "SIGTERM";
#ifdef SIGHUP
  case SIGHUP:
    return "SIGHUP";
#endif
  default:
    return "a signal";
  }
}

} // namespace

void install_interrupt_handlers() {
  desktop::catch_stop_signals(desktop::BlockedCalls::interrupt);
#ifndef _WIN32
  // A dead ffmpeg must show up as a failed write, not end this process
  // silently; a file-size limit as a failed write, not a core dump.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

void check_interrupt() {
  const int s = desktop::stop_signal();
  if (s != 0)
    fail(EXIT_SIGNAL_BASE + s,
         std::string("interrupted by ") + signal_name(s) + "; unfinished files removed");
}

int interrupt_signal() {
  return desktop::stop_signal();
}

int end_by_interrupt_signal() {
  desktop::end_by_stop_signal();
}

} // namespace capture
