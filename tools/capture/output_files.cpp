#include "tools/capture/output_files.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <system_error>

#include "tools/capture/capture_error.h"
#include "tools/capture/interrupt.h"
#include "tools/capture/leftovers.h"
#include "tools/capture/staging.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define capture_isatty _isatty
#define capture_fileno _fileno
#else
#include <sys/stat.h>
#include <unistd.h>
#define capture_isatty isatty
#define capture_fileno fileno
#endif

namespace capture {

namespace fs = std::filesystem;

namespace {

// What this run has made so far; only the main thread touches it.
struct Books {
  std::vector<Claim> claims; // every folder the run writes into
  std::vector<std::string> made_dirs;
  std::vector<std::string> scratch; // scratch files outside the staging folders
  bool overwrite = false;
};

Books &books() {
  static Books b;
  return b;
}

constexpr int MAX_LINKS = 40;

std::string in_quotes(const std::string &s) {
  return "'" + s + "'";
}

bool is_separator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

// "DIR/", "DIR//" and "DIR/." all name DIR.
std::string without_trailing(std::string s) {
  for (;;) {
    const size_t n = s.size();
    if (n > 1 && is_separator(s[n - 1]) && s[n - 2] != ':')
      s.pop_back();
    else if (n > 2 && s[n - 1] == '.' && is_separator(s[n - 2]))
      s.resize(n - 2);
    else
      return s;
  }
}

std::string folder_of(const fs::path &p) {
  return p.parent_path().empty() ? "." : p.parent_path().string();
}

bool exists_at_all(const fs::path &p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
}

// Why files cannot go into a folder of that name, or "" when they can.
std::string unusable_folder(const fs::path &dir) {
  std::error_code ec;
  const fs::file_type type = fs::status(dir, ec).type();
  if (type == fs::file_type::not_found)
    return "there is no folder " + in_quotes(dir.string());
  if (type != fs::file_type::directory)
    return in_quotes(dir.string()) + " is not a folder";
  return "";
}

// The same file named twice compares equal: links and "." resolved, on
// Windows whatever the case.
std::string file_key(const std::string &dir, const std::string &name) {
  std::error_code ec;
  std::string key = (fs::weakly_canonical(dir, ec) / name).string();
#ifdef _WIN32
  for (char &c : key)
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
#endif
  return key;
}

Claim *find_claim(const std::string &dir) {
  for (Claim &c : books().claims) {
    std::error_code ec;
    if (fs::equivalent(c.dir, dir, ec))
      return &c;
  }
  return nullptr;
}

// The folder's claim, taken now if this run has none yet.
Claim &claim_dir(const std::string &dir) {
  if (Claim *c = find_claim(dir))
    return *c;
  Claim claim;
  int64_t busy = 0;
  if (!claim_folder(claim, dir, busy))
    fail(EXIT_USAGE, in_quotes(dir) + " is being written by another demo-capture run" +
                         (busy > 0 ? " (process " + std::to_string(busy) + ")" : "") +
                         "; wait for it to end, or write somewhere else");
  books().claims.push_back(claim);
  return books().claims.back();
}

std::string staged_path(const FileTarget &t) {
  const fs::path p(t.path);
  return (fs::path(claim_dir(folder_of(p)).stage) / "new" / p.filename()).string();
}

// What already stands where a folder target's files go: the first file and
// how many there are. Refuses anything that is not a file or a link.
void existing_in_folder(const FolderTarget &t, std::string &first, size_t &count) {
  for (const std::string &name : t.names) {
    const fs::path p = fs::path(t.dir) / name;
    std::error_code ec;
    const fs::file_type type = fs::symlink_status(p, ec).type();
    if (type == fs::file_type::not_found)
      continue;
    if (type != fs::file_type::regular && type != fs::file_type::symlink)
      fail(EXIT_USAGE, in_quotes(p.string()) + " is in the way of " + t.option + " " +
                           in_quotes(t.given) + ": it is not a file");
    if (count++ == 0)
      first = p.string();
  }
}

[[noreturn]] void refuse_existing(const std::vector<std::string> &found, size_t files) {
  std::string list;
  for (size_t i = 0; i < found.size(); ++i)
    list += (i == 0 ? "" : i + 1 == found.size() ? " and " : ", ") + found[i];
  fail(EXIT_USAGE, list + (files == 1 ? " exists; add -y (--overwrite) to replace it"
                                      : " exist; add -y (--overwrite) to replace them"));
}

[[noreturn]] void fail_open(const FileTarget &t, const std::string &reason) {
  check_interrupt(); // a FIFO nobody reads blocks open() until a signal ends it
  fail(EXIT_USAGE, "cannot write " + t.option + " " + in_quotes(t.name) + ": " + reason);
}

// The replaced file's permission bits, owner and group on its successor;
// what this process may not set stays as it is.
void keep_attributes([[maybe_unused]] const std::string &old_file,
                     [[maybe_unused]] const std::string &new_file) {
#ifndef _WIN32
  struct stat st;
  if (lstat(old_file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return;
  // Owner first: a change of owner clears the set-id bits that chmod sets.
  if (chown(new_file.c_str(), st.st_uid, st.st_gid) != 0 &&
      chown(new_file.c_str(), static_cast<uid_t>(-1), st.st_gid) != 0) {
    // Neither: the new file keeps this process's owner and group.
  }
  chmod(new_file.c_str(), st.st_mode & 07777);
#else
  std::error_code ec;
  const fs::perms perms = fs::status(old_file, ec).permissions();
  if (!ec)
    fs::permissions(new_file, perms, ec);
#endif
}

} // namespace

FileTarget check_file_target(const std::string &name, const char *option) {
  FileTarget t;
  t.option = option;
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
  case fs::file_type::not_found:
    if (const std::string why = unusable_folder(folder_of(p)); !why.empty())
      fail(EXIT_USAGE, what + ": " + why);
    return t;
  case fs::file_type::directory:
    fail(EXIT_USAGE, what + " is a directory");
  case fs::file_type::regular:
    return t;
  default:
    t.stream = true; // a device or FIFO takes the bytes as they come
    return t;
  }
}

FolderTarget check_folder_target(const std::string &dir, const char *option,
                                 std::vector<std::string> names) {
  FolderTarget t;
  t.option = option;
  t.given = dir;
  t.dir = without_trailing(dir);
  t.names = std::move(names);
  const std::string what = std::string(option) + " directory " + in_quotes(dir);
  std::error_code ec;
  const fs::file_status st = fs::status(t.dir, ec);
  if (st.type() == fs::file_type::not_found) {
    // Only the last component is made: a mistyped parent should not grow a tree.
    const fs::path parent = fs::path(t.dir).parent_path();
    if (!parent.empty())
      if (const std::string why = unusable_folder(parent); !why.empty())
        fail(EXIT_USAGE, "cannot create " + what + ": " + why);
    return t;
  }
  if (st.type() != fs::file_type::directory)
    fail(EXIT_USAGE, what + " is not a directory");
  return t;
}

void claim_targets(const std::vector<const FileTarget *> &files,
                   const std::vector<const FolderTarget *> &folders, bool overwrite) {
  books().overwrite = overwrite;
  // No two outputs into one file: the later would replace the earlier.
  std::map<std::string, std::string> owner;
  const auto take = [&owner](const std::string &key, const std::string &who) {
    const auto [at, fresh] = owner.emplace(key, who);
    if (!fresh)
      fail(EXIT_USAGE,
           at->second + " and " + who + " are the same file; every output needs a file of its own");
  };
  for (const FileTarget *t : files)
    if (!t->option.empty())
      take(t->name == "-" ? "-"
                          : file_key(folder_of(t->path), fs::path(t->path).filename().string()),
           t->option + " " + in_quotes(t->name));
  for (const FolderTarget *t : folders) {
    if (t->option.empty())
      continue;
    std::error_code ec;
    const fs::path dir = fs::weakly_canonical(t->dir, ec);
    for (const std::string &name : t->names)
      take(file_key(dir.string(), name),
           in_quotes((fs::path(t->dir) / name).string()) + " of " + t->option);
  }

  // The folders that exist are taken now, so that what a killed run left is
  // put right before their files are looked at.
  for (const FileTarget *t : files)
    if (!t->option.empty() && !t->stream)
      claim_dir(folder_of(t->path));
  for (const FolderTarget *t : folders) {
    std::error_code ec;
    if (!t->option.empty() && fs::is_directory(t->dir, ec))
      claim_dir(t->dir);
  }

  std::vector<std::string> found;
  size_t count = 0;
  for (const FileTarget *t : files)
    if (!t->option.empty() && !t->stream && exists_at_all(t->path)) {
      found.push_back(t->option + " " + in_quotes(t->name));
      ++count;
    }
  for (const FolderTarget *t : folders) {
    std::string first;
    size_t n = 0;
    if (!t->option.empty())
      existing_in_folder(*t, first, n);
    if (n > 0)
      found.push_back(
          t->option + " " + in_quotes(first) +
          (n > 1 ? " (and " + std::to_string(n - 1) + " more of " + t->option + ")" : ""));
    count += n;
  }
  if (!found.empty() && !overwrite)
    refuse_existing(found, count);
}

void open_folder(FolderTarget &t) {
  std::error_code ec;
  if (find_claim(t.dir) == nullptr) {
    bool made = false;
    if (!fs::is_directory(t.dir, ec)) {
      made = fs::create_directory(t.dir, ec);
      if (ec)
        fail(EXIT_USAGE, "cannot create " + t.option + " directory " + in_quotes(t.given) + ": " +
                             ec.message());
      if (made)
        books().made_dirs.push_back(t.dir);
    }
    claim_dir(t.dir);
    // A folder that appeared since the check may hold files already.
    std::string first;
    size_t n = 0;
    existing_in_folder(t, first, n);
    if (n > 0 && !books().overwrite)
      refuse_existing({t.option + " " + in_quotes(first)}, n);
  }
  t.staging = (fs::path(claim_dir(t.dir).stage) / "new").string();
}

void open_output(OutputFile &out, const FileTarget &t) {
  out = OutputFile{};
  out.name = t.name;
  if (t.name == "-") {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    out.written = t.name;
    out.file = stdout;
    return;
  }
  out.written = t.stream ? t.path : staged_path(t);
  out.file = std::fopen(out.written.c_str(), "wb");
  if (out.file == nullptr)
    fail_open(t, std::strerror(errno));
  if (t.stream && capture_isatty(capture_fileno(out.file)) != 0) {
    close_quietly(out);
    fail(EXIT_USAGE, t.option + " " + in_quotes(t.name) +
                         " is a terminal; write into a file, or a pipe to a player");
  }
}

void reserve_output(OutputFile &out, const FileTarget &t) {
  out = OutputFile{};
  out.name = t.name;
  out.written = t.stream ? t.path : staged_path(t);
  if (t.stream)
    return;
  FILE *probe = std::fopen(out.written.c_str(), "wb");
  if (probe == nullptr)
    fail_open(t, std::strerror(errno));
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

void open_scratch(OutputFile &out, const FileTarget &beside, const std::string &tag) {
  out = OutputFile{};
  if (beside.stream) {
    const std::string dir = fs::temp_directory_path().string();
    sweep_scratch(dir);
    out.written = partial_name_in(dir, tag);
    books().scratch.push_back(out.written);
  } else {
    out.written = (fs::path(claim_dir(folder_of(beside.path)).stage) / tag).string();
  }
  out.name = out.written;
  out.file = std::fopen(out.written.c_str(), "wb");
  if (out.file == nullptr)
    fail_io("creating", out.name);
}

void remove_scratch(OutputFile &out) {
  close_quietly(out);
  std::remove(out.written.c_str());
  auto &list = books().scratch;
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i] == out.written) {
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
}

void close_output(OutputFile &out) {
  if (out.file == nullptr)
    return;
  FILE *file = out.file;
  out.file = nullptr;
  const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
  const bool closed = file == stdout || std::fclose(file) == 0;
  if (!flushed || !closed)
    fail_io("writing", out.name);
}

void close_quietly(OutputFile &out) {
  if (out.file != nullptr && out.file != stdout)
    std::fclose(out.file);
  out.file = nullptr;
}

void commit_outputs() {
  Books &b = books();
  std::vector<std::vector<std::string>> names;
  for (const Claim &c : b.claims) {
    names.push_back(staged_names(c));
    for (const std::string &name : names.back()) {
      const fs::path target = fs::path(c.dir) / name;
      std::error_code ec;
      const fs::file_type type = fs::symlink_status(target, ec).type();
      if (type == fs::file_type::not_found)
        continue;
      // Without -y a file that appeared during the run is still not replaced.
      if (!b.overwrite || (type != fs::file_type::regular && type != fs::file_type::symlink))
        fail(EXIT_RUNTIME, in_quotes(target.string()) +
                               " appeared while this run was making it; it was left as it is" +
                               (b.overwrite ? "" : " (-y replaces it)"));
      keep_attributes(target.string(), (fs::path(c.stage) / "new" / name).string());
    }
  }
  // The new files are complete on disk before the journal says they are.
  for (const Claim &c : b.claims)
    sync_file_system(c.dir);
  std::vector<std::string> folders;
  for (const Claim &c : b.claims)
    folders.push_back(journal_folder(c.dir));
  for (size_t i = 0; i < b.claims.size(); ++i)
    write_journal(b.claims[i], folders, names[i]);

  // Everything replaced is set aside before the first new file moves in, so
  // that each step can be undone on its own.
  try {
    try {
      for (size_t i = 0; i < b.claims.size(); ++i)
        for (const std::string &name : names[i]) {
          set_aside(b.claims[i], name);
          check_interrupt();
        }
      for (size_t i = 0; i < b.claims.size(); ++i)
        for (const std::string &name : names[i]) {
          move_in(b.claims[i], name);
          check_interrupt();
        }
      // The last of these renames is the moment the new files count.
      for (Claim &c : b.claims) {
        check_interrupt();
        mark_done(c);
      }
    } catch (const std::exception &e) {
      fail(EXIT_RUNTIME, e.what());
    }
  } catch (CaptureError &e) {
    std::string problems;
    for (size_t i = b.claims.size(); i-- > 0;) {
      Claim &c = b.claims[i];
      const std::string left = undo_moves(c.dir, c.stage, names[i]);
      c.keep = !left.empty();
      if (c.keep)
        problems += left + "(the next run into " + in_quotes(c.dir) + " tries again)\n";
    }
    // The last folder's staging folder tells the next run that the commit
    // did not finish.
    if (!problems.empty())
      b.claims.back().keep = true;
    if (e.status >= EXIT_SIGNAL_BASE)
      e.message = e.message.substr(0, e.message.find(';')) + " while moving the files into place";
    if (problems.empty()) {
      e.message += "; every file is as it was";
    } else {
      e.message += "; but these could not be put back:\n" + problems;
      e.message.pop_back();
    }
    throw;
  }

  // The files replaced are removed only now, the last folder's last: while
  // its done folder stands, a run cut short here is known to have finished.
  for (Claim &c : b.claims) {
    std::error_code ec;
    fs::remove_all(c.stage, ec);
    release_folder(c);
  }
  b = Books{};
}

void discard_outputs() {
  Books &b = books();
  std::error_code ec;
  for (Claim &c : b.claims) {
    if (!c.keep)
      fs::remove_all(c.stage, ec);
    release_folder(c);
  }
  for (const std::string &file : b.scratch)
    fs::remove(file, ec);
  for (size_t i = b.made_dirs.size(); i-- > 0;)
    if (fs::is_empty(b.made_dirs[i], ec))
      fs::remove(b.made_dirs[i], ec);
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
