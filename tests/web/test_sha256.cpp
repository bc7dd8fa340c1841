// SHA-256 against the standard's examples: empty, one block, the padding
// that needs a second block, two blocks, and a million bytes fed in pieces.
#include <gtest/gtest.h>

#include <string>

#include "web/sha256.h"

using namespace web;

TEST(Sha256, StandardExamples) {
  const std::string two_blocks = "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmn"
                                 "hijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";
  const std::string padding_block = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(sha256_of("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256_of("abc", 3),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha256_of(padding_block.data(), padding_block.size()),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(sha256_of(two_blocks.data(), two_blocks.size()),
            "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
}

TEST(Sha256, PiecesOfAnySizeGiveTheWholeHash) {
  const std::string million(1000000, 'a');
  const char *expected = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
  EXPECT_EQ(sha256_of(million.data(), million.size()), expected);
  // Pieces that end inside, on and across block boundaries.
  for (const size_t piece : {1u, 55u, 63u, 64u, 65u, 4096u}) {
    Sha256 sha;
    sha256_start(sha);
    for (size_t at = 0; at < million.size(); at += piece)
      sha256_add(sha, million.data() + at, std::min(piece, million.size() - at));
    EXPECT_EQ(sha256_hex(sha), expected) << piece;
  }
}
