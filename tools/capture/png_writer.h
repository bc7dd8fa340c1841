#pragma once
// PNG files of 8-bit RGB pictures.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/capture/zlib_stream.h"

namespace capture {

// Work buffers of the encoder, grown once and reused for every frame.
struct PngEncoder {
  std::vector<uint8_t> filtered; // the rows, each behind its filter byte
  std::vector<uint8_t> rows;     // one row through each filter, to choose from
  std::vector<uint8_t> compressed;
  std::vector<uint8_t> file; // the finished PNG
  Deflater deflater;
};

// A tEXt chunk: a keyword such as "Software" or "Comment" and Latin-1 text.
struct PngText {
  std::string keyword;
  std::string text;
};

uint32_t crc32(const uint8_t *data, size_t size);

// Encodes width x height pixels of 3 bytes (red, green, blue), rows top to
// bottom, into encoder.file, with the texts before the picture data.
void encode_png(PngEncoder &encoder, const uint8_t *rgb, int32_t width, int32_t height,
                const std::vector<PngText> &texts = {});

} // namespace capture
