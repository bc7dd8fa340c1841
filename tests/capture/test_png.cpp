// PNG files: chunk layout and checksums, and the pixels decoded back with
// zlib, a decoder independent of the library that compresses them.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <stdexcept>
#include <string>

#include <zlib.h>

#include "tools/capture/png_writer.h"

using namespace capture;

namespace {

constexpr int32_t LEVEL = 6;

// The zlib stream of the picture data, whole, its Adler-32 checked by zlib.
std::vector<uint8_t> inflate_zlib(const std::vector<uint8_t> &z, size_t expected) {
  std::vector<uint8_t> out(expected + 1); // room for one byte too many
  uLongf size = out.size();
  if (uncompress(out.data(), &size, z.data(), z.size()) != Z_OK)
    throw std::runtime_error("not a whole zlib stream");
  out.resize(size);
  return out;
}

uint32_t zlib_crc(const uint8_t *data, size_t size) {
  return static_cast<uint32_t>(crc32(0, data, static_cast<uInt>(size)));
}

uint32_t be32(const std::vector<uint8_t> &b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

struct Chunk {
  std::string type;
  std::vector<uint8_t> data;
};

// Splits a PNG into chunks, checking every CRC.
std::vector<Chunk> chunks_of(const std::vector<uint8_t> &png) {
  static const uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_EQ(0, std::memcmp(png.data(), SIGNATURE, 8));
  std::vector<Chunk> list;
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = be32(png, at);
    Chunk c;
    c.type.assign(png.begin() + static_cast<long>(at) + 4, png.begin() + static_cast<long>(at) + 8);
    c.data.assign(png.begin() + static_cast<long>(at) + 8,
                  png.begin() + static_cast<long>(at + 8 + length));
    EXPECT_EQ(be32(png, at + 8 + length), zlib_crc(png.data() + at + 4, length + 4)) << c.type;
    list.push_back(c);
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size());
  return list;
}

uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : (pb <= pc ? b : c));
}

// Undoes the row filters of an 8-bit RGB image.
std::vector<uint8_t> unfilter(const std::vector<uint8_t> &raw, int w, int h) {
  const size_t stride = static_cast<size_t>(w) * 3;
  std::vector<uint8_t> img(stride * h);
  for (int y = 0; y < h; ++y) {
    const uint8_t type = raw[y * (stride + 1)];
    EXPECT_LE(type, 4);
    for (size_t i = 0; i < stride; ++i) {
      const int x = raw[y * (stride + 1) + 1 + i];
      const int a = i >= 3 ? img[y * stride + i - 3] : 0;
      const int b = y > 0 ? img[(y - 1) * stride + i] : 0;
      const int c = (y > 0 && i >= 3) ? img[(y - 1) * stride + i - 3] : 0;
      const int pred = type == 1   ? a
                       : type == 2 ? b
                       : type == 3 ? (a + b) / 2
                       : type == 4 ? paeth(a, b, c)
                                   : 0;
      img[y * stride + i] = static_cast<uint8_t>(x + pred);
    }
  }
  return img;
}

std::vector<uint8_t> decode_rgb(const std::vector<uint8_t> &png, int &w, int &h) {
  const std::vector<Chunk> list = chunks_of(png);
  EXPECT_GE(list.size(), 3u);
  EXPECT_EQ(list.front().type, "IHDR");
  EXPECT_EQ(list.back().type, "IEND");
  EXPECT_TRUE(list.back().data.empty());
  const std::vector<uint8_t> &ihdr = list.front().data;
  EXPECT_EQ(ihdr.size(), 13u);
  w = static_cast<int>(be32(ihdr, 0));
  h = static_cast<int>(be32(ihdr, 4));
  EXPECT_EQ(ihdr[8], 8); // depth
  EXPECT_EQ(ihdr[9], 2); // RGB
  EXPECT_EQ(ihdr[10], 0);
  EXPECT_EQ(ihdr[11], 0);
  EXPECT_EQ(ihdr[12], 0);
  std::vector<uint8_t> z;
  for (const Chunk &c : list)
    if (c.type == "IDAT")
      z.insert(z.end(), c.data.begin(), c.data.end());
  const size_t expected = static_cast<size_t>(h) * (w * 3 + 1);
  const std::vector<uint8_t> raw = inflate_zlib(z, expected);
  EXPECT_EQ(raw.size(), expected);
  return unfilter(raw, w, h);
}

// A test card with flat areas, gradients, noise and repeated rows.
std::vector<uint8_t> test_card(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t *p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      if (y < h / 4) {
        p[0] = 10, p[1] = 20, p[2] = 30;
      } else if (y < h / 2) {
        p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y),
        p[2] = static_cast<uint8_t>(x ^ y);
      } else if (y < 3 * h / 4) {
        p[0] = static_cast<uint8_t>(rng()), p[1] = static_cast<uint8_t>(rng()),
        p[2] = static_cast<uint8_t>(rng());
      } else {
        p[0] = static_cast<uint8_t>((x / 8) * 16), p[1] = 0, p[2] = 255;
      }
    }
  return rgb;
}

} // namespace

TEST(PngWriter, DecodesToTheSamePixelsAtEveryLevel) {
  PngEncoder e;
  const std::vector<uint8_t> card = test_card(320, 240, 3);
  std::vector<size_t> sizes;
  for (int32_t level = 0; level <= 12; ++level) {
    encode_png(e, card.data(), 320, 240, level);
    int w = 0, h = 0;
    EXPECT_EQ(decode_rgb(e.file, w, h), card) << "level " << level;
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    sizes.push_back(e.file.size());
  }
  // The level reaches the compressor: none, fastest and smallest differ.
  EXPECT_GT(sizes[0], card.size());
  EXPECT_LT(sizes[1], sizes[0]);
  EXPECT_LT(sizes[12], sizes[1]);
  for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 3}}) {
    const std::vector<uint8_t> rgb = test_card(w, h, 3);
    encode_png(e, rgb.data(), w, h, LEVEL);
    int dw = 0, dh = 0;
    EXPECT_EQ(decode_rgb(e.file, dw, dh), rgb) << w << "x" << h;
    EXPECT_EQ(dw, w);
    EXPECT_EQ(dh, h);
  }
}

TEST(PngWriter, ReusedEncoderGivesTheSameFile) {
  PngEncoder a;
  PngEncoder b;
  const std::vector<uint8_t> big = test_card(320, 240, 1);
  const std::vector<uint8_t> small = test_card(16, 16, 2);
  encode_png(a, big.data(), 320, 240, 12);
  encode_png(a, small.data(), 16, 16, LEVEL);
  encode_png(b, small.data(), 16, 16, LEVEL);
  EXPECT_EQ(a.file, b.file);
}

TEST(PngWriter, TextsComeBeforeThePicture) {
  PngEncoder e;
  const std::vector<uint8_t> rgb = test_card(4, 4, 5);
  encode_png(e, rgb.data(), 4, 4, LEVEL, {{"Software", "x 1"}, {"Comment", "caf\xE9"}});
  const std::vector<Chunk> list = chunks_of(e.file);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[1].type, "tEXt");
  EXPECT_EQ(std::string(list[1].data.begin(), list[1].data.end()),
            std::string("Software\0x 1", 12));
  EXPECT_EQ(std::string(list[2].data.begin(), list[2].data.end()),
            std::string("Comment\0caf\xE9", 12));
  EXPECT_EQ(list[3].type, "IDAT");
  int w = 0, h = 0;
  EXPECT_EQ(decode_rgb(e.file, w, h), rgb);
}

TEST(PngWriter, FlatPictureIsSmall) {
  PngEncoder e;
  const std::vector<uint8_t> black(320 * 240 * 3, 0);
  encode_png(e, black.data(), 320, 240, LEVEL);
  EXPECT_LT(e.file.size(), 2000u);
  int w = 0, h = 0;
  EXPECT_EQ(decode_rgb(e.file, w, h), black);
}
