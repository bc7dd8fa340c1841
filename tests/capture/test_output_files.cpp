// Files appear complete or not at all; unusable places are refused up front.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/capture/test_support.h"
#include "tools/capture/capture_error.h"
#include "tools/capture/output_files.h"

using namespace capture;
using namespace capture_test;
namespace fs = std::filesystem;

TEST(OutputFiles, PartialNameIsHiddenBesideTheTargetAndKeepsTheExtension) {
  const std::string p = partial_path("some/dir/out.mp4");
  EXPECT_EQ(fs::path(p).parent_path(), "some/dir");
  const std::string name = fs::path(p).filename().string();
  EXPECT_EQ(name.rfind(".partial-", 0), 0u);
  EXPECT_EQ(fs::path(p).extension(), ".mp4");
  EXPECT_NE(name.find("out.mp4"), std::string::npos);
}

TEST(OutputFiles, WholeFileAppearsUnderItsName) {
  const auto dir = scratch_dir("whole");
  const uint8_t data[3] = {1, 2, 3};
  write_file_at_once((dir / "a.raw").string(), data, 3);
  EXPECT_EQ(read_bytes(dir / "a.raw"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(partial_files(dir).empty());
  fs::remove_all(dir);
}

TEST(OutputFiles, FailureRemovesEveryPartialFile) {
  const auto dir = scratch_dir("cleanup");
  std::string p1, p2;
  FILE *a = open_partial((dir / "a.wav").string(), p1);
  FILE *b = open_partial((dir / "b.wav").string(), p2);
  std::fputs("half", a);
  std::fclose(a);
  std::fclose(b);
  EXPECT_EQ(partial_files(dir).size(), 2u);
  remove_partials();
  EXPECT_TRUE(partial_files(dir).empty());
  EXPECT_FALSE(fs::exists(dir / "a.wav"));

  // A committed file is left alone by a later cleanup.
  std::string p3;
  FILE *c = open_partial((dir / "c.wav").string(), p3);
  commit_partial(c, p3, (dir / "c.wav").string());
  remove_partials();
  EXPECT_TRUE(fs::exists(dir / "c.wav"));
  fs::remove_all(dir);
}

TEST(OutputFiles, RefusesUnusablePlacesWithAUsageError) {
  const auto dir = scratch_dir("refuse");
  std::ofstream(dir / "plain") << "x";
  auto status_of = [](auto &&action) {
    try {
      action();
    } catch (const CaptureError &e) {
      EXPECT_FALSE(e.message.empty());
      return e.status;
    }
    return 0;
  };
  std::string partial;
  // A file under a regular file cannot exist, even for root.
  EXPECT_EQ(status_of([&] { open_partial((dir / "plain" / "x.wav").string(), partial); }),
            EXIT_USAGE);
  EXPECT_EQ(status_of([&] { open_partial(dir.string(), partial); }), EXIT_USAGE);
  EXPECT_EQ(status_of([&] { prepare_directory((dir / "plain").string(), "--raw"); }), EXIT_USAGE);
  EXPECT_EQ(status_of([&] { prepare_directory((dir / "plain" / "sub").string(), "--png"); }),
            EXIT_USAGE);
  EXPECT_EQ(status_of([&] { prepare_directory((dir / "no" / "such").string(), "--png"); }),
            EXIT_USAGE);
  EXPECT_FALSE(fs::exists(dir / "no")); // parents are not made up

  // A missing last component is created; an existing directory is fine.
  EXPECT_EQ(status_of([&] { prepare_directory((dir / "new").string(), "--raw"); }), 0);
  EXPECT_TRUE(fs::is_directory(dir / "new"));
  EXPECT_EQ(status_of([&] { prepare_directory((dir / "new").string(), "--raw"); }), 0);
  EXPECT_TRUE(partial_files(dir / "new").empty()); // the probe is gone
  fs::remove_all(dir);
}

TEST(OutputFiles, FailureTakesBackDirectoriesItMadeWhileEmpty) {
  const auto dir = scratch_dir("madedirs");
  fs::create_directory(dir / "old");
  prepare_directory((dir / "old").string(), "--raw");
  prepare_directory((dir / "empty").string(), "--raw");
  prepare_directory((dir / "used").string(), "--png");
  const uint8_t byte = 1;
  write_file_at_once((dir / "used" / "frame_00000.png").string(), &byte, 1);
  remove_partials();
  EXPECT_TRUE(fs::exists(dir / "old"));
  EXPECT_FALSE(fs::exists(dir / "empty"));
  EXPECT_TRUE(fs::exists(dir / "used" / "frame_00000.png"));
  fs::remove_all(dir);
}

TEST(OutputFiles, NumberedNames) {
  EXPECT_EQ(fs::path(numbered_path("d", "frame_", 42, 5, ".raw")), fs::path("d/frame_00042.raw"));
  EXPECT_EQ(fs::path(numbered_path("d", "frame_", 123456, 5, ".png")),
            fs::path("d/frame_123456.png"));
  EXPECT_EQ(fs::path(numbered_path("d", "voice_", 11, 2, ".wav")), fs::path("d/voice_11.wav"));
}
