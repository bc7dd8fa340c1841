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
#ifndef _WIN32
  // A signal ignored when the tool starts stays ignored, as nohup leaves
  // SIGHUP and a script its background jobs' SIGINT.
  struct sigaction was_int = {};
  struct sigaction was_term = {};
  sigaction(SIGINT, nullptr, &was_int);
  sigaction(SIGTERM, nullptr, &was_term);
#endif
  desktop::catch_stop_signals(desktop::BlockedCalls::interrupt);
#ifndef _WIN32
  if (was_int.sa_handler == SIG_IGN)
    std::signal(SIGINT, SIG_IGN);
  if (was_term.sa_handler == SIG_IGN)
    std::signal(SIGTERM, SIG_IGN);
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
