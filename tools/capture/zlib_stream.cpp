#include "tools/capture/zlib_stream.h"

#include <algorithm>

namespace capture {

namespace {

constexpr int HASH_BITS = 15;
constexpr int32_t WINDOW = 32768;
constexpr int32_t MIN_MATCH = 3;
constexpr int32_t MAX_MATCH = 258;
constexpr int CHAIN_LIMIT = 32; // candidates tried per position

constexpr uint16_t LENGTH_BASE[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t LENGTH_EXTRA[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t DISTANCE_BASE[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t DISTANCE_EXTRA[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Deflate sends Huffman codes from their most significant bit, into a stream
// filled from the least significant bit of each byte.
uint32_t reversed(uint32_t code, int length) {
  uint32_t r = 0;
  for (int i = 0; i < length; ++i)
    r |= ((code >> i) & 1u) << (length - 1 - i);
  return r;
}

struct BitWriter {
  std::vector<uint8_t> &out;
  uint64_t buffer = 0;
  int count = 0; // bits waiting in buffer, 0..7 between calls
};

void put_bits(BitWriter &w, uint32_t value, int length) {
  w.buffer |= static_cast<uint64_t>(value) << w.count;
  w.count += length;
  while (w.count >= 8) {
    w.out.push_back(static_cast<uint8_t>(w.buffer));
    w.buffer >>= 8;
    w.count -= 8;
  }
}

void flush_bits(BitWriter &w) {
  if (w.count > 0)
    w.out.push_back(static_cast<uint8_t>(w.buffer));
  w.buffer = 0;
  w.count = 0;
}

// The fixed literal/length code of RFC 1951 section 3.2.6.
void put_symbol(BitWriter &w, int32_t symbol) {
  if (symbol < 144)
    put_bits(w, reversed(0x30u + symbol, 8), 8);
  else if (symbol < 256)
    put_bits(w, reversed(0x190u + (symbol - 144), 9), 9);
  else if (symbol < 280)
    put_bits(w, reversed(static_cast<uint32_t>(symbol - 256), 7), 7);
  else
    put_bits(w, reversed(0xC0u + (symbol - 280), 8), 8);
}

// The last table slot whose base is at most value.
template <size_t N> int code_index(const uint16_t (&base)[N], int32_t value) {
  int k = static_cast<int>(N) - 1;
  while (base[k] > value)
    --k;
  return k;
}

void put_match(BitWriter &w, int32_t length, int32_t distance) {
  const int lk = code_index(LENGTH_BASE, length);
  put_symbol(w, 257 + lk);
  put_bits(w, static_cast<uint32_t>(length - LENGTH_BASE[lk]), LENGTH_EXTRA[lk]);
  const int dk = code_index(DISTANCE_BASE, distance);
  put_bits(w, reversed(static_cast<uint32_t>(dk), 5), 5);
  put_bits(w, static_cast<uint32_t>(distance - DISTANCE_BASE[dk]), DISTANCE_EXTRA[dk]);
}

uint32_t hash_at(const uint8_t *p) {
  const uint32_t v = static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
  return (v * 2654435761u) >> (32 - HASH_BITS);
}

void insert(Deflater &d, const uint8_t *data, int32_t pos) {
  const uint32_t h = hash_at(data + pos);
  d.prev[static_cast<size_t>(pos)] = d.head[h];
  d.head[h] = pos;
}

} // namespace

uint32_t adler32(const uint8_t *data, size_t size) {
  uint32_t a = 1;
  uint32_t b = 0;
  for (size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

void zlib_compress(Deflater &d, const uint8_t *data, size_t size, std::vector<uint8_t> &out) {
  out.clear();
  // CM 8 (deflate), 32 KB window, no dictionary; 0x7801 is a multiple of 31.
  out.push_back(0x78);
  out.push_back(0x01);

  d.head.assign(size_t{1} << HASH_BITS, -1);
  if (d.prev.size() < size)
    d.prev.resize(size);

  BitWriter w{out};
  put_bits(w, 1, 1); // BFINAL: the only block
  put_bits(w, 1, 2); // BTYPE 01: fixed Huffman codes

  const auto n = static_cast<int32_t>(size);
  int32_t pos = 0;
  while (pos < n) {
    int32_t best_length = 0;
    int32_t best_distance = 0;
    if (pos + MIN_MATCH <= n) {
      const int32_t limit = std::min(MAX_MATCH, n - pos);
      int32_t candidate = d.head[hash_at(data + pos)];
      for (int tries = 0; candidate >= 0 && tries < CHAIN_LIMIT; ++tries) {
        const int32_t distance = pos - candidate;
        if (distance > WINDOW)
          break;
        int32_t length = 0;
        while (length < limit && data[candidate + length] == data[pos + length])
          ++length;
        if (length > best_length) {
          best_length = length;
          best_distance = distance;
          if (length == limit)
            break;
        }
        candidate = d.prev[static_cast<size_t>(candidate)];
      }
    }
    if (best_length >= MIN_MATCH) {
      put_match(w, best_length, best_distance);
      for (int32_t k = 0; k < best_length; ++k, ++pos)
        if (pos + MIN_MATCH <= n)
          insert(d, data, pos);
    } else {
      put_symbol(w, data[pos]);
      if (pos + MIN_MATCH <= n)
        insert(d, data, pos);
      ++pos;
    }
  }
  put_symbol(w, 256); // end of block
  flush_bits(w);

  const uint32_t check = adler32(data, size);
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<uint8_t>(check >> shift));
}

} // namespace capture
