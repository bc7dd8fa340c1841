#pragma once
// The video's pictures, made here rather than by ffmpeg's scaler so that the
// colour conversion is known exactly and tagged truthfully: BT.709 matrix,
// limited ("tv") range, 4:2:0. Each show pixel becomes a scale x scale block;
// with an even scale every colour sample (one per 2x2 pixels) lies inside one
// block, so no colour bleeds into a neighbouring pixel.
#include <cstdint>
#include <vector>

namespace capture {

struct Ycc {
  uint8_t y, cb, cr;
};

// One 8-bit RGB colour in BT.709 limited range, rounded to nearest.
Ycc bt709_limited(uint8_t r, uint8_t g, uint8_t b);

// The planes Y (w x h), Cb and Cr (w/2 x h/2) of a width x height RGB picture
// enlarged scale times (scale even); out is sized to fit.
void enlarge_to_yuv420(const uint8_t *rgb, int32_t width, int32_t height, int32_t scale,
                       std::vector<uint8_t> &out);

} // namespace capture
