#pragma once
// The picture of demo8: 320x240 palette indices, row y at pixels + y * pitch.

namespace d8 {

constexpr int SCREEN_WIDTH = 320;
constexpr int SCREEN_HEIGHT = 240;

} // namespace d8
