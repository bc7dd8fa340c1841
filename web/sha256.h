#pragma once
// SHA-256, so that a page can name a frame or a soundtrack by the same
// checksum as sha256sum gives for the desktop's files.
#include <cstddef>
#include <cstdint>
#include <string>

namespace web {

struct Sha256 {
  uint32_t h[8];
  uint8_t block[64];
  size_t used = 0;     // bytes waiting in block
  uint64_t length = 0; // bytes hashed so far
};

void sha256_start(Sha256 &sha);
void sha256_add(Sha256 &sha, const void *data, size_t size);
// Finishes the hash: 64 lowercase hex digits.
std::string sha256_hex(Sha256 &sha);

// The hash of one piece of memory.
std::string sha256_of(const void *data, size_t size);

} // namespace web
