#include "tools/capture/png_writer.h"

#include <cstdlib>
#include <cstring>

namespace capture {

namespace {

struct CrcTable {
  uint32_t entry[256];
};

CrcTable make_crc_table() {
  CrcTable t{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k)
      c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t.entry[n] = c;
  }
  return t;
}

uint8_t *put_be32(uint8_t *out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    *out++ = static_cast<uint8_t>(v >> shift);
  return out;
}

// Length, type, data, CRC; returns the end of the chunk.
uint8_t *put_chunk(uint8_t *out, const char (&type)[5], const uint8_t *data, size_t size) {
  out = put_be32(out, static_cast<uint32_t>(size));
  uint8_t *const start = out;
  std::memcpy(out, type, 4);
  if (size > 0)
    std::memcpy(out + 4, data, size);
  out += 4 + size;
  // The CRC covers the type and the data, not the length.
  return put_be32(out, crc32(start, size + 4));
}

constexpr size_t CHUNK_OVERHEAD = 12;

uint8_t paeth(uint8_t a, uint8_t b, uint8_t c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc)
    return a;
  return pb <= pc ? b : c;
}

// Filter type 0..4 of one byte; left, up and up_left are 0 outside the picture.
uint8_t filtered_byte(int type, uint8_t x, uint8_t left, uint8_t up, uint8_t up_left) {
  switch (type) {
  case 1:
    return static_cast<uint8_t>(x - left);
  case 2:
    return static_cast<uint8_t>(x - up);
  case 3:
    return static_cast<uint8_t>(x - (left + up) / 2);
  case 4:
    return static_cast<uint8_t>(x - paeth(left, up, up_left));
  default:
    return x;
  }
}

// Filters one row with the given type into out (filter byte first); returns
// the sum of the bytes taken as signed magnitudes, the usual cost estimate.
uint32_t filter_row(int type, const uint8_t *row, const uint8_t *above, size_t bytes,
                    uint8_t *out) {
  out[0] = static_cast<uint8_t>(type);
  uint32_t cost = 0;
  for (size_t i = 0; i < bytes; ++i) {
    const uint8_t left = i >= 3 ? row[i - 3] : 0;
    const uint8_t up = above != nullptr ? above[i] : 0;
    const uint8_t up_left = (above != nullptr && i >= 3) ? above[i - 3] : 0;
    const uint8_t f = filtered_byte(type, row[i], left, up, up_left);
    out[1 + i] = f;
    cost += f < 128 ? f : 256u - f;
  }
  return cost;
}

} // namespace

uint32_t crc32(const uint8_t *data, size_t size) {
  static const CrcTable table = make_crc_table();
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i)
    c = table.entry[(c ^ data[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void encode_png(PngEncoder &e, const uint8_t *rgb, int32_t width, int32_t height,
                const std::vector<PngText> &texts) {
  const size_t row_bytes = static_cast<size_t>(width) * 3;
  const size_t line = row_bytes + 1;
  e.filtered.resize(line * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t *row = rgb + row_bytes * static_cast<size_t>(y);
    const uint8_t *above = y > 0 ? row - row_bytes : nullptr;
    uint8_t *out = e.filtered.data() + line * static_cast<size_t>(y);
    // Keep the filter that leaves the smallest bytes; refilter with it at the end.
    int best = 0;
    uint32_t best_cost = UINT32_MAX;
    for (int type = 0; type <= 4; ++type) {
      const uint32_t cost = filter_row(type, row, above, row_bytes, out);
      if (cost < best_cost) {
        best_cost = cost;
        best = type;
      }
    }
    filter_row(best, row, above, row_bytes, out);
  }
  zlib_compress(e.deflater, e.filtered.data(), e.filtered.size(), e.compressed);

  static const uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  uint8_t ihdr[13];
  put_be32(ihdr, static_cast<uint32_t>(width));
  put_be32(ihdr + 4, static_cast<uint32_t>(height));
  ihdr[8] = 8;  // bits per channel
  ihdr[9] = 2;  // colour type: RGB
  ihdr[10] = 0; // deflate
  ihdr[11] = 0; // adaptive filtering
  ihdr[12] = 0; // not interlaced

  std::vector<uint8_t> text_data;
  size_t size = sizeof SIGNATURE + 3 * CHUNK_OVERHEAD + sizeof ihdr + e.compressed.size();
  for (const PngText &t : texts)
    size += CHUNK_OVERHEAD + t.keyword.size() + 1 + t.text.size();
  e.file.resize(size);
  uint8_t *out = e.file.data();
  std::memcpy(out, SIGNATURE, sizeof SIGNATURE);
  out = put_chunk(out + sizeof SIGNATURE, "IHDR", ihdr, sizeof ihdr);
  for (const PngText &t : texts) {
    // Keyword, a zero byte, the text.
    text_data.assign(t.keyword.begin(), t.keyword.end());
    text_data.push_back(0);
    text_data.insert(text_data.end(), t.text.begin(), t.text.end());
    out = put_chunk(out, "tEXt", text_data.data(), text_data.size());
  }
  out = put_chunk(out, "IDAT", e.compressed.data(), e.compressed.size());
  put_chunk(out, "IEND", nullptr, 0);
}

} // namespace capture
