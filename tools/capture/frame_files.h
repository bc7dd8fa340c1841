#pragma once
// A frame's files: its size, the names of its files, its pixels as raw
// memory and as RGB bytes, and the texts its PNG carries.
#include <cstdint>
#include <string>
#include <vector>

#include "demo8/show/palette.h"
#include "tools/capture/png_writer.h"

namespace capture {

constexpr int32_t FRAME_WIDTH = 320;
constexpr int32_t FRAME_HEIGHT = 240;
constexpr int32_t FRAME_PIXELS = FRAME_WIDTH * FRAME_HEIGHT;
constexpr int32_t RAW32_BYTES = FRAME_PIXELS * 4; // 307,200
constexpr int32_t RAW8_BYTES = FRAME_PIXELS;      // 76,800

// demo32 pixel words 0x00RRGGBB as little-endian bytes.
void frame32_raw(const uint32_t *pixels, uint8_t *out);
void frame32_rgb(const uint32_t *pixels, uint8_t *rgb);
void frame8_rgb(const uint8_t *indices, const d8::Rgb (&palette)[256], uint8_t *rgb);

// "DIR/frame_00042.raw"
std::string frame_path(const std::string &dir, int64_t frame, const char *extension);

// The tEXt chunks of a frame's PNG: the program and the command that makes
// the same file again.
std::vector<PngText> frame_png_texts(const std::string &command, int64_t frame, int32_t level);

} // namespace capture
