#include "tools/capture/yuv_frame.h"

#include <cstring>

namespace capture {

namespace {

// BT.709 luma weights of red and blue; green takes the rest.
constexpr double KR = 0.2126;
constexpr double KB = 0.0722;
constexpr double KG = 1 - KR - KB;
// Limited range: luma 16..235, colour differences 16..240 around 128.
constexpr double LUMA_SPAN = 219.0 / 255;
constexpr double CHROMA_SPAN = 224.0 / 255;

// Weights in 16.16 fixed point, rounded to nearest.
constexpr int32_t fixed(double v) {
  return static_cast<int32_t>(v * 65536 + (v < 0 ? -0.5 : 0.5));
}

constexpr int32_t Y_R = fixed(LUMA_SPAN * KR);
constexpr int32_t Y_G = fixed(LUMA_SPAN * KG);
constexpr int32_t Y_B = fixed(LUMA_SPAN * KB);
// Cb = (B - Y') / (2 (1 - KB)), Cr = (R - Y') / (2 (1 - KR)).
constexpr int32_t CB_R = fixed(-CHROMA_SPAN * KR / (2 * (1 - KB)));
constexpr int32_t CB_G = fixed(-CHROMA_SPAN * KG / (2 * (1 - KB)));
constexpr int32_t CB_B = fixed(CHROMA_SPAN / 2);
constexpr int32_t CR_R = fixed(CHROMA_SPAN / 2);
constexpr int32_t CR_G = fixed(-CHROMA_SPAN * KG / (2 * (1 - KR)));
constexpr int32_t CR_B = fixed(-CHROMA_SPAN * KB / (2 * (1 - KR)));
constexpr int32_t HALF = 1 << 15;

// Every sum below is positive (the results lie in 16..240), so the shift
// rounds as a division would.
uint8_t to_byte(int32_t sum, int32_t offset) {
  return static_cast<uint8_t>((sum + (offset << 16) + HALF) >> 16);
}

} // namespace

Ycc bt709_limited(uint8_t r, uint8_t g, uint8_t b) {
  return {to_byte(Y_R * r + Y_G * g + Y_B * b, 16), to_byte(CB_R * r + CB_G * g + CB_B * b, 128),
          to_byte(CR_R * r + CR_G * g + CR_B * b, 128)};
}

void enlarge_to_yuv420(const uint8_t *rgb, int32_t width, int32_t height, int32_t scale,
                       std::vector<uint8_t> &out) {
  const auto w = static_cast<size_t>(width) * static_cast<size_t>(scale);
  const auto h = static_cast<size_t>(height) * static_cast<size_t>(scale);
  const size_t cw = w / 2;
  const size_t half = static_cast<size_t>(scale) / 2; // colour samples per pixel and axis
  out.resize(w * h + 2 * cw * (h / 2));
  uint8_t *const luma = out.data();
  uint8_t *const cb = luma + w * h;
  uint8_t *const cr = cb + cw * (h / 2);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t *luma_row = luma + static_cast<size_t>(y) * scale * w;
    uint8_t *cb_row = cb + static_cast<size_t>(y) * half * cw;
    uint8_t *cr_row = cr + static_cast<size_t>(y) * half * cw;
    const uint8_t *src = rgb + static_cast<size_t>(y) * width * 3;
    for (int32_t x = 0; x < width; ++x) {
      const Ycc c = bt709_limited(src[3 * x], src[3 * x + 1], src[3 * x + 2]);
      std::memset(luma_row + static_cast<size_t>(x) * scale, c.y, static_cast<size_t>(scale));
      std::memset(cb_row + static_cast<size_t>(x) * half, c.cb, half);
      std::memset(cr_row + static_cast<size_t>(x) * half, c.cr, half);
    }
    for (int32_t k = 1; k < scale; ++k)
      std::memcpy(luma_row + static_cast<size_t>(k) * w, luma_row, w);
    for (size_t k = 1; k < half; ++k) {
      std::memcpy(cb_row + k * cw, cb_row, cw);
      std::memcpy(cr_row + k * cw, cr_row, cw);
    }
  }
}

} // namespace capture
