// LD_PRELOAD library that lets a test stop demo-capture at a chosen move of
// its commit, without waiting for time to pass. Every rename the program
// makes (rename, renameat, renameat2) is counted from 1; with MOVE_FAULT_AT=N
// the Nth one is not made, and instead, as MOVE_FAULT says:
//
//   fail  the call fails with EIO (MOVE_FAULT_ERRNO=n: with error n)
//   stop  the program stops itself (SIGSTOP) and makes the move once it is
//         continued: the test sends the signal it wants delivered during
//         the commit, then SIGCONT (or simply SIGKILL)
//
// MOVE_FAULT_LOG=PATH appends a line "N FROM TO" for every rename made, so a
// test can count the moves of a run's commit.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<long> moves{0};

long env_number(const char *name, long otherwise) {
  const char *text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::atol(text) : otherwise;
}

void log_move(long n, const char *from, const char *to) {
  const char *path = std::getenv("MOVE_FAULT_LOG");
  if (path == nullptr)
    return;
  char line[8192];
  const int length = std::snprintf(line, sizeof line, "%ld %s %s\n", n, from, to);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof line)
    return;
  const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0)
    return;
  [[maybe_unused]] const ssize_t ignored = write(fd, line, static_cast<size_t>(length));
  close(fd);
}

// True when the move may go ahead.
bool before_move(const char *from, const char *to) {
  const long n = ++moves;
  if (n == env_number("MOVE_FAULT_AT", -1)) {
    const char *what = std::getenv("MOVE_FAULT");
    if (what != nullptr && std::strcmp(what, "fail") == 0) {
      errno = static_cast<int>(env_number("MOVE_FAULT_ERRNO", EIO));
      return false;
    }
    if (what != nullptr && std::strcmp(what, "stop") == 0)
      raise(SIGSTOP);
  }
  log_move(n, from, to);
  return true;
}

template <typename Fn> Fn next(const char *name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int rename(const char *from, const char *to) {
  static const auto real = next<int (*)(const char *, const char *)>("rename");
  return before_move(from, to) ? real(from, to) : -1;
}

int renameat(int from_dir, const char *from, int to_dir, const char *to) {
  static const auto real = next<int (*)(int, const char *, int, const char *)>("renameat");
  return before_move(from, to) ? real(from_dir, from, to_dir, to) : -1;
}

int renameat2(int from_dir, const char *from, int to_dir, const char *to, unsigned flags) {
  static const auto real =
      next<int (*)(int, const char *, int, const char *, unsigned)>("renameat2");
  return before_move(from, to) ? real(from_dir, from, to_dir, to, flags) : -1;
}
}
