#pragma once
// PNG files of 8-bit RGB pictures: the row filters here, the compression by
// libdeflate.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct libdeflate_compressor;

namespace capture {

struct FreeCompressor {
  void operator()(libdeflate_compressor *compressor) const;
};

// Work buffers of the encoder, grown once and reused for every frame.
struct PngEncoder {
  std::vector<uint8_t> filtered; // the rows, each behind its filter byte
  std::vector<uint8_t> rows;     // one row through each filter, to choose from
  std::vector<uint8_t> file;     // the finished PNG
  std::unique_ptr<libdeflate_compressor, FreeCompressor> compressor;
  int32_t compressor_level = -1; // the level compressor was made for
};

// A tEXt chunk: a keyword such as "Software" or "Comment" and Latin-1 text.
struct PngText {
  std::string keyword;
  std::string text;
};

// Encodes width x height pixels of 3 bytes (red, green, blue), rows top to
// bottom, into encoder.file, with the texts before the picture data. The
// level is libdeflate's, 0 to 12: 0 stores the filtered rows as they are, 1
// compresses fastest, 12 smallest. Throws std::bad_alloc when libdeflate
// cannot have its memory.
void encode_png(PngEncoder &encoder, const uint8_t *rgb, int32_t width, int32_t height,
                int32_t level, const std::vector<PngText> &texts = {});

} // namespace capture
