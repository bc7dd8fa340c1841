// A run replaces nothing until it has succeeded and then everything at once,
// never replaces what is not a regular file, refuses to overwrite unless told
// and outputs that collide, and puts right what a killed run left. (What a
// replaced file keeps, long names and a second run: the end-to-end tests.)
#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>
#include <sys/wait.h>

#include "tests/capture/test_support.h"
#include "tools/capture/capture_error.h"
#include "tools/capture/leftovers.h"
#include "tools/capture/output_files.h"
#include "tools/capture/staging.h"

using namespace capture;
using namespace capture_test;
namespace fs = std::filesystem;

namespace {

// The message of the usage error an action throws, or "" if it throws none.
template <typename Action> std::string refusal(Action &&action) {
  try {
    action();
  } catch (const CaptureError &e) {
    EXPECT_EQ(e.status, EXIT_USAGE) << e.message;
    discard_outputs();
    return e.message;
  }
  return "";
}

std::string text_of(const fs::path &p) {
  const std::vector<uint8_t> b = read_bytes(p);
  return std::string(b.begin(), b.end());
}

void write_text(OutputFile &out, const char *text) {
  std::fputs(text, out.file);
  close_output(out);
}

std::vector<std::string> hidden_files(const fs::path &dir) {
  std::vector<std::string> found;
  for (const auto &entry : fs::recursive_directory_iterator(dir))
    if (entry.path().filename().string()[0] == '.')
      found.push_back(entry.path().string());
  return found;
}

bool has(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

FolderTarget folder(const fs::path &dir, std::vector<std::string> names,
                    const char *option = "--png") {
  return check_folder_target(dir.string(), option, std::move(names));
}

// A run in a child process that writes "new" over a.wav in one folder and
// b.wav in another and stops for good after `moves` steps of its commit
// (set-asides, move-ins and done renames in the tool's order). Returns its
// process id.
pid_t child_run(const fs::path &one, const fs::path &two, int moves) {
  const pid_t pid = fork();
  if (pid != 0)
    return pid;
  const char *names[2] = {"a.wav", "b.wav"};
  // The steps of commit_outputs, cut short.
  Claim claims[2];
  int64_t busy = 0;
  if (!claim_folder(claims[0], one.string(), busy) || !claim_folder(claims[1], two.string(), busy))
    _exit(3);
  const std::vector<std::string> folders = {journal_folder(one.string()),
                                            journal_folder(two.string())};
  for (int i = 0; i < 2; ++i) {
    std::ofstream(fs::path(claims[i].stage) / "new" / names[i]) << "new";
    write_journal(claims[i], folders, {names[i]});
  }
  int step = 0;
  for (int i = 0; i < 2 && step < moves; ++i, ++step)
    set_aside(claims[i], names[i]);
  for (int i = 0; i < 2 && step < moves; ++i, ++step)
    move_in(claims[i], names[i]);
  for (int i = 0; i < 2 && step < moves; ++i, ++step)
    mark_done(claims[i]);
  _exit(0); // killed: nothing is cleaned up
}

} // namespace

TEST(OutputFiles, TargetsFollowLinksAndKeepDevicesAndFifosInPlace) {
  const auto dir = scratch_dir("targets");
  std::ofstream(dir / "old.wav") << "old";
  fs::create_symlink("old.wav", dir / "link.wav");
  fs::create_symlink("link.wav", dir / "link2.wav");
  fs::create_symlink("sub/new.wav", dir / "dangling.wav");
  fs::create_directory(dir / "sub");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);

  FileTarget t = check_file_target((dir / "link2.wav").string(), "--wav");
  EXPECT_EQ(fs::path(t.path), dir / "old.wav");
  EXPECT_FALSE(t.stream);
  t = check_file_target((dir / "dangling.wav").string(), "--wav");
  EXPECT_EQ(fs::path(t.path), dir / "sub/new.wav");
  EXPECT_TRUE(check_file_target((dir / "fifo").string(), "--wav").stream);
  EXPECT_TRUE(check_file_target("/dev/null", "--video").stream);

  // Written through the links: both links stay, the file they name changes.
  OutputFile out;
  open_output(out, claimed_file(dir / "link2.wav", true));
  write_text(out, "new");
  EXPECT_EQ(text_of(dir / "old.wav"), "old"); // not before the run has succeeded
  commit_outputs();
  EXPECT_TRUE(fs::is_symlink(dir / "link2.wav"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.wav"));
  EXPECT_EQ(text_of(dir / "old.wav"), "new");

  open_output(out, claimed_file(dir / "dangling.wav"));
  write_text(out, "made");
  commit_outputs();
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.wav"));
  EXPECT_EQ(text_of(dir / "sub/new.wav"), "made");
  EXPECT_TRUE(hidden_files(dir).empty());
  fs::remove_all(dir);
}

TEST(OutputFiles, RefusesUnusableTargetsAndReadsTrailingSeparatorsAsTheFolder) {
  const auto dir = scratch_dir("refuse");
  std::ofstream(dir / "plain") << "x";
  fs::create_symlink("loop", dir / "loop");

  EXPECT_TRUE(has(refusal([&] { check_file_target(dir.string(), "--video"); }), "directory"));
  EXPECT_TRUE(has(refusal([&] { check_file_target((dir / "plain/x.wav").string(), "--wav"); }),
                  "'" + (dir / "plain").string() + "' is not a folder"));
  EXPECT_TRUE(has(refusal([&] { check_file_target((dir / "no/x.wav").string(), "--wav"); }),
                  "there is no folder '" + (dir / "no").string() + "'"));
  EXPECT_NE(refusal([&] { check_file_target((dir / "loop").string(), "--wav"); }), "");
  EXPECT_NE(refusal([&] { folder(dir / "plain", {}); }), "");
  EXPECT_TRUE(has(refusal([&] { folder(dir / "plain/sub", {}); }), "is not a folder"));
  EXPECT_TRUE(has(refusal([&] { folder(dir / "no/such", {}); }), "there is no folder"));

  // "new/", "new//" and "new/." name the folder new, made by the run.
  for (const char *tail : {"/", "//", "/.", "/./"}) {
    FolderTarget t = folder((dir / "new").string() + tail, {"frame_00000.png"});
    EXPECT_EQ(fs::path(t.dir), dir / "new") << tail;
    claim_targets({}, {&t}, false);
    open_folder(t);
    write_whole_file((fs::path(t.staging) / "frame_00000.png").string(),
                     reinterpret_cast<const uint8_t *>("x"), 1);
    commit_outputs();
    EXPECT_EQ(text_of(dir / "new/frame_00000.png"), "x") << tail;
    fs::remove_all(dir / "new");
  }
  EXPECT_FALSE(fs::exists(dir / "no"));
  EXPECT_TRUE(hidden_files(dir).empty());
  fs::remove_all(dir);
}

TEST(OutputFiles, RefusesExistingFilesNamingThemAll) {
  const auto dir = scratch_dir("existing");
  std::ofstream(dir / "a.wav") << "x";
  fs::create_directory(dir / "frames");
  std::ofstream(dir / "frames/frame_00003.png") << "x";
  std::ofstream(dir / "frames/frame_00005.png") << "x";
  fs::create_directory(dir / "frames/frame_00007.png");

  FileTarget wav = check_file_target((dir / "a.wav").string(), "--wav");
  FolderTarget png =
      folder(dir / "frames", {"frame_00002.png", "frame_00003.png", "frame_00005.png"});
  const std::string e = refusal([&] { claim_targets({&wav}, {&png}, false); });
  EXPECT_TRUE(has(e, "--wav '" + (dir / "a.wav").string() + "'")) << e;
  EXPECT_TRUE(has(e, "frame_00003.png' (and 1 more of --png)")) << e;
  EXPECT_TRUE(has(e, "add -y (--overwrite) to replace them")) << e;
  EXPECT_EQ(refusal([&] { claim_targets({&wav}, {&png}, true); }), "");
  discard_outputs();
  // A folder where a frame should go is in the way even with -y.
  FolderTarget blocked = folder(dir / "frames", {"frame_00007.png"});
  EXPECT_TRUE(has(refusal([&] { claim_targets({}, {&blocked}, true); }), "not a file"));
  EXPECT_TRUE(hidden_files(dir).empty());
  fs::remove_all(dir);
}

TEST(OutputFiles, RefusesTwoOutputsIntoOneFile) {
  const auto dir = scratch_dir("collide");
  fs::create_directory(dir / "st");
  fs::create_directory(dir / "p");
  fs::create_symlink("both.mkv", dir / "link.mkv");
  const std::vector<std::string> voices = {"voice_00.wav", "voice_01.wav"};
  const std::vector<std::string> frames = {"frame_00002.png", "frame_00003.png"};

  for (const bool overwrite : {false, true}) {
    FileTarget wav = check_file_target((dir / "st/voice_00.wav").string(), "--wav");
    FolderTarget stems = folder(dir / "st/", voices, "--stems");
    EXPECT_TRUE(
        has(refusal([&] { claim_targets({&wav}, {&stems}, overwrite); }), "are the same file"));
    wav = check_file_target((dir / "p/./frame_00002.png").string(), "--wav");
    FolderTarget png = folder(dir / "p", frames);
    EXPECT_TRUE(has(refusal([&] { claim_targets({&wav}, {&png}, overwrite); }), "same file"));
    wav = check_file_target((dir / "link.mkv").string(), "--wav");
    FileTarget video = check_file_target((dir / "both.mkv").string(), "--video");
    EXPECT_TRUE(has(refusal([&] { claim_targets({&wav, &video}, {}, overwrite); }), "same file"));
  }
  // A frame outside the run's range is not one of its files.
  FileTarget wav = check_file_target((dir / "p/frame_00004.png").string(), "--wav");
  FolderTarget png = folder(dir / "p", frames);
  EXPECT_EQ(refusal([&] { claim_targets({&wav}, {&png}, false); }), "");
  discard_outputs();
  EXPECT_TRUE(hidden_files(dir).empty());
  fs::remove_all(dir);
}

TEST(OutputFiles, NothingChangesUntilCommitAndAFailureChangesNothing) {
  const auto dir = scratch_dir("commit");
  std::ofstream(dir / "a.wav") << "old";
  fs::create_directory(dir / "frames");
  std::ofstream(dir / "frames/frame_00001.raw") << "old1";
  std::ofstream(dir / "frames/frame_00009.raw") << "old9";

  for (const bool succeed : {false, true}) {
    FileTarget wav = check_file_target((dir / "a.wav").string(), "--wav");
    FolderTarget frames = folder(dir / "frames", {"frame_00001.raw", "frame_00002.raw"}, "--raw");
    FolderTarget made = folder(dir / "made", {}, "--png");
    claim_targets({&wav}, {&frames, &made}, true);
    OutputFile out;
    open_output(out, wav);
    write_text(out, "new");
    open_folder(frames);
    open_folder(made);
    for (const char *name : {"frame_00001.raw", "frame_00002.raw"})
      write_whole_file((fs::path(frames.staging) / name).string(),
                       reinterpret_cast<const uint8_t *>("new"), 3);
    EXPECT_EQ(text_of(dir / "a.wav"), "old");
    EXPECT_EQ(text_of(dir / "frames/frame_00001.raw"), "old1");
    EXPECT_FALSE(fs::exists(dir / "frames/frame_00002.raw"));
    if (succeed)
      commit_outputs();
    else
      discard_outputs();
    EXPECT_TRUE(hidden_files(dir).empty()) << succeed;
    if (!succeed) {
      EXPECT_EQ(text_of(dir / "a.wav"), "old");
      EXPECT_EQ(text_of(dir / "frames/frame_00001.raw"), "old1");
      EXPECT_FALSE(fs::exists(dir / "frames/frame_00002.raw"));
      EXPECT_FALSE(fs::exists(dir / "made")); // made by the run, so taken back
    }
  }
  EXPECT_EQ(text_of(dir / "a.wav"), "new");
  EXPECT_EQ(text_of(dir / "frames/frame_00001.raw"), "new");
  EXPECT_EQ(text_of(dir / "frames/frame_00002.raw"), "new");
  EXPECT_EQ(text_of(dir / "frames/frame_00009.raw"), "old9");
  EXPECT_TRUE(fs::is_directory(dir / "made"));
  fs::remove_all(dir);
}

TEST(OutputFiles, JournalIsCompleteOnlyWithItsEndMark) {
  const auto dir = scratch_dir("journal");
  Claim claim;
  int64_t busy = 0;
  ASSERT_TRUE(claim_folder(claim, dir.string(), busy));
  const std::vector<std::string> folders = {"/a", "/b c"};
  const std::vector<std::string> names = {"x.wav", "line\nbreak.wav", "end"};
  write_journal(claim, folders, names);
  std::vector<std::string> got_folders;
  std::vector<std::string> got_names;
  ASSERT_TRUE(read_journal(claim.stage, got_folders, got_names));
  EXPECT_EQ(got_folders, folders);
  EXPECT_EQ(got_names, names);
  // Cut off anywhere, it never passes for a shorter journal.
  const fs::path journal = fs::path(claim.stage) / "journal";
  const std::string whole = text_of(journal);
  for (size_t n = 0; n < whole.size(); ++n) {
    std::ofstream(journal, std::ios::binary | std::ios::trunc) << whole.substr(0, n);
    EXPECT_FALSE(read_journal(claim.stage, got_folders, got_names)) << n;
  }
  release_folder(claim);
  fs::remove_all(dir);
}

TEST(OutputFiles, TheNextRunUndoesAKilledCommitInEveryFolderOfIt) {
  // Steps: set aside a.wav, b.wav; move in a.wav, b.wav; rename the staging
  // folders of one and two. Only after the last is the commit complete.
  for (int moves = 0; moves <= 6; ++moves) {
    const auto one = scratch_dir("killed-one");
    const auto two = scratch_dir("killed-two");
    std::ofstream(one / "a.wav") << "old";
    std::ofstream(two / "b.wav") << "old";
    const pid_t run = child_run(one, two, moves);
    int status = 0;
    waitpid(run, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << moves;

    // The next run goes into the second folder only, and puts back both.
    OutputFile out;
    open_output(out, claimed_file(two / "next.wav"));
    write_text(out, "next");
    commit_outputs();
    const std::string want = moves == 6 ? "new" : "old";
    EXPECT_EQ(text_of(one / "a.wav"), want) << moves;
    EXPECT_EQ(text_of(two / "b.wav"), want) << moves;
    EXPECT_TRUE(partial_files(one).empty()) << moves;
    EXPECT_TRUE(partial_files(two).empty()) << moves;
    fs::remove_all(one);
    fs::remove_all(two);
  }
}

TEST(OutputFiles, ScratchFilesOfEndedWritersAreSwept) {
  const auto dir = scratch_dir("sweep");
  const pid_t child = fork();
  if (child == 0)
    _exit(0);
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0); // now a process id nobody runs under
  const std::string dead = std::string(PARTIAL_PREFIX) + std::to_string(child) + "-";
  const std::string alive = std::string(PARTIAL_PREFIX) + std::to_string(getppid()) + "-";
  std::ofstream(dir / (dead + "sound.wav")) << "x";
  std::ofstream(dir / (alive + "sound.wav")) << "x";
  fs::create_directory(dir / (dead + "stage")); // another run's folder: not for this sweep
  std::ofstream(dir / "frame_00000.png") << "x";
  sweep_scratch(dir.string());
  EXPECT_FALSE(fs::exists(dir / (dead + "sound.wav")));
  EXPECT_TRUE(fs::exists(dir / (alive + "sound.wav")));
  EXPECT_TRUE(fs::exists(dir / (dead + "stage")));
  EXPECT_TRUE(fs::exists(dir / "frame_00000.png"));

  EXPECT_EQ(partial_writer(std::string(PARTIAL_PREFIX) + "123-a.wav"), 123);
  EXPECT_EQ(partial_tag(std::string(PARTIAL_PREFIX) + "123-stage"), "stage");
  EXPECT_EQ(partial_writer(std::string(PARTIAL_PREFIX) + "123"), -1);
  EXPECT_EQ(partial_writer(std::string(PARTIAL_PREFIX) + "-a"), -1);
  EXPECT_EQ(partial_writer(".partial-123-a.wav"), -1);
  fs::remove_all(dir);
}

TEST(OutputFiles, NumberedNames) {
  EXPECT_EQ(fs::path(numbered_path("d", "frame_", 42, 5, ".raw")), fs::path("d/frame_00042.raw"));
  EXPECT_EQ(fs::path(numbered_path("d", "frame_", 123456, 5, ".png")),
            fs::path("d/frame_123456.png"));
  EXPECT_EQ(fs::path(numbered_path("d", "voice_", 11, 2, ".wav")), fs::path("d/voice_11.wav"));
}
