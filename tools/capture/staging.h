#pragma once
// The files of a run come into place together, or not at all. Every folder
// a run writes into gets a staging folder of that run:
//
//   DIR/.demo-capture-partial-PID-stage/new/NAME  a finished file, until the commit
//   DIR/.demo-capture-partial-PID-stage/old/NAME  the file it replaces, during the commit
//   DIR/.demo-capture-partial-PID-stage/journal   the run's folders, and the names for DIR
//
// The commit writes every journal, sets aside every file that will be
// replaced, moves the new files in, and then renames the staging folders one
// by one to ".demo-capture-partial-PID-done". The rename of the last one is
// the moment the run's files count; the done folders, holding the replaced
// files, are then removed, the last one last. Before that moment every step
// can be undone from the journals alone: by the run itself after a failure
// or a signal, or by the next run into any of its folders after it was
// killed outright or the power failed. That run undoes the killed run in
// every one of its folders it can lock, and only removes its leftovers when
// the killed run had reached the moment.
//
// A run holds a lock on every folder it writes into (POSIX: flock on the
// folder, which the system drops however the run ends), so a second run into
// the folder is refused, and a staging folder whose lock is free belongs to a
// run that has ended. Where there is no lock (Windows, file systems without
// flock) the process id in the name tells.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace capture {

// A folder taken by this run.
struct Claim {
  std::string dir;   // the folder, as the run names it
  std::string stage; // this run's staging folder in it (its done folder once renamed)
  int lock = -1;     // descriptor holding the folder's lock, or -1
  bool keep = false; // an undo failed: the staging folder stays for the next run
};

// Takes dir for this run: its lock, the undo or removal of what ended runs
// left in it, then this run's staging folder with new/ inside. Returns
// false, touching nothing, when another live run holds the folder; busy_pid
// is then its process id, or 0 when that cannot be told. Throws (exit 2)
// when the staging folder cannot be made or a killed run's files cannot all
// be put back.
bool claim_folder(Claim &claim, const std::string &dir, int64_t &busy_pid);

// Lets go of the folder's lock; the staging folder is the caller's.
void release_folder(Claim &claim);

// The files waiting in the staging folder's new/, sorted by name.
std::vector<std::string> staged_names(const Claim &claim);

// Writes the journal (all folders of the run, in commit order, and the names
// for this one) and makes it durable, before any move.
void write_journal(const Claim &claim, const std::vector<std::string> &folders,
                   const std::vector<std::string> &names);
// A complete journal; false when there is none or it is torn (then the run
// had made no move).
bool read_journal(const std::string &stage, std::vector<std::string> &folders,
                  std::vector<std::string> &names);

// The steps of a commit. Each throws on failure, having changed nothing.
void set_aside(const Claim &claim, const std::string &name);
void move_in(const Claim &claim, const std::string &name);
// Renames the staging folder to its done name, after the folder's entries
// are made durable.
void mark_done(Claim &claim);

// Puts back every file of the names: a new file that was moved in is
// removed, a file that was set aside returns. Works on a staging folder and
// on a done folder, and is safe to repeat at any point. Returns what could
// not be put back, one line per file, or ""; counts the files it removed or
// put back in changed.
std::string undo_moves(const std::string &dir, const std::string &stage,
                       const std::vector<std::string> &names, size_t *changed = nullptr);

// Makes what was written to the files of dir's file system durable (Linux:
// syncfs), before the journal says they are complete.
void sync_file_system(const std::string &dir);

// The folder as the journals name it: absolute, links resolved.
std::string journal_folder(const std::string &dir);

} // namespace capture
