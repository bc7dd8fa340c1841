#include "tools/capture/child_process.h"

#include <cerrno>
#include <cstring>

#include "tools/capture/capture_error.h"
#include "tools/capture/interrupt.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#endif

namespace capture {

#ifdef _WIN32

namespace {

// One argument as the C runtime of the child splits its command line again:
// quoted, with quotes escaped and the backslashes before them doubled.
void append_argument(std::string &line, const std::string &arg) {
  if (!line.empty())
    line += ' ';
  line += '"';
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
    } else if (c == '"') {
      line.append(2 * backslashes + 1, '\\');
      backslashes = 0;
    } else {
      backslashes = 0;
    }
    line += c;
  }
  line.append(backslashes, '\\');
  line += '"';
}

} // namespace

void child_start(ChildProcess &child, const std::vector<std::string> &arguments) {
  std::string line;
  for (const std::string &arg : arguments)
    append_argument(line, arg);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 1 << 20))
    fail(EXIT_RUNTIME, "cannot make a pipe to " + arguments[0]);
  SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);

  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job != nullptr)
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

  STARTUPINFOA start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = read_end;
  start.hStdOutput = GetStdHandle(STD_ERROR_HANDLE);
  start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  const BOOL started =
      CreateProcessA(arguments[0].c_str(), line.data(), nullptr, nullptr, TRUE,
                     CREATE_SUSPENDED | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &start, &info);
  CloseHandle(read_end);
  if (!started) {
    CloseHandle(write_end);
    if (job != nullptr)
      CloseHandle(job);
    fail(EXIT_RUNTIME, "cannot start " + arguments[0]);
  }
  if (job != nullptr)
    AssignProcessToJobObject(job, info.hProcess);
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  child.process = info.hProcess;
  child.job = job;
  child.input = write_end;
}

bool child_write(ChildProcess &child, const uint8_t *data, size_t size) {
  while (size > 0) {
    DWORD done = 0;
    const DWORD piece = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
    if (!WriteFile(child.input, data, piece, &done, nullptr)) {
      check_interrupt();
      return false;
    }
    data += done;
    size -= done;
  }
  return true;
}

bool child_finish(ChildProcess &child) {
  CloseHandle(child.input);
  child.input = nullptr;
  WaitForSingleObject(child.process, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(child.process, &code);
  CloseHandle(child.process);
  child.process = nullptr;
  if (child.job != nullptr)
    CloseHandle(child.job);
  child.job = nullptr;
  return code == 0;
}

void child_kill(ChildProcess &child) {
  if (child.input != nullptr)
    CloseHandle(child.input);
  child.input = nullptr;
  if (child.process != nullptr) {
    TerminateProcess(child.process, 1);
    WaitForSingleObject(child.process, INFINITE);
    CloseHandle(child.process);
  }
  child.process = nullptr;
  if (child.job != nullptr)
    CloseHandle(child.job);
  child.job = nullptr;
}

#else

namespace {

void set_default(int s) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(s, &action, nullptr);
}

} // namespace

void child_start(ChildProcess &child, const std::vector<std::string> &arguments) {
  // Everything the child needs is made before fork: after it, only calls
  // that are safe in a copy of a possibly threaded process.
  std::vector<char *> argv;
  for (const std::string &arg : arguments)
    argv.push_back(const_cast<char *>(arg.c_str()));
  argv.push_back(nullptr);
  int fds[2];
  if (pipe(fds) != 0)
    fail(EXIT_RUNTIME, "cannot make a pipe to " + arguments[0] + ": " + std::strerror(errno));
  fcntl(fds[1], F_SETFD, FD_CLOEXEC);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    const int error = errno;
    close(fds[0]);
    close(fds[1]);
    fail(EXIT_RUNTIME, "cannot start " + arguments[0] + ": " + std::strerror(error));
  }
  if (pid == 0) {
    setpgid(0, 0);
#ifdef __linux__
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) // the parent died before the line above
      _exit(127);
#endif
    dup2(fds[0], 0);
    dup2(2, 1);
    close(fds[0]);
    // What this tool ignores for itself, the child gets back.
    set_default(SIGPIPE);
    set_default(SIGXFSZ);
    execv(argv[0], argv.data());
    static const char message[] = "demo-capture: cannot run the encoder\n";
    [[maybe_unused]] const ssize_t ignored = write(2, message, sizeof message - 1);
    _exit(127);
  }
  (void)parent;
  setpgid(pid, pid); // also here, so that it holds before the first write
  close(fds[0]);
  child.pid = pid;
  child.input = fds[1];
}

bool child_write(ChildProcess &child, const uint8_t *data, size_t size) {
  while (size > 0) {
    // A signal ends a blocked write early, with EINTR or with a part written.
    check_interrupt();
    const ssize_t n = write(child.input, data, size);
    if (n < 0) {
      if (errno != EINTR)
        return false; // EPIPE: the child is gone
      continue;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool child_finish(ChildProcess &child) {
  close(child.input);
  child.input = -1;
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0) {
    if (errno != EINTR) {
      child.pid = -1;
      return false;
    }
    check_interrupt(); // the caller's clean-up kills the child
  }
  child.pid = -1;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void child_kill(ChildProcess &child) {
  if (child.input >= 0)
    close(child.input);
  child.input = -1;
  if (child.pid > 0) {
    kill(child.pid, SIGKILL);
    int status = 0;
    while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  child.pid = -1;
}

#endif

} // namespace capture
