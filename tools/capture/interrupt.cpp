#include "tools/capture/interrupt.h"

#include <csignal>
#include <string>

#include "tools/capture/capture_error.h"

namespace capture {

namespace {

volatile std::sig_atomic_t caught = 0;

extern "C" void on_signal(int signal_number) {
  if (caught == 0)
    caught = signal_number;
}

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

#ifndef _WIN32
// No SA_RESTART: a write into a full pipe or an open() of a FIFO nobody
// reads returns with EINTR instead of waiting on.
void catch_signal(int s) {
  struct sigaction action = {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(s, &action, nullptr);
}

bool ignored(int s) {
  struct sigaction current = {};
  return sigaction(s, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}
#endif

} // namespace

void install_interrupt_handlers() {
#ifdef _WIN32
  std::signal(SIGINT, on_signal);
  std::signal(SIGTERM, on_signal);
#else
  catch_signal(SIGINT);
  catch_signal(SIGTERM);
  // nohup ignores SIGHUP so that the run outlives its terminal; keep that.
  if (!ignored(SIGHUP))
    catch_signal(SIGHUP);
  // A dead ffmpeg must show up as a failed write, not end this process
  // silently; a file-size limit as a failed write, not a core dump.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

void check_interrupt() {
  const int s = caught;
  if (s != 0)
    fail(EXIT_SIGNAL_BASE + s,
         std::string("interrupted by ") + signal_name(s) + "; unfinished files removed");
}

int interrupt_signal() {
  return caught;
}

int end_by_interrupt_signal() {
  const int s = caught;
#ifndef _WIN32
  std::signal(s, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, s);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  std::raise(s);
#endif
  return EXIT_SIGNAL_BASE + s;
}

} // namespace capture
