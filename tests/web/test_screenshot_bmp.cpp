// The page's vintage.bmp against the file SDL writes of the desktop's
// offscreen surface (32 bits, no alpha), byte for byte.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "web/bmp.h"

namespace {

std::vector<uint8_t> sdl_bmp(const std::vector<uint32_t> &pixels, int width, int height) {
  SDL_Surface *surface = SDL_CreateRGBSurface(0, width, height, 32, 0, 0, 0, 0);
  EXPECT_NE(surface, nullptr) << SDL_GetError();
  if (surface == nullptr)
    return {};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      static_cast<uint32_t *>(surface->pixels)[y * surface->pitch / 4 + x] = pixels[y * width + x];
  std::vector<uint8_t> file(64 + static_cast<size_t>(width) * height * 4);
  SDL_RWops *out = SDL_RWFromMem(file.data(), static_cast<int>(file.size()));
  SDL_SaveBMP_RW(surface, out, 0);
  file.resize(static_cast<size_t>(SDL_RWtell(out)));
  SDL_RWclose(out);
  SDL_FreeSurface(surface);
  return file;
}

} // namespace

TEST(ScreenshotBmp, EqualsSdlsFile) {
  // The screen, and a width whose rows need padding to four bytes.
  for (const auto &[width, height] : {std::pair{320, 240}, std::pair{5, 3}}) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i)
      pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0x00FFFFFFu;
    const std::vector<uint8_t> ours = web::bmp24(pixels.data(), width, height);
    EXPECT_EQ(ours, sdl_bmp(pixels, width, height)) << width << "x" << height;
  }
}
