// The text scrolling up through the whole show, one pixel per frame.
#include "demo8/effects/effects.h"

namespace d8 {

namespace {

constexpr int32_t ROW_COUNT = 113;   // rows in scroll_rows
constexpr int32_t ROWS_IN_PLAY = 16; // rows visible or entering at once

const char BLANK_ROW[21] = "                    ";

} // namespace

void draw_scroller(Surface8 s, int32_t t) {
  for (int32_t i = 0; i < ROWS_IN_PLAY; ++i) {
    // The row number wraps at 128; rows past the table are blank (the show
    // ends before they would be reached).
    const int32_t n = (t / 16 + i) & 127;
    const char *row = n < ROW_COUNT ? scroll_rows + 20 * n : BLANK_ROW;
    draw_text_line(s, 0, 16 * i - (t & 15), row);
  }
}

} // namespace d8
