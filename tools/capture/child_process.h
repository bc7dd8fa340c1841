#pragma once
// A helper program fed through its standard input (ffmpeg). It runs in a
// process group of its own, so a Ctrl-C at the terminal reaches only this
// tool, which then ends it; and it is killed when this tool ends in any way,
// even by SIGKILL (Linux: a parent-death signal; Windows: a job object that
// kills its processes when its last handle closes). Its standard output goes
// to this tool's standard error, since standard output may carry a WAV.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace capture {

struct ChildProcess {
#ifdef _WIN32
  void *process = nullptr;
  void *job = nullptr;
  void *input = nullptr;
#else
  int pid = -1;
  int input = -1;
#endif
};

// Starts arguments[0] (a path) with the rest as its arguments. Throws on failure.
void child_start(ChildProcess &child, const std::vector<std::string> &arguments);
// Writes all of data into the child's input. False once the child has stopped
// reading; throws the interruption if a signal arrives meanwhile.
bool child_write(ChildProcess &child, const uint8_t *data, size_t size);
// Closes the child's input and waits for it to end: true if it exited with 0.
bool child_finish(ChildProcess &child);
// Kills the child if it still runs and waits for it. Safe to call twice.
void child_kill(ChildProcess &child);

} // namespace capture
