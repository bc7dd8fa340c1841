#pragma once
// What becomes of one finished frame: a raw file of its pixel memory, a PNG,
// a frame of the video.
#include <cstdint>
#include <string>
#include <vector>

#include "demo8/show/palette.h"
#include "tools/capture/frame_pool.h"
#include "tools/capture/png_writer.h"
#include "tools/capture/video_pipe.h"

namespace capture {

constexpr int32_t FRAME_WIDTH = 320;
constexpr int32_t FRAME_HEIGHT = 240;
constexpr int32_t FRAME_PIXELS = FRAME_WIDTH * FRAME_HEIGHT;
constexpr int32_t RAW32_BYTES = FRAME_PIXELS * 4; // 307,200
constexpr int32_t RAW8_BYTES = FRAME_PIXELS;      // 76,800

struct FrameOutputs {
  std::string raw_dir;     // empty: no raw files
  std::string png_dir;     // empty: no PNG files
  int64_t first_frame = 0; // files for first_frame, first_frame + every, ...
  int64_t every = 1;
  VideoPipe *video = nullptr; // every frame of the range, or null
  std::string command;        // the reproducing command; each PNG adds its frame
  FramePool *pool = nullptr;  // encodes and writes the files; null: done here

  // Work buffers, sized once.
  std::vector<uint8_t> raw;
  std::vector<uint8_t> rgb;
  PngEncoder png;
};

// demo32 pixel words 0x00RRGGBB as little-endian bytes.
void frame32_raw(const uint32_t *pixels, uint8_t *out);
void frame32_rgb(const uint32_t *pixels, uint8_t *rgb);
void frame8_rgb(const uint8_t *indices, const d8::Rgb (&palette)[256], uint8_t *rgb);

// "DIR/frame_00042.raw"
std::string frame_path(const std::string &dir, int64_t frame, const char *extension);

bool wants_pictures(const FrameOutputs &outputs);
bool wants_files(const FrameOutputs &outputs);

// The tEXt chunks of a frame's PNG: the program and the command that makes
// the frame again.
std::vector<PngText> frame_png_texts(const std::string &command, int64_t frame);

// Frame numbers are the show's own, counted from 0 even inside a range.
void emit_frame32(FrameOutputs &outputs, int64_t frame, const uint32_t *pixels);
void emit_frame8(FrameOutputs &outputs, int64_t frame, const uint8_t *indices,
                 const d8::Rgb (&palette)[256]);

} // namespace capture
