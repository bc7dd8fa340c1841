#pragma once
// Little-endian numbers added to a byte buffer: the headers of the capture
// tool's WAV files and of the web page's BMP screenshot.
#include <cstdint>
#include <vector>

namespace common {

inline void put16(std::vector<uint8_t> &b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

inline void put32(std::vector<uint8_t> &b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

} // namespace common
