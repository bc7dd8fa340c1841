#pragma once
// Scratch directories and file reading for the capture tests.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

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

// The samples of a 16-bit mono WAV written by the tool (44-byte header).
inline std::vector<int16_t> wav_samples16(const std::filesystem::path &path) {
  const std::vector<uint8_t> b = read_bytes(path);
  std::vector<int16_t> s;
  for (size_t at = 44; at + 1 < b.size(); at += 2)
    s.push_back(static_cast<int16_t>(b[at] | b[at + 1] << 8));
  return s;
}

inline std::vector<std::string> partial_files(const std::filesystem::path &dir) {
  std::vector<std::string> found;
  for (const auto &entry : std::filesystem::directory_iterator(dir))
    if (entry.path().filename().string().rfind(".partial-", 0) == 0)
      found.push_back(entry.path().string());
  return found;
}

} // namespace capture_test
