#include "tools/capture/output_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "tools/capture/capture_error.h"

#ifdef _WIN32
#include <process.h>
#define capture_getpid _getpid
#else
#include <unistd.h>
#define capture_getpid getpid
#endif

namespace capture {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> &partials() {
  static std::vector<std::string> list;
  return list;
}

// Directories this run created; a failed run takes back those still empty.
std::vector<std::string> &made_directories() {
  static std::vector<std::string> list;
  return list;
}

std::string reason() {
  return std::strerror(errno);
}

} // namespace

std::string partial_path(const std::string &path) {
  const fs::path p(path);
  const std::string name =
      ".partial-" + std::to_string(capture_getpid()) + "-" + p.filename().string();
  return (p.parent_path() / name).string();
}

FILE *open_partial(const std::string &path, std::string &partial) {
  if (path.empty() || fs::path(path).filename().empty())
    fail(EXIT_USAGE, "cannot write '" + path + "': not a file name");
  std::error_code ec;
  if (fs::is_directory(path, ec))
    fail(EXIT_USAGE, "cannot write '" + path + "': it is a directory");
  partial = partial_path(path);
  FILE *file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr)
    fail(EXIT_USAGE, "cannot write '" + path + "': " + reason());
  remember_partial(partial);
  return file;
}

void commit_partial(FILE *file, const std::string &partial, const std::string &path) {
  const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (!flushed || !closed)
    fail(EXIT_RUNTIME, "writing '" + path + "' failed: " + reason());
  std::error_code ec;
  fs::rename(partial, path, ec);
  if (ec)
    fail(EXIT_RUNTIME, "cannot rename '" + partial + "' to '" + path + "': " + ec.message());
  forget_partial(partial);
}

void remember_partial(const std::string &partial) {
  partials().push_back(partial);
}

void forget_partial(const std::string &partial) {
  auto &list = partials();
  list.erase(std::remove(list.begin(), list.end(), partial), list.end());
}

void remove_partials() {
  for (const std::string &partial : partials())
    std::remove(partial.c_str());
  partials().clear();
  for (const std::string &dir : made_directories()) {
    std::error_code ec;
    if (fs::is_empty(dir, ec))
      fs::remove(dir, ec);
  }
  made_directories().clear();
}

void write_file_at_once(const std::string &path, const uint8_t *data, size_t size) {
  std::string partial;
  FILE *file = open_partial(path, partial);
  if (std::fwrite(data, 1, size, file) != size) {
    const std::string why = reason();
    std::fclose(file);
    fail(EXIT_RUNTIME, "writing '" + path + "' failed: " + why);
  }
  commit_partial(file, partial, path);
}

void prepare_directory(const std::string &dir, const char *option) {
  const std::string what = std::string(option) + " directory '" + dir + "'";
  std::error_code ec;
  if (!fs::exists(dir, ec)) {
    // Only the last component: a mistyped parent should not grow a tree.
    if (!fs::create_directory(dir, ec))
      fail(EXIT_USAGE, "cannot create " + what + ": " + ec.message());
    made_directories().push_back(dir);
  } else if (!fs::is_directory(dir, ec)) {
    fail(EXIT_USAGE, what + " is not a directory");
  }
  // Permission bits do not tell everything (read-only mounts, root): try it.
  const std::string probe = partial_path((fs::path(dir) / "probe").string());
  FILE *file = std::fopen(probe.c_str(), "wb");
  if (file == nullptr)
    fail(EXIT_USAGE, "cannot write into " + what + ": " + reason());
  std::fclose(file);
  std::remove(probe.c_str());
}

std::string numbered_path(const std::string &dir, const char *prefix, int64_t number, int digits,
                          const char *suffix) {
  std::string n = std::to_string(number);
  if (static_cast<int>(n.size()) < digits)
    n.insert(0, static_cast<size_t>(digits) - n.size(), '0');
  return (fs::path(dir) / (prefix + n + suffix)).string();
}

} // namespace capture
