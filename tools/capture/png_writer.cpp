#include "tools/capture/png_writer.h"

#include <cstring>
#include <new>

#include <libdeflate.h>

namespace capture {

namespace {

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
  return put_be32(out, libdeflate_crc32(0, start, size + 4));
}

constexpr size_t CHUNK_OVERHEAD = 12;

// The usual cost estimate of a filtered byte: taken as a signed magnitude
// (0x80 counts 128).
inline uint32_t cost_of(uint8_t f) {
  const int32_t s = static_cast<int8_t>(f);
  return static_cast<uint32_t>(s < 0 ? -s : s);
}

uint32_t row_cost(const uint8_t *f, size_t bytes) {
  uint32_t cost = 0;
  for (size_t i = 0; i < bytes; ++i)
    cost += cost_of(f[i]);
  return cost;
}

// Paeth's predictor without branches: the nearest of left, up and up_left to
// left + up - up_left, ties going to left, then up.
// Sixteen bits hold every difference (at most 510), so a vector does twice
// as many bytes at once as with int.
inline int16_t paeth(int16_t a, int16_t b, int16_t c) {
  const auto pa = static_cast<int16_t>(b > c ? b - c : c - b);
  const auto pb = static_cast<int16_t>(a > c ? a - c : c - a);
  const auto p2 = static_cast<int16_t>(a + b - 2 * c);
  const auto pc = static_cast<int16_t>(p2 < 0 ? -p2 : p2);
  const int16_t bc = pb <= pc ? b : c;
  return pa <= pb && pa <= pc ? a : bc;
}

// Filter types 1 to 4 of one row into out, each returning its cost; above is
// a row of zeros for the first row. The first pixel has no left neighbour
// (it counts as 0), so its three bytes are done apart and the rest of each
// loop is branch-free, with one loop per filter so that each vectorises.
constexpr size_t PIXEL = 3;

uint32_t filter_sub(const uint8_t *row, size_t bytes, uint8_t *out) {
  uint32_t cost = 0;
  for (size_t i = 0; i < PIXEL; ++i) {
    out[i] = row[i];
    cost += cost_of(out[i]);
  }
  for (size_t i = PIXEL; i < bytes; ++i) {
    out[i] = static_cast<uint8_t>(row[i] - row[i - PIXEL]);
    cost += cost_of(out[i]);
  }
  return cost;
}

uint32_t filter_up(const uint8_t *row, const uint8_t *above, size_t bytes, uint8_t *out) {
  uint32_t cost = 0;
  for (size_t i = 0; i < bytes; ++i) {
    out[i] = static_cast<uint8_t>(row[i] - above[i]);
    cost += cost_of(out[i]);
  }
  return cost;
}

uint32_t filter_average(const uint8_t *row, const uint8_t *above, size_t bytes, uint8_t *out) {
  uint32_t cost = 0;
  for (size_t i = 0; i < PIXEL; ++i) {
    out[i] = static_cast<uint8_t>(row[i] - above[i] / 2);
    cost += cost_of(out[i]);
  }
  for (size_t i = PIXEL; i < bytes; ++i) {
    out[i] = static_cast<uint8_t>(row[i] - ((row[i - PIXEL] + above[i]) >> 1));
    cost += cost_of(out[i]);
  }
  return cost;
}

uint32_t filter_paeth(const uint8_t *row, const uint8_t *above, size_t bytes, uint8_t *out) {
  uint32_t cost = 0;
  // With left and up_left 0 the predictor is up.
  for (size_t i = 0; i < PIXEL; ++i) {
    out[i] = static_cast<uint8_t>(row[i] - above[i]);
    cost += cost_of(out[i]);
  }
  for (size_t i = PIXEL; i < bytes; ++i) {
    out[i] = static_cast<uint8_t>(row[i] - paeth(row[i - PIXEL], above[i], above[i - PIXEL]));
    cost += cost_of(out[i]);
  }
  return cost;
}

} // namespace

void FreeCompressor::operator()(libdeflate_compressor *compressor) const {
  libdeflate_free_compressor(compressor);
}

void encode_png(PngEncoder &e, const uint8_t *rgb, int32_t width, int32_t height, int32_t level,
                const std::vector<PngText> &texts) {
  // Made once per encoder: a compressor holds its hash tables, up to a few
  // MiB at the highest levels.
  if (e.compressor == nullptr || e.compressor_level != level) {
    e.compressor.reset(libdeflate_alloc_compressor(level));
    if (e.compressor == nullptr)
      throw std::bad_alloc();
    e.compressor_level = level;
  }

  const size_t row_bytes = static_cast<size_t>(width) * 3;
  const size_t line = row_bytes + 1;
  e.filtered.resize(line * static_cast<size_t>(height));
  e.rows.assign(row_bytes * 5, 0); // four filtered rows, then the zero row above the first
  uint8_t *const zeros = e.rows.data() + 4 * row_bytes;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t *row = rgb + row_bytes * static_cast<size_t>(y);
    const uint8_t *above = y > 0 ? row - row_bytes : zeros;
    uint8_t *const rows = e.rows.data();
    const uint8_t *const candidates[5] = {row, rows, rows + row_bytes, rows + 2 * row_bytes,
                                          rows + 3 * row_bytes};
    const uint32_t costs[5] = {row_cost(row, row_bytes), filter_sub(row, row_bytes, rows),
                               filter_up(row, above, row_bytes, rows + row_bytes),
                               filter_average(row, above, row_bytes, rows + 2 * row_bytes),
                               filter_paeth(row, above, row_bytes, rows + 3 * row_bytes)};
    // The filter that leaves the smallest bytes; the first of equals.
    int best = 0;
    for (int type = 1; type <= 4; ++type)
      if (costs[type] < costs[best])
        best = type;
    uint8_t *out = e.filtered.data() + line * static_cast<size_t>(y);
    out[0] = static_cast<uint8_t>(best);
    std::memcpy(out + 1, candidates[best], row_bytes);
  }

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
  // Room for the compressed data at its worst; the file is cut to size once
  // it is known.
  const size_t bound = libdeflate_zlib_compress_bound(e.compressor.get(), e.filtered.size());
  size_t size = sizeof SIGNATURE + 3 * CHUNK_OVERHEAD + sizeof ihdr + bound;
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
  // The stream goes straight into the IDAT chunk, whose length and checksum
  // follow once its size is known.
  uint8_t *const idat = out;
  const size_t compressed = libdeflate_zlib_compress(e.compressor.get(), e.filtered.data(),
                                                     e.filtered.size(), idat + 8, bound);
  put_be32(idat, static_cast<uint32_t>(compressed));
  std::memcpy(idat + 4, "IDAT", 4);
  out = put_be32(idat + 8 + compressed, libdeflate_crc32(0, idat + 4, compressed + 4));
  out = put_chunk(out, "IEND", nullptr, 0);
  e.file.resize(static_cast<size_t>(out - e.file.data()));
}

} // namespace capture
