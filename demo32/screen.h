#pragma once
// The picture every part of demo32 draws: 320x240 words 0x00RRGGBB (byte 0
// blue, byte 1 green, byte 2 red), row y starting at word y*320.

namespace d32 {

constexpr int SCREEN_WIDTH = 320;
constexpr int SCREEN_HEIGHT = 240;
constexpr int SCREEN_PIXELS = SCREEN_WIDTH * SCREEN_HEIGHT;

// The column window of every transparent text and glyph the scenes draw:
// columns CLIP_LEFT up to, but not including, CLIP_RIGHT, so the last column
// of the screen is never written by them.
constexpr int CLIP_LEFT = 0;
constexpr int CLIP_RIGHT = 319;

} // namespace d32
