#include "desktop/process.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace desktop {

namespace {

volatile std::sig_atomic_t caught = 0;

extern "C" void on_stop_signal(int signal_number) {
  if (caught == 0)
    caught = signal_number;
}

#ifndef _WIN32
void catch_signal(int s, BlockedCalls blocked) {
  struct sigaction action = {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = blocked == BlockedCalls::resume ? SA_RESTART : 0;
  sigaction(s, &action, nullptr);
}

bool ignored(int s) {
  struct sigaction current = {};
  return sigaction(s, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}
#endif

} // namespace

void line_buffered_console() {
#ifdef _WIN32
  std::setvbuf(stdout, nullptr, _IONBF, 0);
#else
  std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
#endif
}

void set_env_default(const char *name, const char *value) {
#ifdef _WIN32
  if (std::getenv(name) == nullptr)
    _putenv_s(name, value);
#else
  setenv(name, value, 0);
#endif
}

void catch_stop_signals([[maybe_unused]] BlockedCalls blocked) {
#ifdef _WIN32
  std::signal(SIGINT, on_stop_signal);
  std::signal(SIGTERM, on_stop_signal);
#else
  catch_signal(SIGINT, blocked);
  catch_signal(SIGTERM, blocked);
  // nohup ignores SIGHUP so that the program outlives its terminal; keep that.
  if (!ignored(SIGHUP))
    catch_signal(SIGHUP, blocked);
#endif
}

int stop_signal() {
  return caught;
}

void end_by_stop_signal() {
  const int s = caught;
  std::fflush(stdout);
  std::fflush(stderr);
#ifndef _WIN32
  std::signal(s, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, s);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  std::raise(s);
#endif
  std::exit(128 + s);
}

} // namespace desktop
