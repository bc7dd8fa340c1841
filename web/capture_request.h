#pragma once
// What a capture page is asked in its address (?capture=N,M&seed=S&fps=F)
// and how it answers.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace web {

// A whole number from 0 to most, in decimal. Returns an empty string and
// sets value, or says what is wrong with the parameter called name.
std::string parse_number(const std::string &name, const std::string &text, int64_t most,
                         int64_t &value);

// Frame numbers from 0 to 10,000,000 separated by commas, in any order:
// "N" or "N,M,...". Returns an empty string and fills frames, or the error.
std::string parse_frame_list(const std::string &text, std::vector<int64_t> &frames);

// The frames asked for and their hashes, taken as the frames are drawn.
struct FrameHashes {
  std::vector<int64_t> asked;              // in the order asked
  std::map<int64_t, std::string> by_frame; // empty until the frame is drawn
  int64_t last = 0;                        // the last frame to draw
};

FrameHashes frame_hashes(const std::vector<int64_t> &frames);
// Hashes the picture in memory if frame is one asked for.
void note_frame(FrameHashes &hashes, int64_t frame, const void *pixels, size_t bytes);

// The page's answer: for one frame its hash alone; for several, one line
// per frame as sha256sum prints it for demo-capture's raw files
// ("HASH  frame_00042.raw").
std::string capture_answer(const FrameHashes &hashes);

} // namespace web
