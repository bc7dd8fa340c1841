#pragma once
// What becomes of one finished frame: its raw and PNG files, encoded and
// written by the frame pool's workers, and a frame of the video.
#include <cstdint>
#include <vector>

#include "demo8/show/palette.h"
#include "tools/capture/frame_files.h"
#include "tools/capture/frame_pool.h"
#include "tools/capture/video_pipe.h"

namespace capture {

struct FrameOutputs {
  int64_t first_frame = 0; // files for first_frame, first_frame + every, ...
  int64_t every = 1;
  FramePool *pool = nullptr;  // the raw and PNG files, or null
  VideoPipe *video = nullptr; // every frame of the range, or null
  std::vector<uint8_t> rgb;   // the video's frame when no PNG slot holds it
};

bool wants_pictures(const FrameOutputs &outputs);

// Frame numbers are the show's own, counted from 0 even inside a range.
void emit_frame32(FrameOutputs &outputs, int64_t frame, const uint32_t *pixels);
void emit_frame8(FrameOutputs &outputs, int64_t frame, const uint8_t *indices,
                 const d8::Rgb (&palette)[256]);

} // namespace capture
