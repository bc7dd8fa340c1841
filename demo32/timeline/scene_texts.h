#pragma once
// The fixed texts of the scene script: titles, text boxes and credits.
#include <cstdint>

namespace d32 {

extern const char scroll_text_1[]; // 350 characters, the scroller of positions 8..11
extern const char scroll_text_2[]; // 311 characters, the scroller of positions 16..19

// One line of text: x may be CENTRED; y is the top row of the cells.
struct SceneText {
  const char *text;
  int32_t x;
  int32_t y;
};

constexpr int OPENING_TITLE_COUNT = 2;
constexpr int INTRO_TITLE_COUNT = 3;
constexpr int NAME_BOX_COUNT = 3;
constexpr int CREDIT_COUNT = 8;

extern const SceneText OPENING_TITLES[OPENING_TITLE_COUNT]; // position 0, shadowed
extern const SceneText INTRO_TITLES[INTRO_TITLE_COUNT];     // position 1, shadowed
extern const SceneText TEASER_BOX_FIRST;                    // position 4, boxed
extern const SceneText TEASER_BOX_SECOND;                   // position 4, boxed
extern const SceneText NAME_BOXES[NAME_BOX_COUNT];          // position 5, boxed
extern const SceneText CREDITS[CREDIT_COUNT];               // position 27, shadowed

// The credits line with the year; 17 characters, centred by its own length.
extern const char CREDIT_YEAR_LINE[];

} // namespace d32
