#pragma once
// The Windows bitmap the desktop's Escape screenshot is: 24 bits per pixel,
// rows bottom-up, as SDL's BMP writer makes it of a surface without alpha.
#include <cstdint>
#include <vector>

namespace web {

// pixels: width x height words 0x00RRGGBB, row y at pixels + y * width.
std::vector<uint8_t> bmp24(const uint32_t *pixels, int32_t width, int32_t height);

} // namespace web
