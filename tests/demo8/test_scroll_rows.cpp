#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "demo8/effects/effects.h"

namespace {

constexpr int ROWS = 113;

std::string row(int n) {
  return std::string(d8::scroll_rows + 20 * n, 20);
}

bool blank(int n) {
  return row(n).find_first_not_of(' ') == std::string::npos;
}

int first_row_containing(const char *word) {
  for (int n = 0; n < ROWS; ++n)
    if (row(n).find(word) != std::string::npos)
      return n;
  return -1;
}

TEST(ScrollRows, SizeAndEncoding) {
  EXPECT_EQ(std::strlen(d8::scroll_rows), 20u * ROWS);
  for (int i = 0; i < 20 * ROWS; ++i) {
    const char c = d8::scroll_rows[i];
    EXPECT_TRUE((c >= 'a' && c <= 'z') || std::strchr(" [|]^_", c))
        << "row " << i / 20 << " column " << i % 20;
  }
}

TEST(ScrollRows, LayoutFollowsTheShow) {
  // The first screen shows only a few stars, then the title enters.
  bool stars = false;
  for (int n = 0; n < 15; ++n) {
    EXPECT_EQ(row(n).find_first_not_of(" ^]"), std::string::npos) << n;
    stars = stars || !blank(n);
  }
  EXPECT_TRUE(stars);
  EXPECT_NE(row(15).find("intro"), std::string::npos);

  // Row n reaches the bottom edge in frame 16 * (n - 15): each effect is
  // named in the frame it starts.
  EXPECT_LT(first_row_containing("tunneli"), 33);
  EXPECT_EQ(first_row_containing("rotozoom"), 33); // frame 288
  EXPECT_EQ(first_row_containing("plasma"), 51);   // frame 576
  EXPECT_EQ(first_row_containing("renka"), 71);    // frame 896

  const int greetings = first_row_containing("terkkuja");
  EXPECT_GT(greetings, 71);
  EXPECT_GT(first_row_containing("koodi"), greetings);
  EXPECT_GT(first_row_containing("kiitos"), first_row_containing("koodi"));
  for (int n = 97; n < ROWS; ++n)
    EXPECT_TRUE(blank(n)) << n;
}

} // namespace
