#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "demo32/text/draw_text.h"
#include "demo32/timeline/draw_scene.h"
#include "demo32/timeline/scene_texts.h"

namespace {

// The characters the font has glyphs for (Latin-1).
const std::string FONT_SET = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
                             "({[<!@#$%^&'?_:,\"/~>]})-"
                             "\xC4\xE4\xC5\xE5\xD6\xF6"
                             ". ";

size_t leading_spaces(const std::string &s) {
  return s.find_first_not_of(' ');
}
size_t trailing_spaces(const std::string &s) {
  return s.size() - 1 - s.find_last_not_of(' ');
}

std::vector<std::string> every_scene_text() {
  std::vector<std::string> all = {d32::scroll_text_1, d32::scroll_text_2,
                                  d32::TEASER_BOX_FIRST.text, d32::TEASER_BOX_SECOND.text};
  for (const auto &t : d32::OPENING_TITLES)
    all.push_back(t.text);
  for (const auto &t : d32::INTRO_TITLES)
    all.push_back(t.text);
  for (const auto &t : d32::NAME_BOXES)
    all.push_back(t.text);
  for (const auto &t : d32::CREDITS)
    all.push_back(t.text);
  return all;
}

TEST(ScrollTexts, LengthsAndPadding) {
  const std::string first = d32::scroll_text_1, second = d32::scroll_text_2;
  EXPECT_EQ(first.size(), 350u);
  EXPECT_EQ(leading_spaces(first), 21u);
  EXPECT_EQ(trailing_spaces(first), 67u);
  EXPECT_EQ(second.size(), 311u);
  EXPECT_EQ(leading_spaces(second), 84u);
  EXPECT_EQ(trailing_spaces(second), 24u);
}

TEST(SceneTexts, EveryCharacterHasAGlyph) {
  ASSERT_EQ(FONT_SET.size(), 96u - 2); // the set without the second O and P
  ASSERT_EQ(std::strlen(d32::font_charset), 96u);
  for (const std::string &text : every_scene_text()) {
    EXPECT_FALSE(text.empty());
    for (char c : text) {
      EXPECT_NE(FONT_SET.find(c), std::string::npos) << "'" << c << "' in \"" << text << "\"";
      if (c != ' ') {
        EXPECT_NE(d32::glyph_index(static_cast<uint8_t>(c)), d32::GLYPH_SPACE) << c;
      }
    }
  }
}

TEST(SceneTexts, CreditYearLine) {
  const std::string line = d32::CREDIT_YEAR_LINE;
  EXPECT_EQ(line.size(), 17u);
  EXPECT_EQ(line.substr(13), "2005");
  // Centred by its own length like the other centred credits.
  bool listed = false;
  for (const auto &t : d32::CREDITS)
    listed |= t.text == d32::CREDIT_YEAR_LINE && t.x == d32::CENTRED && t.y == 200;
  EXPECT_TRUE(listed);
}

TEST(SceneTexts, OpaqueBoxesFitTheScreen) {
  // Opaque text is not clipped, so a centred box must stay inside 320 columns.
  std::vector<d32::SceneText> boxes = {d32::TEASER_BOX_FIRST, d32::TEASER_BOX_SECOND};
  boxes.insert(boxes.end(), std::begin(d32::NAME_BOXES), std::end(d32::NAME_BOXES));
  for (const auto &box : boxes) {
    EXPECT_EQ(box.x, d32::CENTRED);
    EXPECT_LE(std::strlen(box.text), 20u) << box.text;
  }
}

} // namespace
