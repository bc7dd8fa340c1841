#pragma once
// A run never loses or half-replaces a user's file. Every file is written
// into the run's staging folder inside the folder it ends up in (staging.h)
// and moved into place only when the whole run has succeeded, all files of
// the run in one commit. Links are followed to their target; devices, FIFOs
// and standard output are written in place, since there is nothing to move.
// An existing file is replaced only when the user allowed it, and the new
// file keeps its permission bits and, where the system lets this process set
// them, its owner and group.
//
// The bookkeeping (what to move in, what to remove after a failure) belongs
// to the main thread: targets are checked, claimed, opened, closed and
// committed there. Files inside a staging folder may be written from any
// thread with write_whole_file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace capture {

// A single file named on the command line.
struct FileTarget {
  std::string option;  // for messages; empty: not written
  std::string name;    // as given, for messages
  std::string path;    // where the bytes end up, links followed
  bool stream = false; // a device, FIFO or standard output: written in place
};

// Checks a file target without creating anything. Refuses (exit 2) a
// directory, a missing folder or one that is not a folder, a loop of links,
// and standard output on a terminal.
FileTarget check_file_target(const std::string &name, const char *option);

// A folder of numbered files named on the command line.
struct FolderTarget {
  std::string option;             // for messages; empty: not written
  std::string given;              // as given, for messages
  std::string dir;                // the same without trailing separators and "."
  std::vector<std::string> names; // the files the run writes into it
  std::string staging;            // where they are written until the commit
};

// Checks a folder target without creating anything. Refuses a path that is
// not a folder and a missing parent; "DIR/", "DIR//" and "DIR/." are DIR.
FolderTarget check_folder_target(const std::string &dir, const char *option,
                                 std::vector<std::string> names);

// Checks every target of the run together and claims the folders that exist
// (staging.h). Refuses (exit 2) two outputs into one file, a folder that
// another live run is writing into, and, unless overwrite is set, files
// that exist, naming them all; a file that is not a file where one should
// go is refused even so.
void claim_targets(const std::vector<const FileTarget *> &files,
                   const std::vector<const FolderTarget *> &folders, bool overwrite);

// Makes the folder (its last component only) if needed and claims it; sets
// target.staging.
void open_folder(FolderTarget &target);

// One file being written.
struct OutputFile {
  std::string name;    // for messages
  std::string written; // the file the bytes go to now
  FILE *file = nullptr;
};

// Opens a file target: a file in the staging folder beside it, or the
// stream itself (refused, exit 2, when that is a terminal).
void open_output(OutputFile &out, const FileTarget &target);
// Reserves the place of a file somebody else (ffmpeg) writes: the staged
// file is created empty; a stream is left alone. Nothing is opened.
void reserve_output(OutputFile &out, const FileTarget &target);
// A file inside a folder target's staging folder.
void open_in_folder(OutputFile &out, const FolderTarget &target, const std::string &name);
// A scratch file of this run: in the staging folder of the target's folder,
// or for a stream in the system's temporary folder. Removed on failure and
// by remove_scratch.
void open_scratch(OutputFile &out, const FileTarget &beside, const std::string &tag);
void remove_scratch(OutputFile &out);

// Flushes and closes (standard output is only flushed). Throws on a failed
// write.
void close_output(OutputFile &out);

// Closes without checking, after a failure.
void close_quietly(OutputFile &out);

// Moves every staged file into place, once the whole run has succeeded: all
// of them or, after a failure or a signal on the way, none. Throws the
// failure or the interruption with every file put back.
void commit_outputs();

// After a failure: removes the staging folders, scratch files and the
// folders this run created, leaving every target as it was. Idempotent.
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
