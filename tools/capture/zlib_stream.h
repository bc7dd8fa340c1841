#pragma once
// A small zlib stream encoder for the PNG writer: LZ77 with hash chains, coded
// as one deflate block with the fixed Huffman codes. Worse ratios than a full
// encoder, no library needed, and the show's flat areas and repeated rows
// still shrink well.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace capture {

struct Deflater {
  std::vector<int32_t> head; // last position of each 3-byte hash, -1: none
  std::vector<int32_t> prev; // earlier position with the same hash, per position
};

uint32_t adler32(const uint8_t *data, size_t size);

// Replaces out with the zlib stream (RFC 1950 around RFC 1951) of data. The
// work arrays grow to the largest input once and are reused after that.
void zlib_compress(Deflater &deflater, const uint8_t *data, size_t size, std::vector<uint8_t> &out);

} // namespace capture
