// The command line: what it accepts and every way it refuses.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tools/capture/options.h"

using namespace capture;

namespace {

std::string parse(std::initializer_list<const char *> args, Options &o) {
  std::vector<const char *> argv = {"demo-capture"};
  argv.insert(argv.end(), args.begin(), args.end());
  return parse_options(static_cast<int>(argv.size()), argv.data(), o);
}

// The error for a command line, which must name what is wrong.
std::string refusal(std::initializer_list<const char *> args) {
  Options o;
  return parse(args, o);
}

} // namespace

TEST(Options, Defaults) {
  Options o;
  ASSERT_EQ(parse({"demo32"}, o), "");
  EXPECT_EQ(o.show, ShowKind::DEMO32);
  EXPECT_FALSE(o.has_range);
  EXPECT_EQ(o.fps, 60);
  EXPECT_EQ(o.scale, 4);
  EXPECT_EQ(o.crf, 16);
  EXPECT_EQ(o.preset, "veryfast");
  EXPECT_EQ(o.png_level, 3);
  EXPECT_FALSE(o.overwrite);
  EXPECT_EQ(o.every, 1);
  EXPECT_EQ(o.jobs, 0); // one per core
  EXPECT_FALSE(o.seed_given);
  EXPECT_FALSE(o.no_smear);
  EXPECT_FALSE(o.quiet);
  EXPECT_TRUE(o.raw_dir.empty() && o.png_dir.empty() && o.wav_path.empty() && o.stems_dir.empty() &&
              o.video_path.empty());
  ASSERT_EQ(parse({"demo8"}, o), "");
  EXPECT_EQ(o.show, ShowKind::DEMO8);
}

TEST(Options, EverythingGiven) {
  Options o;
  ASSERT_EQ(parse({"--frames", "10-20",      "demo32",        "--raw",        "r",
                   "--png=p",  "--wav",      "a.wav",         "--stems",      "s",
                   "--video",  "v.MOV",      "--fps",         "50",           "--scale=2",
                   "--seed",   "4294967295", "--no-smear",    "--quiet",      "-y",
                   "--crf",    "0",          "--preset=slow", "--png-level=0"},
                  o),
            "");
  EXPECT_TRUE(o.has_range);
  EXPECT_EQ(o.first_frame, 10);
  EXPECT_EQ(o.last_frame, 20);
  EXPECT_EQ(o.raw_dir, "r");
  EXPECT_EQ(o.png_dir, "p");
  EXPECT_EQ(o.wav_path, "a.wav");
  EXPECT_EQ(o.stems_dir, "s");
  EXPECT_EQ(o.video_path, "v.MOV");
  EXPECT_EQ(std::string(video_container(o.video_path)), "mov");
  EXPECT_TRUE(o.overwrite);
  EXPECT_EQ(o.crf, 0);
  EXPECT_EQ(o.preset, "slow");
  EXPECT_EQ(o.png_level, 0);
  EXPECT_EQ(o.fps, 50);
  EXPECT_EQ(o.scale, 2);
  EXPECT_TRUE(o.seed_given);
  EXPECT_EQ(o.seed, 4294967295u);
  EXPECT_TRUE(o.no_smear);
  EXPECT_TRUE(o.quiet);
}

TEST(Options, SingleFrameRangeAndHelp) {
  Options o;
  ASSERT_EQ(parse({"demo8", "--frames", "1567-1567", "--every", "5", "--png", "p"}, o), "");
  EXPECT_EQ(o.first_frame, 1567);
  EXPECT_EQ(o.last_frame, 1567);
  EXPECT_EQ(o.every, 5);
  ASSERT_EQ(parse({"--help"}, o), "");
  EXPECT_TRUE(o.help);
  ASSERT_EQ(parse({"--version"}, o), "");
  EXPECT_TRUE(o.version);
  ASSERT_EQ(parse({"demo8", "--wav", "-", "--overwrite"}, o), "");
  EXPECT_EQ(o.wav_path, "-");
  EXPECT_TRUE(o.overwrite);
}

TEST(Options, RefusesAnOptionWhereAValueBelongs) {
  // "--wav --quiet" forgot the file name; it must not become a file "--quiet".
  for (const char *next : {"--quiet", "-y", "--png", "-x"}) {
    const std::string e = refusal({"demo32", "--wav", next, "--png", "p"});
    EXPECT_NE(e.find("looks like an option"), std::string::npos) << next << ": " << e;
    EXPECT_NE(e.find(next), std::string::npos) << next << ": " << e;
  }
  EXPECT_NE(refusal({"demo32", "--raw=--quiet"}).find("looks like an option"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--png", "-"}).find("standard output"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--stems", "-"}).find("standard output"), std::string::npos);
}

TEST(Options, RefusesVideosThatCannotBeWrittenAsAsked) {
  Options o;
  for (const char *name : {"v.mkv", "v.mp4", "V.MOV", "dir.x/v.mkv"})
    EXPECT_EQ(parse({"demo32", "--video", name}, o), "") << name;
  // Containers that do not hold H.264 and AAC, or a name without any.
  for (const char *name : {"v.webm", "v.ogg", "v.avi", "v", "v.mp4.part", "-"}) {
    const std::string e = refusal({"demo32", "--video", name});
    EXPECT_NE(e.find("--video"), std::string::npos) << name << ": " << e;
  }
  EXPECT_NE(refusal({"demo32", "--video", "v.webm"}).find(".mkv, .mp4 or .mov"), std::string::npos);
  // Odd enlargements put a colour sample across two pixels.
  for (const char *scale : {"1", "3", "5", "15"})
    EXPECT_NE(refusal({"demo32", "--scale", scale}).find("odd"), std::string::npos) << scale;
  for (const char *scale : {"2", "6", "16"})
    EXPECT_EQ(parse({"demo32", "--scale", scale, "--video", "v.mkv"}, o), "") << scale;
  EXPECT_NE(refusal({"demo32", "--crf", "52"}).find("--crf"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--crf", "x"}).find("--crf"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--preset", "quick"}).find("--preset"), std::string::npos);
}

TEST(Options, RefusesUnknownAndMisplacedArguments) {
  EXPECT_NE(refusal({}).find("demo32 or demo8"), std::string::npos);
  EXPECT_NE(refusal({"demo64"}).find("demo64"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "demo8"}).find("demo8"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--bogus"}).find("--bogus"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--bogus=1"}).find("--bogus"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--quiet=yes"}).find("--quiet"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--wav"}).find("--wav needs a value"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--wav="}).find("--wav"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--wav", "a", "--wav", "b"}).find("twice"), std::string::npos);
}

TEST(Options, RefusesMalformedOrEmptyRanges) {
  for (const char *bad :
       {"", "5", "-", "5-", "-5", "a-b", "1-2-3", "1 -2", "+1-2", "1-0x10", "99999999999-1"}) {
    const std::string e = refusal({"demo32", "--frames", bad});
    EXPECT_NE(e.find("--frames"), std::string::npos) << "'" << bad << "'";
  }
  EXPECT_NE(refusal({"demo32", "--frames", "20-10"}).find("empty"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--frames"}).find("needs a value"), std::string::npos);
}

TEST(Options, RefusesBadCounts) {
  for (const char *option : {"--fps", "--scale", "--every", "--jobs"}) {
    for (const char *bad : {"0", "-1", "-5", "", "x", "2.5", "1e3", " 3"}) {
      const std::string e = refusal({"demo32", option, bad});
      EXPECT_NE(e.find(option), std::string::npos) << option << " '" << bad << "'";
    }
    EXPECT_NE(refusal({"demo32", option}).find("needs a value"), std::string::npos) << option;
  }
  EXPECT_NE(refusal({"demo32", "--fps", "1001"}).find("too large"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--scale", "17"}).find("too large"), std::string::npos);
  EXPECT_NE(refusal({"demo8", "--jobs", "257"}).find("too large"), std::string::npos);
  EXPECT_NE(refusal({"demo8", "--jobs", "2", "--jobs=3"}).find("twice"), std::string::npos);
  for (const char *bad : {"13", "-1", "x", "", "1.5"})
    EXPECT_NE(refusal({"demo32", "--png-level", bad}).find("0 to 12"), std::string::npos) << bad;
  EXPECT_NE(refusal({"demo32", "--png-level=1", "--png-level=1"}).find("twice"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--seed", "-1"}).find("--seed"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--seed", "4294967296"}).find("--seed"), std::string::npos);
}

TEST(Options, RefusesDemo32OptionsForDemo8) {
  EXPECT_NE(refusal({"demo8", "--stems", "s"}).find("--stems"), std::string::npos);
  EXPECT_NE(refusal({"demo8", "--fps", "25"}).find("--fps"), std::string::npos);
  EXPECT_NE(refusal({"demo8", "--seed", "1"}).find("--seed"), std::string::npos);
  EXPECT_NE(refusal({"demo8", "--no-smear"}).find("--no-smear"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--every", "2", "--video", "v.mp4"}).find("--every"),
            std::string::npos);
}

TEST(Options, RefusesOptionsThatWouldDoNothing) {
  // Video settings without a video, encoding settings without picture files.
  for (const auto &args :
       std::vector<std::vector<const char *>>{{"--scale", "2", "--png", "p"},
                                              {"--crf", "20", "--wav", "a.wav"},
                                              {"--preset", "slow"},
                                              {"--every", "2", "--wav", "a.wav"},
                                              {"--jobs", "2", "--video", "v.mkv"},
                                              {"--jobs", "2"},
                                              {"--png-level", "9", "--raw", "r"}}) {
    std::vector<const char *> argv = {"demo-capture", "demo32"};
    argv.insert(argv.end(), args.begin(), args.end());
    Options o;
    const std::string e = parse_options(static_cast<int>(argv.size()), argv.data(), o);
    EXPECT_NE(e.find(args[0]), std::string::npos) << args[0] << ": " << e;
    EXPECT_NE(e.find("does nothing"), std::string::npos) << args[0] << ": " << e;
  }
  Options o;
  EXPECT_EQ(parse({"demo32", "--jobs", "2", "--every", "3", "--raw", "r"}, o), "");
  EXPECT_EQ(parse({"demo32", "--crf", "0", "--preset", "slow", "--video", "v.mp4"}, o), "");
  EXPECT_EQ(parse({"demo8", "--png-level", "0", "--png", "p"}, o), "");
}

TEST(Options, RangeAgainstTheShow) {
  Options o;
  ASSERT_EQ(parse({"demo32", "--frames", "0-11912"}, o), "");
  EXPECT_EQ(check_range(o, 11912), "");
  ASSERT_EQ(parse({"demo32", "--frames", "11900-11913"}, o), "");
  const std::string e = check_range(o, 11912);
  EXPECT_NE(e.find("outside the show"), std::string::npos);
  EXPECT_NE(e.find("0-11912"), std::string::npos);
  ASSERT_EQ(parse({"demo32"}, o), "");
  EXPECT_EQ(check_range(o, 11912), "");
}
