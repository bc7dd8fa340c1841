#pragma once
// A run never loses or half-replaces a user's file. Regular files are written
// under a partial name beside their target and moved in only when the whole
// run has succeeded; frame sets are written into a staging folder inside
// their target folder and moved in the same way. Links are followed to their
// target; devices, FIFOs and standard output are written in place, since
// there is nothing to move. An existing file is replaced only when the user
// allowed it.
//
// The bookkeeping (what to move in, what to remove after a failure) belongs
// to the main thread: targets are checked, opened, closed and committed
// there. Files inside a staging folder may be written from any thread with
// write_whole_file; the folder is moved in as a whole.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace capture {

// A single file named on the command line.
struct FileTarget {
  std::string name;      // as given, for messages
  std::string path;      // where the bytes end up, links followed
  bool stream = false;   // a device, FIFO or standard output: written in place
  bool replaces = false; // an existing file will be replaced
};

// Checks a file target without creating anything. Refuses (exit 2) a
// directory, a missing folder, a loop of links, standard output on a
// terminal, and an existing file unless overwrite is set.
FileTarget check_file_target(const std::string &name, const char *option, bool overwrite);

// A folder of numbered files named on the command line.
struct FolderTarget {
  std::string dir;
  std::string option;  // for messages
  std::string staging; // the folder the files are written into until commit
  bool overwrite = false;
};

// Checks a folder target and the names that will be written into it, without
// creating anything. Refuses a path that is not a folder, a missing parent,
// and names that exist unless overwrite is set.
FolderTarget check_folder_target(const std::string &dir, const char *option,
                                 const std::vector<std::string> &names, bool overwrite);

// Creates the folder (its last component only) if needed and the staging
// folder inside it, after removing what killed runs left there.
void open_folder(FolderTarget &target);

// One file being written.
struct OutputFile {
  std::string name;    // for messages
  std::string written; // the file the bytes go to now
  std::string final;   // where it is moved on success; empty: it stays (streams, staging)
  bool replaces = false;
  FILE *file = nullptr;
};

// Opens a file target: a partial file beside it, or the stream itself.
void open_output(OutputFile &out, const FileTarget &target);
// Reserves the place of a file somebody else (ffmpeg) writes: the partial
// file is created empty; a stream is left alone. Nothing is opened.
void reserve_output(OutputFile &out, const FileTarget &target);
// A file inside a folder target's staging folder.
void open_in_folder(OutputFile &out, const FolderTarget &target, const std::string &name);
// A scratch file of this run in dir, removed on failure and by remove_scratch.
void open_scratch(OutputFile &out, const std::string &dir, const std::string &tag);
void remove_scratch(OutputFile &out);

// Flushes and closes (standard output is only flushed). A partial file is
// queued to be moved to its target by commit_outputs. Throws on a failed write.
void close_output(OutputFile &out);

// Closes without checking, after a failure.
void close_quietly(OutputFile &out);

// Moves every queued file and staged folder to its place, once the whole run
// has succeeded.
void commit_outputs();

// After a failure: removes partial files, staging folders and the folders
// this run created, leaving every target as it was. Idempotent.
void discard_outputs();

// Writes a whole new file at path (inside a staging folder). Needs no
// bookkeeping, so any thread may call it. Throws on failure.
void write_whole_file(const std::string &path, const uint8_t *data, size_t size);

// "DIR/PREFIX%05dSUFFIX" for frame and voice file names.
std::string numbered_path(const std::string &dir, const char *prefix, int64_t number, int digits,
                          const char *suffix);

// Throws the interruption if a signal arrived (a blocked call then fails with
// EINTR), otherwise a runtime error: "what 'name' failed: reason".
[[noreturn]] void fail_io(const std::string &what, const std::string &name);

} // namespace capture
