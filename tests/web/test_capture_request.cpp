// What a capture page accepts in its address, and its answer in the form
// sha256sum gives for demo-capture's raw files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "web/capture_request.h"
#include "web/sha256.h"

using namespace web;

TEST(CaptureRequest, FrameLists) {
  std::vector<int64_t> frames;
  EXPECT_EQ(parse_frame_list("0", frames), "");
  EXPECT_EQ(frames, std::vector<int64_t>{0});
  EXPECT_EQ(parse_frame_list("1567,7,7,10000000", frames), "");
  EXPECT_EQ(frames, (std::vector<int64_t>{1567, 7, 7, 10000000}));
  for (const char *bad : {"", ",", "1,", ",1", "1,,2", "-1", "1.5", " 1", "1 ", "x", "10000001",
                          "99999999999999999999999"})
    EXPECT_NE(parse_frame_list(bad, frames), "") << "'" << bad << "'";
}

TEST(CaptureRequest, Numbers) {
  int64_t value = 0;
  EXPECT_EQ(parse_number("seed", "4294967295", 4294967295, value), "");
  EXPECT_EQ(value, 4294967295);
  EXPECT_EQ(parse_number("seed", "007", 4294967295, value), "");
  EXPECT_EQ(value, 7);
  for (const char *bad : {"4294967296", "", "-3", "3e4", "0x10"})
    EXPECT_NE(parse_number("seed", bad, 4294967295, value).find("seed"), std::string::npos) << bad;
}

TEST(CaptureRequest, AnswersAsSha256sumDoes) {
  const uint8_t a[] = {1, 2, 3};
  const uint8_t b[] = {4, 5};
  FrameHashes hashes = frame_hashes({12, 3});
  EXPECT_EQ(hashes.last, 12);
  // Frames drawn in order; only those asked for are kept.
  note_frame(hashes, 3, a, sizeof a);
  note_frame(hashes, 5, b, sizeof b);
  note_frame(hashes, 12, b, sizeof b);
  EXPECT_EQ(capture_answer(hashes), sha256_of(b, sizeof b) + "  frame_00012.raw\n" +
                                        sha256_of(a, sizeof a) + "  frame_00003.raw\n");
  FrameHashes one = frame_hashes({3});
  note_frame(one, 3, a, sizeof a);
  EXPECT_EQ(capture_answer(one), sha256_of(a, sizeof a));
}
