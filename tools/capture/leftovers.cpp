#include "tools/capture/leftovers.h"

#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace capture {

namespace fs = std::filesystem;

std::string partial_name_in(const std::string &dir, const std::string &tag) {
  const std::string name = PARTIAL_PREFIX + std::to_string(this_process()) + "-" + tag;
  return dir.empty() ? name : (fs::path(dir) / name).string();
}

int64_t partial_writer(const std::string &name) {
  const std::string prefix = PARTIAL_PREFIX;
  if (name.compare(0, prefix.size(), prefix) != 0)
    return -1;
  int64_t pid = 0;
  size_t at = prefix.size();
  for (; at < name.size() && name[at] >= '0' && name[at] <= '9'; ++at) {
    if (pid > INT64_C(1) << 40)
      return -1;
    pid = pid * 10 + (name[at] - '0');
  }
  if (at == prefix.size() || at >= name.size() || name[at] != '-')
    return -1;
  return pid;
}

std::string partial_tag(const std::string &name) {
  if (partial_writer(name) < 0)
    return "";
  return name.substr(name.find('-', std::string(PARTIAL_PREFIX).size()) + 1);
}

void sweep_scratch(const std::string &dir) {
  std::error_code ec;
  std::vector<fs::path> ended;
  for (const fs::directory_entry &entry : fs::directory_iterator(dir, ec)) {
    const int64_t pid = partial_writer(entry.path().filename().string());
    std::error_code type_ec;
    if (pid >= 0 && pid != this_process() && entry.is_regular_file(type_ec) &&
        !process_running(pid))
      ended.push_back(entry.path());
  }
  for (const fs::path &p : ended)
    fs::remove(p, ec);
}

#ifdef _WIN32
int64_t this_process() {
  return _getpid();
}

bool process_running(int64_t pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr)
    return GetLastError() == ERROR_ACCESS_DENIED; // someone else's: assume alive
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) != 0 && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}
#else
int64_t this_process() {
  return getpid();
}

bool process_running(int64_t pid) {
  if (pid <= 0 || pid != static_cast<pid_t>(pid))
    return false;
  // EPERM: a process of another user, alive.
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}
#endif

} // namespace capture
