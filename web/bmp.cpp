#include "web/bmp.h"

#include "common/le_bytes.h"

namespace web {

using common::put16;
using common::put32;

std::vector<uint8_t> bmp24(const uint32_t *pixels, int32_t width, int32_t height) {
  constexpr uint32_t HEADERS = 14 + 40;
  const auto row_bytes = static_cast<uint32_t>((width * 3 + 3) & ~3); // rows padded to 4 bytes
  const uint32_t image_bytes = row_bytes * static_cast<uint32_t>(height);
  std::vector<uint8_t> out;
  out.reserve(HEADERS + image_bytes);

  // File header: "BM", file size, two reserved words, offset of the pixels.
  out.push_back('B');
  out.push_back('M');
  put32(out, HEADERS + image_bytes);
  put32(out, 0);
  put32(out, HEADERS);
  // Info header: no compression, no resolution, no palette.
  put32(out, 40);
  put32(out, static_cast<uint32_t>(width));
  put32(out, static_cast<uint32_t>(height)); // positive: bottom-up
  put16(out, 1);
  put16(out, 24);
  put32(out, 0);
  put32(out, image_bytes);
  for (int i = 0; i < 4; ++i)
    put32(out, 0);

  for (int32_t y = height - 1; y >= 0; --y) {
    const uint32_t *row = pixels + static_cast<int64_t>(y) * width;
    for (int32_t x = 0; x < width; ++x) {
      out.push_back(static_cast<uint8_t>(row[x]));       // blue
      out.push_back(static_cast<uint8_t>(row[x] >> 8));  // green
      out.push_back(static_cast<uint8_t>(row[x] >> 16)); // red
    }
    for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < row_bytes; ++pad)
      out.push_back(0);
  }
  return out;
}

} // namespace web
