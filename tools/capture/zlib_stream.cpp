#include "tools/capture/zlib_stream.h"

#include <algorithm>
#include <cstring>

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

// A code ready for the stream: its bits reversed, and its length.
struct Code {
  uint16_t bits;
  uint8_t length;
};

// The fixed codes of RFC 1951 section 3.2.6 and the slot of every match
// length and distance, worked out once.
struct CodeTables {
  Code symbol[288];
  Code distance[30];
  uint8_t length_slot[MAX_MATCH + 1];
  uint8_t distance_slot[WINDOW + 1];
};

Code fixed_code(int32_t symbol) {
  if (symbol < 144)
    return {static_cast<uint16_t>(reversed(0x30u + symbol, 8)), 8};
  if (symbol < 256)
    return {static_cast<uint16_t>(reversed(0x190u + (symbol - 144), 9)), 9};
  if (symbol < 280)
    return {static_cast<uint16_t>(reversed(static_cast<uint32_t>(symbol - 256), 7)), 7};
  return {static_cast<uint16_t>(reversed(0xC0u + (symbol - 280), 8)), 8};
}

// The last slot whose base is at most value.
template <size_t N> uint8_t slot_of(const uint16_t (&base)[N], int32_t value) {
  int k = static_cast<int>(N) - 1;
  while (base[k] > value)
    --k;
  return static_cast<uint8_t>(k);
}

CodeTables make_code_tables() {
  CodeTables t{};
  for (int32_t s = 0; s < 288; ++s)
    t.symbol[s] = fixed_code(s);
  for (uint32_t k = 0; k < 30; ++k)
    t.distance[k] = {static_cast<uint16_t>(reversed(k, 5)), 5};
  for (int32_t length = MIN_MATCH; length <= MAX_MATCH; ++length)
    t.length_slot[length] = slot_of(LENGTH_BASE, length);
  for (int32_t distance = 1; distance <= WINDOW; ++distance)
    t.distance_slot[distance] = slot_of(DISTANCE_BASE, distance);
  return t;
}

const CodeTables &code_tables() {
  static const CodeTables tables = make_code_tables();
  return tables;
}

// Writes into room reserved beforehand.
struct BitWriter {
  uint8_t *out;
  uint64_t buffer = 0;
  int count = 0; // bits waiting in buffer, 0..31 between calls
};

void put_bits(BitWriter &w, uint32_t value, int length) {
  w.buffer |= static_cast<uint64_t>(value) << w.count;
  w.count += length;
  if (w.count >= 32) {
    for (int k = 0; k < 4; ++k)
      *w.out++ = static_cast<uint8_t>(w.buffer >> (8 * k));
    w.buffer >>= 32;
    w.count -= 32;
  }
}

void flush_bits(BitWriter &w) {
  for (; w.count > 0; w.count -= 8) {
    *w.out++ = static_cast<uint8_t>(w.buffer);
    w.buffer >>= 8;
  }
  w.buffer = 0;
  w.count = 0;
}

void put_code(BitWriter &w, Code c) {
  put_bits(w, c.bits, c.length);
}

void put_match(BitWriter &w, const CodeTables &t, int32_t length, int32_t distance) {
  const int lk = t.length_slot[length];
  put_code(w, t.symbol[257 + lk]);
  put_bits(w, static_cast<uint32_t>(length - LENGTH_BASE[lk]), LENGTH_EXTRA[lk]);
  const int dk = t.distance_slot[distance];
  put_code(w, t.distance[dk]);
  put_bits(w, static_cast<uint32_t>(distance - DISTANCE_BASE[dk]), DISTANCE_EXTRA[dk]);
}

// The index in memory order of the lowest differing byte of two words.
// Words are loaded in memory order: the first byte is the low one on a
// little-endian machine, the high one on a big-endian one.
int32_t first_differing_byte(uint64_t differ) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return __builtin_clzll(differ) / 8;
#else
  return __builtin_ctzll(differ) / 8;
#endif
}

// Three bytes as p[0] << 16 | p[1] << 8 | p[2].
uint32_t hash_of(uint32_t three_bytes) {
  return (three_bytes * 2654435761u) >> (32 - HASH_BITS);
}

uint32_t hash_at(const uint8_t *p) {
  return hash_of(static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2]);
}

// How many of the first limit bytes of a and b agree, eight at a time.
int32_t match_length(const uint8_t *a, const uint8_t *b, int32_t limit) {
  int32_t length = 0;
  while (length + 8 <= limit) {
    uint64_t x = 0;
    uint64_t y = 0;
    std::memcpy(&x, a + length, 8);
    std::memcpy(&y, b + length, 8);
    if (const uint64_t differ = x ^ y; differ != 0)
      return length + first_differing_byte(differ);
    length += 8;
  }
  while (length < limit && a[length] == b[length])
    ++length;
  return length;
}

void insert(Deflater &d, const uint8_t *data, int32_t pos) {
  const uint32_t h = hash_at(data + pos);
  d.prev[static_cast<size_t>(pos)] = d.head[h];
  d.head[h] = pos;
}

} // namespace

uint32_t adler32(const uint8_t *data, size_t size) {
  constexpr uint32_t BASE = 65521;
  // The most bytes after which b, starting below BASE, still fits 32 bits.
  constexpr size_t BLOCK = 5552;
  uint32_t a = 1;
  uint32_t b = 0;
  while (size > 0) {
    const size_t n = size < BLOCK ? size : BLOCK;
    for (size_t i = 0; i < n; ++i) {
      a += data[i];
      b += a;
    }
    a %= BASE;
    b %= BASE;
    data += n;
    size -= n;
  }
  return b << 16 | a;
}

void zlib_compress(Deflater &d, const uint8_t *data, size_t size, std::vector<uint8_t> &out) {
  const CodeTables &t = code_tables();
  // No code is longer than 9 bits per byte it stands for (a match of 3
  // takes at most 25), plus the block's 3 + 7 bits, the header and the
  // checksum.
  out.resize(2 + size / 8 * 9 + size % 8 * 2 + 8 + 4);
  // CM 8 (deflate), 32 KB window, no dictionary; 0x7801 is a multiple of 31.
  out[0] = 0x78;
  out[1] = 0x01;

  d.head.assign(size_t{1} << HASH_BITS, -1);
  if (d.prev.size() < size)
    d.prev.resize(size);

  BitWriter w{out.data() + 2};
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
      // Chains run back in position; none before the window counts.
      const int32_t oldest = std::max(0, pos - WINDOW);
      const uint8_t *const here = data + pos;
      // Only a longer match counts, so a candidate that differs at
      // best_length cannot win.
      uint8_t next = here[0];
      for (int tries = 0; candidate >= oldest && tries < CHAIN_LIMIT; ++tries) {
        if (data[candidate + best_length] == next) {
          const int32_t length = match_length(data + candidate, here, limit);
          if (length > best_length) {
            best_length = length;
            best_distance = pos - candidate;
            if (length == limit)
              break;
            next = here[best_length];
          }
        }
        candidate = d.prev[static_cast<size_t>(candidate)];
      }
    }
    if (best_length >= MIN_MATCH) {
      put_match(w, t, best_length, best_distance);
      // Every position the match covers goes into the chains, the three
      // bytes of each hashed as a rolling window.
      const int32_t end = pos + best_length;
      const int32_t last = std::min(end, n - MIN_MATCH + 1);
      if (pos < last) {
        uint32_t v = static_cast<uint32_t>(data[pos]) << 8 | data[pos + 1];
        for (; pos < last; ++pos) {
          v = (v << 8 | data[pos + 2]) & 0xFFFFFFu;
          const uint32_t h = hash_of(v);
          d.prev[static_cast<size_t>(pos)] = d.head[h];
          d.head[h] = pos;
        }
      }
      pos = end;
    } else {
      put_code(w, t.symbol[data[pos]]);
      if (pos + MIN_MATCH <= n)
        insert(d, data, pos);
      ++pos;
    }
  }
  put_code(w, t.symbol[256]); // end of block
  flush_bits(w);

  const uint32_t check = adler32(data, size);
  for (int shift = 24; shift >= 0; shift -= 8)
    *w.out++ = static_cast<uint8_t>(check >> shift);
  out.resize(static_cast<size_t>(w.out - out.data()));
}

} // namespace capture
