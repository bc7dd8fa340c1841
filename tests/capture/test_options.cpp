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
  EXPECT_EQ(o.scale, 3);
  EXPECT_EQ(o.every, 1);
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
  ASSERT_EQ(parse({"--frames", "10-20", "demo32", "--raw", "r", "--png=p", "--wav", "a.wav",
                   "--stems", "s", "--video", "v.mp4", "--fps", "50", "--scale=2", "--seed",
                   "4294967295", "--no-smear", "--quiet"},
                  o),
            "");
  EXPECT_TRUE(o.has_range);
  EXPECT_EQ(o.first_frame, 10);
  EXPECT_EQ(o.last_frame, 20);
  EXPECT_EQ(o.raw_dir, "r");
  EXPECT_EQ(o.png_dir, "p");
  EXPECT_EQ(o.wav_path, "a.wav");
  EXPECT_EQ(o.stems_dir, "s");
  EXPECT_EQ(o.video_path, "v.mp4");
  EXPECT_EQ(o.fps, 50);
  EXPECT_EQ(o.scale, 2);
  EXPECT_TRUE(o.seed_given);
  EXPECT_EQ(o.seed, 4294967295u);
  EXPECT_TRUE(o.no_smear);
  EXPECT_TRUE(o.quiet);
}

TEST(Options, SingleFrameRangeAndHelp) {
  Options o;
  ASSERT_EQ(parse({"demo8", "--frames", "1567-1567", "--every", "5"}, o), "");
  EXPECT_EQ(o.first_frame, 1567);
  EXPECT_EQ(o.last_frame, 1567);
  EXPECT_EQ(o.every, 5);
  ASSERT_EQ(parse({"--help"}, o), "");
  EXPECT_TRUE(o.help);
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
  for (const char *option : {"--fps", "--scale", "--every"}) {
    for (const char *bad : {"0", "-1", "-5", "", "x", "2.5", "1e3", " 3"}) {
      const std::string e = refusal({"demo32", option, bad});
      EXPECT_NE(e.find(option), std::string::npos) << option << " '" << bad << "'";
    }
    EXPECT_NE(refusal({"demo32", option}).find("needs a value"), std::string::npos) << option;
  }
  EXPECT_NE(refusal({"demo32", "--fps", "1001"}).find("too large"), std::string::npos);
  EXPECT_NE(refusal({"demo32", "--scale", "17"}).find("too large"), std::string::npos);
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
