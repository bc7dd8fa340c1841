// A run replaces nothing until it has succeeded, never replaces what is not a
// regular file, refuses to overwrite unless told, and cleans up after runs
// that were killed.
#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>
#include <sys/wait.h>

#include "tests/capture/test_support.h"
#include "tools/capture/capture_error.h"
#include "tools/capture/leftovers.h"
#include "tools/capture/output_files.h"

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

} // namespace

TEST(OutputFiles, TargetsFollowLinksAndKeepDevicesAndFifosInPlace) {
  const auto dir = scratch_dir("targets");
  std::ofstream(dir / "old.wav") << "old";
  fs::create_symlink("old.wav", dir / "link.wav");
  fs::create_symlink("link.wav", dir / "link2.wav");
  fs::create_symlink("sub/new.wav", dir / "dangling.wav");
  fs::create_directory(dir / "sub");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);

  FileTarget t = check_file_target((dir / "link2.wav").string(), "--wav", true);
  EXPECT_EQ(fs::path(t.path), dir / "old.wav");
  EXPECT_FALSE(t.stream);
  EXPECT_TRUE(t.replaces);
  t = check_file_target((dir / "dangling.wav").string(), "--wav", false);
  EXPECT_EQ(fs::path(t.path), dir / "sub/new.wav");
  EXPECT_FALSE(t.replaces);
  EXPECT_TRUE(check_file_target((dir / "fifo").string(), "--wav", false).stream);
  EXPECT_TRUE(check_file_target("/dev/null", "--video", false).stream);

  // Written through the links: both links stay, the file they name changes.
  OutputFile out;
  open_output(out, check_file_target((dir / "link2.wav").string(), "--wav", true));
  write_text(out, "new");
  EXPECT_EQ(text_of(dir / "old.wav"), "old"); // not before the run has succeeded
  commit_outputs();
  EXPECT_TRUE(fs::is_symlink(dir / "link2.wav"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.wav"));
  EXPECT_EQ(text_of(dir / "old.wav"), "new");

  open_output(out, check_file_target((dir / "dangling.wav").string(), "--wav", false));
  write_text(out, "made");
  commit_outputs();
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.wav"));
  EXPECT_EQ(text_of(dir / "sub/new.wav"), "made");
  EXPECT_TRUE(hidden_files(dir).empty());
  fs::remove_all(dir);
}

TEST(OutputFiles, RefusesUnusableAndExistingTargetsBeforeMakingAnything) {
  const auto dir = scratch_dir("refuse");
  std::ofstream(dir / "plain") << "x";
  fs::create_directory(dir / "frames");
  std::ofstream(dir / "frames/frame_00003.png") << "x";
  std::ofstream(dir / "frames/frame_00005.png") << "x";
  fs::create_directory(dir / "frames/frame_00007.png");
  fs::create_symlink("loop", dir / "loop");

  EXPECT_NE(refusal([&] {
              check_file_target((dir / "plain").string(), "--wav", false);
            }).find("-y (--overwrite)"),
            std::string::npos);
  EXPECT_NE(refusal([&] {
              check_file_target((dir / "plain").string(), "--wav", false);
            }).find((dir / "plain").string()),
            std::string::npos);
  EXPECT_NE(refusal([&] { check_file_target(dir.string(), "--video", true); }), "");
  EXPECT_NE(refusal([&] { check_file_target((dir / "plain/x.wav").string(), "--wav", true); }), "");
  EXPECT_NE(refusal([&] { check_file_target((dir / "no/x.wav").string(), "--wav", true); }), "");
  EXPECT_NE(refusal([&] { check_file_target((dir / "loop").string(), "--wav", true); }), "");
  EXPECT_NE(refusal([&] { check_folder_target((dir / "plain").string(), "--raw", {}, true); }), "");
  EXPECT_NE(refusal([&] { check_folder_target((dir / "no/such").string(), "--png", {}, true); }),
            "");

  // Existing frames of this run are named, with how many more there are.
  const std::vector<std::string> names = {"frame_00002.png", "frame_00003.png", "frame_00005.png"};
  const std::string e =
      refusal([&] { check_folder_target((dir / "frames").string(), "--png", names, false); });
  EXPECT_NE(e.find("frame_00003.png"), std::string::npos) << e;
  EXPECT_NE(e.find("1 more"), std::string::npos) << e;
  EXPECT_EQ(refusal([&] { check_folder_target((dir / "frames").string(), "--png", names, true); }),
            "");
  // A folder where a frame should go is in the way even with -y.
  EXPECT_NE(refusal([&] {
              check_folder_target((dir / "frames").string(), "--png", {"frame_00007.png"}, true);
            }),
            "");
  EXPECT_FALSE(fs::exists(dir / "no"));
  EXPECT_TRUE(hidden_files(dir / "frames").empty());
  fs::remove_all(dir);
}

TEST(OutputFiles, NothingChangesUntilCommitAndAFailureChangesNothing) {
  const auto dir = scratch_dir("commit");
  std::ofstream(dir / "a.wav") << "old";
  fs::create_directory(dir / "frames");
  std::ofstream(dir / "frames/frame_00001.raw") << "old1";
  std::ofstream(dir / "frames/frame_00009.raw") << "old9";

  for (const bool succeed : {false, true}) {
    OutputFile wav;
    open_output(wav, check_file_target((dir / "a.wav").string(), "--wav", true));
    write_text(wav, "new");
    FolderTarget frames = check_folder_target((dir / "frames").string(), "--raw",
                                              {"frame_00001.raw", "frame_00002.raw"}, true);
    open_folder(frames);
    FolderTarget made = check_folder_target((dir / "made").string(), "--png", {}, false);
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

TEST(OutputFiles, OnlyLeftoversOfEndedWritersAreSwept) {
  const auto dir = scratch_dir("sweep");
  const pid_t child = fork();
  if (child == 0)
    _exit(0);
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0); // now a process id nobody runs under
  const std::string dead = std::string(PARTIAL_PREFIX) + std::to_string(child) + "-";
  const std::string alive = std::string(PARTIAL_PREFIX) + std::to_string(getppid()) + "-";
  std::ofstream(dir / (dead + "a.wav")) << "x";
  fs::create_directories(dir / (dead + "png") / "sub");
  std::ofstream(dir / (dead + "png") / "frame_00000.png") << "x";
  std::ofstream(dir / (alive + "b.wav")) << "x";
  std::ofstream(dir / partial_name_in("", "mine.wav")) << "x";
  std::ofstream(dir / (std::string(PARTIAL_PREFIX) + "x-c.wav")) << "x";
  std::ofstream(dir / "frame_00000.png") << "x";

  sweep_leftovers(dir.string());
  EXPECT_FALSE(fs::exists(dir / (dead + "a.wav")));
  EXPECT_FALSE(fs::exists(dir / (dead + "png")));
  EXPECT_TRUE(fs::exists(dir / (alive + "b.wav")));
  EXPECT_TRUE(fs::exists(dir / partial_name_in("", "mine.wav")));
  EXPECT_TRUE(fs::exists(dir / (std::string(PARTIAL_PREFIX) + "x-c.wav")));
  EXPECT_TRUE(fs::exists(dir / "frame_00000.png"));

  EXPECT_EQ(partial_writer(std::string(PARTIAL_PREFIX) + "123-a.wav"), 123);
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
