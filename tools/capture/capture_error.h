#pragma once
// How the capture tool reports failure: the message becomes one line on
// stderr and status the exit status.
#include <string>

namespace capture {

constexpr int EXIT_RUNTIME = 1;       // a step failed while rendering or encoding
constexpr int EXIT_USAGE = 2;         // bad command line or unusable output path
constexpr int EXIT_SIGNAL_BASE = 128; // ended by signal s: 128 + s, as shells report it

struct CaptureError {
  int status;
  std::string message;
};

[[noreturn]] inline void fail(int status, std::string message) {
  throw CaptureError{status, std::move(message)};
}

} // namespace capture
