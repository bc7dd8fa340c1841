#pragma once
// Scratch directories and file reading for the capture tests.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/capture/output_files.h"

namespace capture_test {

// A fresh empty directory under the system's temporary directory.
inline std::filesystem::path scratch_dir(const std::string &name) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("capture-test-" + std::to_string(::getpid()) + "-" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

inline std::vector<uint8_t> read_bytes(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline uint32_t le32(const std::vector<uint8_t> &b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

inline uint32_t be32(const std::vector<uint8_t> &b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// Where the chunk of a RIFF file with the given type starts (its 8-byte
// header), or 0 if there is none.
inline size_t riff_chunk(const std::vector<uint8_t> &b, const char *type) {
  for (size_t at = 12; at + 8 <= b.size(); at += 8 + ((le32(b, at + 4) + 1) & ~size_t{1}))
    if (std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                    b.begin() + static_cast<std::ptrdiff_t>(at) + 4) == type)
      return at;
  return 0;
}

// The samples of a 16-bit mono WAV written by the tool.
inline std::vector<int16_t> wav_samples16(const std::filesystem::path &path) {
  const std::vector<uint8_t> b = read_bytes(path);
  const size_t data = riff_chunk(b, "data");
  std::vector<int16_t> s;
  if (data == 0)
    return s;
  const size_t end = data + 8 + le32(b, data + 4);
  for (size_t at = data + 8; at + 1 < end && at + 1 < b.size(); at += 2)
    s.push_back(static_cast<int16_t>(b[at] | b[at + 1] << 8));
  return s;
}

// A file target of a run, checked and claimed as the tool does it.
inline capture::FileTarget claimed_file(const std::filesystem::path &path, bool overwrite = false,
                                        const char *option = "--wav") {
  capture::FileTarget t = capture::check_file_target(path.string(), option);
  capture::claim_targets({&t}, {}, overwrite);
  return t;
}

inline std::vector<std::string> partial_files(const std::filesystem::path &dir) {
  std::vector<std::string> found;
  for (const auto &entry : std::filesystem::directory_iterator(dir))
    if (entry.path().filename().string().rfind(".demo-capture-partial-", 0) == 0)
      found.push_back(entry.path().string());
  return found;
}

} // namespace capture_test
