#include "tools/capture/staging.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "tools/capture/capture_error.h"
#include "tools/capture/leftovers.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace capture {

namespace fs = std::filesystem;

namespace {

constexpr char JOURNAL_HEADER[] = "demo-capture journal 1\n";
constexpr char JOURNAL_END[] = "end\n";

std::string in_quotes(const std::string &s) {
  return "'" + s + "'";
}

// "DIR/NAME", and in the current folder just "NAME", as a user writes it.
std::string under(const std::string &dir, const std::string &name) {
  return dir == "." ? name : (fs::path(dir) / name).string();
}

bool exists_at_all(const std::string &p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
}

// A folder only this user can look into: what is staged may be private.
void make_private_dir(const std::string &p) {
  std::error_code ec;
  if (!fs::create_directory(p, ec) && !ec)
    ec = std::make_error_code(std::errc::file_exists);
  if (ec)
    fail(EXIT_USAGE, "cannot write into " + in_quotes(fs::path(p).parent_path().string()) + ": " +
                         ec.message());
  fs::permissions(p, fs::perms::owner_all, fs::perm_options::replace, ec);
}

// The folder's entries (names, renames) durable.
void sync_dir([[maybe_unused]] const std::string &dir) {
#ifndef _WIN32
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
#endif
}

void rename_or_fail(const std::string &from, const std::string &to, const std::string &what) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec)
    fail(EXIT_RUNTIME, what + ": " + ec.message());
}

// The process id of a live run with a staging or done folder in dir, or 0.
int64_t live_writer(const std::string &dir) {
  std::error_code ec;
  for (const fs::directory_entry &entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    const int64_t pid = partial_writer(name);
    const std::string tag = partial_tag(name);
    if (pid > 0 && pid != this_process() && (tag == "stage" || tag == "done") &&
        process_running(pid))
      return pid;
  }
  return 0;
}

constexpr int NO_LOCKS = -2; // the system or file system has none
constexpr int BUSY = -3;

// The folder's lock for this process: a descriptor, BUSY or NO_LOCKS.
int lock_folder([[maybe_unused]] const std::string &dir) {
#ifndef _WIN32
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return NO_LOCKS;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0)
    return fd;
  const int error = errno;
  close(fd);
  return error == EWOULDBLOCK ? BUSY : NO_LOCKS;
#else
  return NO_LOCKS;
#endif
}

void unlock_folder([[maybe_unused]] int lock) {
#ifndef _WIN32
  if (lock >= 0)
    close(lock);
#endif
}

// A killed run's staging or done folder in dir.
struct Leftover {
  std::string path;
  bool done = false;
};

bool find_leftover(const std::string &dir, int64_t pid, Leftover &found) {
  const std::string prefix = PARTIAL_PREFIX + std::to_string(pid) + "-";
  for (const char *tag : {"stage", "done"}) {
    const std::string p = under(dir, prefix + tag);
    if (exists_at_all(p)) {
      found = {p, std::string(tag) == "done"};
      return true;
    }
  }
  return false;
}

bool same_folder(const std::string &a, const std::string &b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

// Run pid ended without finishing; its leftover in dir (locked by this run)
// is one of its folders. Unless it had renamed the staging folder of its
// last folder, its commit is undone in every folder of the run that can be
// locked now. The last folder's leftover goes last and stays while another
// could not be reached: while it stands, the others can still tell whether
// the run had finished.
void recover_run(const std::string &dir, int64_t pid, const Leftover &here) {
  std::vector<std::string> folders;
  std::vector<std::string> names;
  std::error_code ec;
  if (!read_journal(here.path, folders, names) || folders.empty()) {
    fs::remove_all(here.path, ec); // killed before its first move
    return;
  }
  Leftover last;
  const bool undo = !here.done || (find_leftover(folders.back(), pid, last) && !last.done);
  // A folder that has moved since is not found under its old name.
  if (std::none_of(folders.begin(), folders.end(),
                   [&dir](const std::string &f) { return same_folder(f, dir); }))
    folders.insert(folders.begin(), dir);
  bool all = true;
  std::string problems;
  std::string undone;
  for (size_t i = 0; i < folders.size(); ++i) {
    const bool is_here = same_folder(folders[i], dir);
    const std::string folder = is_here ? dir : folders[i];
    Leftover leftover = here;
    if (!is_here && !find_leftover(folder, pid, leftover))
      continue;
    const int lock = is_here ? NO_LOCKS : lock_folder(folder);
    if (lock == BUSY || (lock == NO_LOCKS && !is_here && live_writer(folder) != 0)) {
      all = false; // the run that has it puts it right when it next claims it
      continue;
    }
    std::vector<std::string> their_folders;
    std::vector<std::string> their_names;
    std::string left;
    size_t changed = 0;
    if (undo && read_journal(leftover.path, their_folders, their_names)) {
      left = undo_moves(folder, leftover.path, their_names, &changed);
      sync_dir(folder);
    }
    if (changed > 0)
      undone += (undone.empty() ? "" : ", ") + in_quotes(folder);
    all = all && left.empty();
    if (left.empty() && (all || i + 1 < folders.size()))
      fs::remove_all(leftover.path, ec);
    problems += left;
    unlock_folder(lock);
  }
  if (!problems.empty())
    fail(EXIT_USAGE, "run " + std::to_string(pid) +
                         " was killed while moving its files into place, and the files it "
                         "replaced cannot all be put back:\n" +
                         problems + "(they are in its folders named " + PARTIAL_PREFIX +
                         std::to_string(pid) + "-...)");
  if (!undone.empty())
    std::fprintf(stderr,
                 "demo-capture: run %lld was killed while moving its files into place; the "
                 "files it replaced are back in %s\n",
                 static_cast<long long>(pid), undone.c_str());
}

// What ended runs left in dir: a commit cut short is undone, staging folders
// and scratch files are removed. With the folder's lock held, every staging
// folder in it belongs to a run that has ended, even one whose process id a
// new process has since been given.
void clear_leftovers(const std::string &dir, bool locked) {
  std::error_code ec;
  std::vector<fs::path> found;
  for (const fs::directory_entry &entry : fs::directory_iterator(dir, ec))
    if (partial_writer(entry.path().filename().string()) >= 0)
      found.push_back(entry.path());
  for (const fs::path &p : found) {
    const std::string name = p.filename().string();
    const int64_t pid = partial_writer(name);
    const std::string tag = partial_tag(name);
    const bool staging = tag == "stage" || tag == "done";
    if (staging ? !locked && process_running(pid) : pid == this_process() || process_running(pid))
      continue;
    if (!exists_at_all(p.string()))
      continue; // recovered with an earlier leftover of its run
    if (staging)
      recover_run(dir, pid, {p.string(), tag == "done"});
    else
      fs::remove_all(p, ec); // a scratch file, or what an earlier version left
  }
}

} // namespace

bool claim_folder(Claim &claim, const std::string &dir, int64_t &busy_pid) {
  claim = Claim{};
  claim.dir = dir;
  busy_pid = 0;
  const int lock = lock_folder(dir);
  if (lock == BUSY || (lock == NO_LOCKS && live_writer(dir) != 0)) {
    busy_pid = live_writer(dir);
    return false;
  }
  claim.lock = lock >= 0 ? lock : -1;
  try {
    clear_leftovers(dir, lock >= 0);
    claim.stage = partial_name_in(dir, "stage");
    make_private_dir(claim.stage);
    make_private_dir(under(claim.stage, "new"));
  } catch (...) {
    release_folder(claim);
    throw;
  }
  return true;
}

void release_folder(Claim &claim) {
  unlock_folder(claim.lock);
  claim.lock = -1;
}

std::vector<std::string> staged_names(const Claim &claim) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry &entry : fs::directory_iterator(under(claim.stage, "new"), ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void write_journal(const Claim &claim, const std::vector<std::string> &folders,
                   const std::vector<std::string> &names) {
  const std::string path = under(claim.stage, "journal");
  std::string text = JOURNAL_HEADER + std::to_string(folders.size()) + '\0';
  for (const std::vector<std::string> *list : {&folders, &names})
    for (const std::string &entry : *list) {
      text += entry;
      text += '\0';
    }
  text += JOURNAL_END;
  FILE *file = std::fopen(path.c_str(), "wb");
  bool ok = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
            std::fflush(file) == 0;
#ifdef _WIN32
  ok = ok && _commit(_fileno(file)) == 0;
#else
  ok = ok && fsync(fileno(file)) == 0;
#endif
  const int error = errno;
  if (file != nullptr && std::fclose(file) != 0)
    ok = false;
  if (!ok)
    fail(EXIT_RUNTIME, "cannot write the journal " + in_quotes(path) + ": " + std::strerror(error));
  std::error_code ec;
  fs::create_directory(under(claim.stage, "old"), ec);
  sync_dir(claim.stage);
}

bool read_journal(const std::string &stage, std::vector<std::string> &folders,
                  std::vector<std::string> &names) {
  folders.clear();
  names.clear();
  std::ifstream in(under(stage, "journal"), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string header = JOURNAL_HEADER;
  if (text.compare(0, header.size(), header) != 0)
    return false;
  std::vector<std::string> entries;
  for (size_t at = header.size(); at < text.size();) {
    const size_t end = text.find('\0', at);
    if (end == std::string::npos) {
      // Complete only with its end mark and as many folders as it says.
      if (text.compare(at, std::string::npos, JOURNAL_END) != 0 || entries.empty())
        return false;
      const std::string &count = entries.front();
      if (count.empty() || count.size() > 6 || count.find_first_not_of("0123456789") != count.npos)
        return false;
      const size_t n = std::stoul(count);
      if (n + 1 > entries.size())
        return false;
      folders.assign(entries.begin() + 1, entries.begin() + 1 + static_cast<std::ptrdiff_t>(n));
      names.assign(entries.begin() + 1 + static_cast<std::ptrdiff_t>(n), entries.end());
      return true;
    }
    entries.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return false; // cut off before its end mark
}

void set_aside(const Claim &claim, const std::string &name) {
  const std::string target = under(claim.dir, name);
  if (exists_at_all(target))
    rename_or_fail(target, under(under(claim.stage, "old"), name),
                   "cannot set aside " + in_quotes(target) + " to replace it");
}

void move_in(const Claim &claim, const std::string &name) {
  const std::string target = under(claim.dir, name);
  rename_or_fail(under(under(claim.stage, "new"), name), target,
                 "cannot move the finished " + in_quotes(target) + " into place");
}

void mark_done(Claim &claim) {
  sync_dir(claim.dir);
  const std::string done = partial_name_in(claim.dir, "done");
  rename_or_fail(claim.stage, done, "cannot finish the moves into " + in_quotes(claim.dir));
  claim.stage = done;
  sync_dir(claim.dir);
}

std::string journal_folder(const std::string &dir) {
  std::error_code ec;
  const fs::path p = fs::canonical(dir, ec);
  return ec ? fs::absolute(dir, ec).string() : p.string();
}

std::string undo_moves(const std::string &dir, const std::string &stage,
                       const std::vector<std::string> &names, size_t *changed) {
  std::string problems;
  for (const std::string &name : names) {
    const std::string target = under(dir, name);
    const std::string old_file = under(under(stage, "old"), name);
    std::error_code ec;
    // A new file that is no longer staged has been moved in.
    if (!exists_at_all(under(under(stage, "new"), name)) && exists_at_all(target) &&
        fs::remove(target, ec) && changed != nullptr)
      ++*changed;
    if (!ec && exists_at_all(old_file)) {
      fs::rename(old_file, target, ec);
      if (!ec && changed != nullptr)
        ++*changed;
    }
    if (ec)
      problems += "  " + in_quotes(target) + ": " + ec.message() + "\n";
  }
  return problems;
}

void sync_file_system([[maybe_unused]] const std::string &dir) {
#if defined(__linux__)
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    syncfs(fd);
    close(fd);
  }
#elif !defined(_WIN32)
  sync();
#endif
}

} // namespace capture
