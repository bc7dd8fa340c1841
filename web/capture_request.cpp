#include "web/capture_request.h"

#include <algorithm>
#include <cstdio>

#include "web/sha256.h"

namespace web {

namespace {

constexpr int64_t MOST_FRAMES = 10000000;

// Reads digits from text[at], stopping early once the value exceeds most.
bool read_number(const std::string &text, size_t &at, int64_t most, int64_t &value) {
  value = 0;
  const size_t start = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    if (value > most)
      return false;
    value = value * 10 + (text[at] - '0');
    ++at;
  }
  return at > start && value <= most;
}

} // namespace

std::string parse_number(const std::string &name, const std::string &text, int64_t most,
                         int64_t &value) {
  size_t at = 0;
  if (!read_number(text, at, most, value) || at != text.size())
    return name + " is a whole number from 0 to " + std::to_string(most) + ", not '" + text + "'";
  return "";
}

std::string parse_frame_list(const std::string &text, std::vector<int64_t> &frames) {
  frames.clear();
  size_t at = 0;
  for (;;) {
    int64_t n = 0;
    if (!read_number(text, at, MOST_FRAMES, n) || (at < text.size() && text[at] != ','))
      return "capture takes frame numbers from 0 to " + std::to_string(MOST_FRAMES) +
             " separated by commas, not '" + text + "'";
    frames.push_back(n);
    if (at == text.size())
      return "";
    ++at;
  }
}

FrameHashes frame_hashes(const std::vector<int64_t> &frames) {
  FrameHashes hashes;
  hashes.asked = frames;
  for (const int64_t f : frames) {
    hashes.by_frame[f];
    hashes.last = std::max(hashes.last, f);
  }
  return hashes;
}

void note_frame(FrameHashes &hashes, int64_t frame, const void *pixels, size_t bytes) {
  if (const auto asked = hashes.by_frame.find(frame); asked != hashes.by_frame.end())
    asked->second = sha256_of(pixels, bytes);
}

std::string capture_answer(const FrameHashes &hashes) {
  if (hashes.asked.size() == 1)
    return hashes.by_frame.at(hashes.asked[0]);
  std::string lines;
  for (const int64_t frame : hashes.asked) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05lld.raw", static_cast<long long>(frame));
    lines += hashes.by_frame.at(frame) + "  " + name + "\n";
  }
  return lines;
}

} // namespace web
