#include "tools/capture/output_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "tools/capture/capture_error.h"
#include "tools/capture/interrupt.h"
#include "tools/capture/leftovers.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define capture_isatty _isatty
#define capture_fileno _fileno
#else
#include <unistd.h>
#define capture_isatty isatty
#define capture_fileno fileno
#endif

namespace capture {

namespace fs = std::filesystem;

namespace {

struct Move {
  std::string from;
  std::string to;
  bool replaces;
};

// What this run has made so far; only the main thread touches it.
struct Books {
  std::vector<std::string> partials; // removed after a failure
  std::vector<Move> moves;           // done by commit_outputs
  std::vector<FolderTarget> folders; // staged, moved in by commit_outputs
  std::vector<std::string> made_dirs;
};

Books &books() {
  static Books b;
  return b;
}

constexpr int MAX_LINKS = 40;

[[noreturn]] void fail_open(const std::string &name, const std::string &reason) {
  check_interrupt(); // a FIFO nobody reads blocks open() until a signal ends it
  fail(EXIT_USAGE, "cannot write '" + name + "': " + reason);
}

std::string in_quotes(const std::string &s) {
  return "'" + s + "'";
}

std::string parent_of(const fs::path &p) {
  return p.parent_path().string();
}

bool exists_at_all(const fs::path &p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
}

void forget_partial(const std::string &path) {
  auto &list = books().partials;
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i] == path) {
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
}

// The partial file of a regular-file target, beside it and registered.
std::string place_partial(const std::string &path) {
  const fs::path p(path);
  sweep_leftovers(parent_of(p));
  const std::string partial = partial_name_in(parent_of(p), p.filename().string());
  books().partials.push_back(partial);
  return partial;
}

void move_into_place(const std::string &from, const std::string &to, bool replaces) {
  // Without -y a file that appeared during the run is still not replaced.
  if (!replaces && exists_at_all(to))
    fail(EXIT_RUNTIME, in_quotes(to) + " appeared while this run was making it; it was left as it "
                                       "is (-y replaces it)");
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec)
    fail(EXIT_RUNTIME,
         "cannot move the finished " + in_quotes(to) + " into place: " + ec.message());
}

} // namespace

FileTarget check_file_target(const std::string &name, const char *option, bool overwrite) {
  FileTarget t;
  t.name = name;
  const std::string what = std::string(option) + " " + in_quotes(name);
  if (name == "-") {
    if (capture_isatty(capture_fileno(stdout)) != 0)
      fail(EXIT_USAGE, what + ": standard output is a terminal; redirect it to a file or pipe");
    t.path = name;
    t.stream = true;
    return t;
  }
  // Write through links to the file they name, so the links stay.
  fs::path p(name);
  std::error_code ec;
  int hops = 0;
  for (; fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
    if (hops == MAX_LINKS)
      fail(EXIT_USAGE, what + ": too many levels of links");
    const fs::path next = fs::read_symlink(p, ec);
    if (ec)
      fail(EXIT_USAGE, what + ": " + ec.message());
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  t.path = p.string();
  if (p.filename().empty() || p.filename() == "." || p.filename() == "..")
    fail(EXIT_USAGE, what + ": not a file name");
  const fs::file_status st = fs::status(p, ec);
  switch (st.type()) {
  case fs::file_type::not_found: {
    const fs::path parent = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    if (!fs::is_directory(parent, ec))
      fail(EXIT_USAGE, what + ": there is no folder " + in_quotes(parent.string()));
    return t;
  }
  case fs::file_type::directory:
    fail(EXIT_USAGE, what + " is a directory");
  case fs::file_type::regular:
    if (!overwrite)
      fail(EXIT_USAGE, what + " exists; add -y (--overwrite) to replace it");
    t.replaces = true;
    return t;
  default:
    t.stream = true; // a device or FIFO takes the bytes as they come
    return t;
  }
}

FolderTarget check_folder_target(const std::string &dir, const char *option,
                                 const std::vector<std::string> &names, bool overwrite) {
  FolderTarget t;
  t.dir = dir;
  t.option = option;
  t.overwrite = overwrite;
  const std::string what = std::string(option) + " directory " + in_quotes(dir);
  std::error_code ec;
  const fs::file_status st = fs::status(dir, ec);
  if (st.type() == fs::file_type::not_found) {
    // Only the last component is made: a mistyped parent should not grow a tree.
    const fs::path parent = fs::path(dir).parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec))
      fail(EXIT_USAGE,
           "cannot create " + what + ": there is no folder " + in_quotes(parent.string()));
    return t;
  }
  if (st.type() != fs::file_type::directory)
    fail(EXIT_USAGE, what + " is not a directory");
  std::string first;
  size_t existing = 0;
  for (const std::string &name : names) {
    const fs::path p = fs::path(dir) / name;
    const fs::file_status s = fs::symlink_status(p, ec);
    if (s.type() == fs::file_type::not_found)
      continue;
    if (s.type() != fs::file_type::regular && s.type() != fs::file_type::symlink)
      fail(EXIT_USAGE, in_quotes(p.string()) + " is in the way of " + what + ": it is not a file");
    if (existing++ == 0)
      first = p.string();
  }
  if (existing > 0 && !overwrite)
    fail(EXIT_USAGE, std::string(option) + " " + in_quotes(first) + " exists" +
                         (existing > 1 ? " (and " + std::to_string(existing - 1) +
                                             " more files this run would write)"
                                       : "") +
                         "; add -y (--overwrite) to replace");
  return t;
}

void open_folder(FolderTarget &t) {
  const std::string what = t.option + " directory " + in_quotes(t.dir);
  std::error_code ec;
  if (fs::is_directory(t.dir, ec)) {
    sweep_leftovers(t.dir);
  } else {
    if (!fs::create_directory(t.dir, ec))
      fail(EXIT_USAGE, "cannot create " + what + ": " + ec.message());
    books().made_dirs.push_back(t.dir);
  }
  t.staging = partial_name_in(t.dir, t.option.substr(t.option.find_first_not_of('-')));
  // Permission bits do not tell everything (read-only mounts, root): try it.
  if (!fs::create_directory(t.staging, ec))
    fail(EXIT_USAGE, "cannot write into " + what + ": " + ec.message());
  books().folders.push_back(t);
}

void open_output(OutputFile &out, const FileTarget &t) {
  reserve_output(out, t);
  if (t.name == "-") {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    out.file = stdout;
    return;
  }
  out.file = std::fopen(out.written.c_str(), "wb");
  if (out.file == nullptr)
    fail_open(t.name, std::strerror(errno));
}

void reserve_output(OutputFile &out, const FileTarget &t) {
  out = OutputFile{};
  out.name = t.name;
  out.replaces = t.replaces;
  if (t.stream) {
    out.written = t.path;
    return;
  }
  out.written = place_partial(t.path);
  out.final = t.path;
  FILE *probe = std::fopen(out.written.c_str(), "wb");
  if (probe == nullptr)
    fail_open(t.name, std::strerror(errno));
  std::fclose(probe);
}

void open_in_folder(OutputFile &out, const FolderTarget &t, const std::string &name) {
  out = OutputFile{};
  out.written = (fs::path(t.staging) / name).string();
  out.name = (fs::path(t.dir) / name).string();
  out.file = std::fopen(out.written.c_str(), "wb");
  if (out.file == nullptr)
    fail_io("creating", out.name);
}

void open_scratch(OutputFile &out, const std::string &dir, const std::string &tag) {
  out = OutputFile{};
  sweep_leftovers(dir);
  out.written = partial_name_in(dir, tag);
  out.name = out.written;
  books().partials.push_back(out.written);
  out.file = std::fopen(out.written.c_str(), "wb");
  if (out.file == nullptr)
    fail_io("creating", out.name);
}

void remove_scratch(OutputFile &out) {
  if (out.file != nullptr)
    std::fclose(out.file);
  out.file = nullptr;
  std::remove(out.written.c_str());
  forget_partial(out.written);
}

void close_output(OutputFile &out) {
  if (out.file != nullptr) {
    FILE *file = out.file;
    out.file = nullptr;
    const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
    const bool closed = file == stdout || std::fclose(file) == 0;
    if (!flushed || !closed)
      fail_io("writing", out.name);
  }
  if (!out.final.empty())
    books().moves.push_back({out.written, out.final, out.replaces});
}

void close_quietly(OutputFile &out) {
  if (out.file != nullptr && out.file != stdout)
    std::fclose(out.file);
  out.file = nullptr;
}

void commit_outputs() {
  Books &b = books();
  for (const Move &m : b.moves) {
    move_into_place(m.from, m.to, m.replaces);
    forget_partial(m.from);
  }
  b.moves.clear();
  for (const FolderTarget &t : b.folders) {
    std::error_code ec;
    for (const fs::directory_entry &entry : fs::directory_iterator(t.staging, ec))
      move_into_place(entry.path().string(), (fs::path(t.dir) / entry.path().filename()).string(),
                      t.overwrite);
    fs::remove(t.staging, ec);
  }
  b.folders.clear();
  b.made_dirs.clear();
  b.partials.clear();
}

void discard_outputs() {
  Books &b = books();
  std::error_code ec;
  for (const std::string &partial : b.partials)
    fs::remove(partial, ec);
  for (const FolderTarget &t : b.folders)
    fs::remove_all(t.staging, ec);
  for (const std::string &dir : b.made_dirs)
    if (fs::is_empty(dir, ec))
      fs::remove(dir, ec);
  b = Books{};
}

void write_whole_file(const std::string &path, const uint8_t *data, size_t size) {
  FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr)
    fail_io("creating", path);
  bool ok = std::fwrite(data, 1, size, file) == size && std::fflush(file) == 0;
  int error = ok ? 0 : errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    std::remove(path.c_str());
    errno = error;
    fail_io("writing", path);
  }
}

std::string numbered_path(const std::string &dir, const char *prefix, int64_t number, int digits,
                          const char *suffix) {
  std::string n = std::to_string(number);
  if (static_cast<int>(n.size()) < digits)
    n.insert(0, static_cast<size_t>(digits) - n.size(), '0');
  return (fs::path(dir) / (prefix + n + suffix)).string();
}

void fail_io(const std::string &what, const std::string &name) {
  const int error = errno;
  check_interrupt();
  fail(EXIT_RUNTIME, what + " " + in_quotes(name) + " failed: " + std::strerror(error));
}

} // namespace capture
