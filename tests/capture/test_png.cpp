// PNG files: chunk layout and checksums, and the pixels decoded back with an
// inflater written independently here from the deflate format.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <stdexcept>
#include <string>

#include "tools/capture/png_writer.h"
#include "tools/capture/zlib_stream.h"

using namespace capture;

namespace {

// A minimal inflater: stored and fixed-Huffman blocks, which is all the
// encoder produces; anything else is a test failure.
struct BitReader {
  const std::vector<uint8_t> &in;
  size_t pos = 0; // bit position
};

uint32_t bits(BitReader &r, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i, ++r.pos) {
    if (r.pos / 8 >= r.in.size())
      throw std::runtime_error("read past the end of the stream");
    v |= static_cast<uint32_t>((r.in[r.pos / 8] >> (r.pos % 8)) & 1) << i;
  }
  return v;
}

// Huffman codes arrive most significant bit first.
uint32_t code_bits(BitReader &r, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i)
    v = v << 1 | bits(r, 1);
  return v;
}

int fixed_symbol(BitReader &r) {
  uint32_t c = code_bits(r, 7);
  if (c <= 23)
    return 256 + static_cast<int>(c);
  c = c << 1 | bits(r, 1);
  if (c >= 0x30 && c <= 0xBF)
    return static_cast<int>(c - 0x30);
  if (c >= 0xC0 && c <= 0xC7)
    return 280 + static_cast<int>(c - 0xC0);
  c = c << 1 | bits(r, 1);
  return 144 + static_cast<int>(c - 0x190);
}

// Lengths and distances from the rule of RFC 1951 rather than its tables.
int read_length(BitReader &r, int symbol) {
  const int code = symbol - 257;
  if (code == 28)
    return 258;
  if (code < 8)
    return 3 + code;
  const int extra = code / 4 - 1;
  const int base = 3 + ((4 + code % 4) << extra);
  return base + static_cast<int>(bits(r, extra));
}

int read_distance(BitReader &r) {
  const int code = static_cast<int>(code_bits(r, 5));
  if (code < 4)
    return 1 + code;
  const int extra = code / 2 - 1;
  const int base = 1 + ((2 + code % 2) << extra);
  return base + static_cast<int>(bits(r, extra));
}

std::vector<uint8_t> inflate_zlib(const std::vector<uint8_t> &z) {
  if (z.size() < 6 || (z[0] & 0x0F) != 8 || ((z[0] << 8) | z[1]) % 31 != 0)
    throw std::runtime_error("bad zlib header");
  const std::vector<uint8_t> body(z.begin() + 2, z.end() - 4);
  BitReader r{body};
  std::vector<uint8_t> out;
  for (;;) {
    const uint32_t final = bits(r, 1);
    const uint32_t type = bits(r, 2);
    if (type == 0) {
      r.pos = (r.pos + 7) / 8 * 8;
      const uint32_t len = bits(r, 16);
      bits(r, 16);
      for (uint32_t k = 0; k < len; ++k)
        out.push_back(static_cast<uint8_t>(bits(r, 8)));
    } else if (type == 1) {
      for (;;) {
        const int s = fixed_symbol(r);
        if (s < 256) {
          out.push_back(static_cast<uint8_t>(s));
        } else if (s == 256) {
          break;
        } else {
          const int length = read_length(r, s);
          const int distance = read_distance(r);
          if (distance > static_cast<int>(out.size()) || distance > 32768)
            throw std::runtime_error("distance before the start");
          for (int k = 0; k < length; ++k)
            out.push_back(out[out.size() - static_cast<size_t>(distance)]);
        }
      }
    } else {
      throw std::runtime_error("unexpected block type");
    }
    if (final)
      break;
  }
  const size_t n = z.size();
  const uint32_t stored =
      static_cast<uint32_t>(z[n - 4]) << 24 | z[n - 3] << 16 | z[n - 2] << 8 | z[n - 1];
  if (stored != adler32(out.data(), out.size()))
    throw std::runtime_error("Adler-32 mismatch");
  return out;
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
    EXPECT_EQ(be32(png, at + 8 + length), crc32(png.data() + at + 4, length + 4)) << c.type;
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
  const std::vector<uint8_t> raw = inflate_zlib(z);
  EXPECT_EQ(raw.size(), static_cast<size_t>(h) * (w * 3 + 1));
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

TEST(Checksums, KnownValues) {
  const char *text = "123456789";
  EXPECT_EQ(crc32(reinterpret_cast<const uint8_t *>(text), 9), 0xCBF43926u);
  const char *wiki = "Wikipedia";
  EXPECT_EQ(adler32(reinterpret_cast<const uint8_t *>(wiki), 9), 0x11E60398u);
  EXPECT_EQ(adler32(nullptr, 0), 1u);
}

TEST(ZlibStream, RoundTripsAndShrinksRepetition) {
  Deflater d;
  std::vector<uint8_t> z;
  std::mt19937 rng(7);
  std::vector<std::vector<uint8_t>> inputs;
  inputs.push_back({});
  inputs.push_back({42});
  inputs.push_back({1, 2});
  inputs.push_back(std::vector<uint8_t>(100000, 0)); // runs beyond 258 and the window
  std::vector<uint8_t> noise(70000);
  for (uint8_t &b : noise)
    b = static_cast<uint8_t>(rng() % 7); // many short, far matches
  inputs.push_back(noise);
  std::vector<uint8_t> text;
  for (int k = 0; k < 3000; ++k)
    for (char c : std::string("abcab ") + std::to_string(k))
      text.push_back(static_cast<uint8_t>(c));
  inputs.push_back(text);
  for (const auto &in : inputs) {
    zlib_compress(d, in.data(), in.size(), z);
    EXPECT_EQ(inflate_zlib(z), in) << in.size();
  }
  zlib_compress(d, inputs[3].data(), inputs[3].size(), z);
  EXPECT_LT(z.size(), 1000u); // 100,000 zeros
}

TEST(PngWriter, DecodesToTheSamePixels) {
  PngEncoder e;
  for (auto [w, h] : {std::pair{320, 240}, std::pair{1, 1}, std::pair{7, 3}}) {
    const std::vector<uint8_t> rgb = test_card(w, h, 3);
    encode_png(e, rgb.data(), w, h);
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
  encode_png(a, big.data(), 320, 240);
  encode_png(a, small.data(), 16, 16);
  encode_png(b, small.data(), 16, 16);
  EXPECT_EQ(a.file, b.file);
}

TEST(PngWriter, FlatPictureIsSmall) {
  PngEncoder e;
  const std::vector<uint8_t> black(320 * 240 * 3, 0);
  encode_png(e, black.data(), 320, 240);
  EXPECT_LT(e.file.size(), 2000u);
  int w = 0, h = 0;
  EXPECT_EQ(decode_rgb(e.file, w, h), black);
}
