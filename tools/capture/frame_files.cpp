#include "tools/capture/frame_files.h"

#include "tools/capture/options.h"
#include "tools/capture/output_files.h"
#include "tools/capture/version.h"

namespace capture {

std::vector<PngText> frame_png_texts(const std::string &command, int64_t frame, int32_t level) {
  return {
      {"Software", std::string("demo-capture ") + CAPTURE_VERSION},
      {"Comment", command + frames_option(frame, frame) + " --png-level " + std::to_string(level)}};
}

void frame32_raw(const uint32_t *pixels, uint8_t *out) {
  for (int32_t i = 0; i < FRAME_PIXELS; ++i) {
    const uint32_t p = pixels[i];
    out[4 * i + 0] = static_cast<uint8_t>(p);
    out[4 * i + 1] = static_cast<uint8_t>(p >> 8);
    out[4 * i + 2] = static_cast<uint8_t>(p >> 16);
    out[4 * i + 3] = static_cast<uint8_t>(p >> 24);
  }
}

void frame32_rgb(const uint32_t *pixels, uint8_t *rgb) {
  for (int32_t i = 0; i < FRAME_PIXELS; ++i) {
    const uint32_t p = pixels[i];
    rgb[3 * i + 0] = static_cast<uint8_t>(p >> 16);
    rgb[3 * i + 1] = static_cast<uint8_t>(p >> 8);
    rgb[3 * i + 2] = static_cast<uint8_t>(p);
  }
}

void frame8_rgb(const uint8_t *indices, const d8::Rgb (&palette)[256], uint8_t *rgb) {
  for (int32_t i = 0; i < FRAME_PIXELS; ++i) {
    const d8::Rgb c = palette[indices[i]];
    rgb[3 * i + 0] = c.r;
    rgb[3 * i + 1] = c.g;
    rgb[3 * i + 2] = c.b;
  }
}

std::string frame_path(const std::string &dir, int64_t frame, const char *extension) {
  return numbered_path(dir, "frame_", frame, 5, extension);
}

} // namespace capture
