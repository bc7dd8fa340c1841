#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "demo32/effects/effects.h"
#include "demo32/effects/name_orbit.h"
#include "demo32/text/draw_text.h"

namespace {

// What the effect reads: the moving state and the built tables.
struct EffectState : d32::EffectState {
  d32::EffectTables tables;
};
using d32::NamePlacement;
using d32::place_name;
using d32::SCREEN_PIXELS;
using d32::SCREEN_WIDTH;

constexpr uint32_t BACKGROUND = 0x203040;
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr uint32_t BLACK = 0x000000;

struct Slot {
  const char *text;
  int32_t phase;
};

std::unique_ptr<EffectState> orbit_state(std::vector<Slot> slots) {
  auto fx = std::make_unique<EffectState>();
  for (int j = 0; j < 40; ++j)
    fx->tables.shade_ramp[j] = static_cast<int32_t>((1 - j / 39.0) * 191 + 64);
  fx->phases.phase6 = 300;
  slots.resize(d32::NAME_SLOTS, Slot{"idle", 0});
  for (int k = 0; k < d32::NAME_SLOTS; ++k) {
    fx->names.name_slot_text[k] = slots[k].text;
    fx->names.name_slot_phase[k] = slots[k].phase;
  }
  return fx;
}

std::vector<uint32_t> blank() {
  return std::vector<uint32_t>(SCREEN_PIXELS, BACKGROUND);
}

std::vector<uint32_t> twister_only(const EffectState &fx) {
  auto frame = blank();
  d32::draw_twister(frame.data(), fx.phases, fx.tables);
  return frame;
}

std::vector<uint32_t> orbit(const EffectState &fx) {
  auto frame = blank();
  d32::draw_name_orbit(frame.data(), fx.phases, fx.names, fx.tables);
  return frame;
}

// The white text alone, as the text drawer puts it at (x, y).
std::vector<bool> text_mask(const char *text, int32_t x, int32_t y, int32_t left, int32_t right) {
  auto frame = blank();
  d32::draw_text(frame.data(), x, y, WHITE, d32::NO_BACKGROUND, text, left, right);
  std::vector<bool> mask(SCREEN_PIXELS);
  for (int i = 0; i < SCREEN_PIXELS; ++i)
    mask[i] = frame[i] == WHITE;
  return mask;
}

TEST(NamePlacement, PassAndClipWindowFollowThePhase) {
  struct Case {
    int32_t phase;
    bool behind, in_front;
    int32_t clip_left, clip_right;
  };
  const Case cases[] = {
      {-1536, false, false, 160, 319}, {0, false, false, 160, 319}, {1, true, false, 160, 319},
      {512, true, false, 160, 319},    {513, false, true, 0, 319},  {1024, false, true, 0, 319},
      {1535, false, true, 0, 319},     {1536, true, false, 0, 160}, {2047, true, false, 0, 160},
  };
  for (const Case &c : cases) {
    const NamePlacement at = place_name(c.phase, "abc");
    EXPECT_EQ(at.behind, c.behind) << "phase " << c.phase;
    EXPECT_EQ(at.in_front, c.in_front) << "phase " << c.phase;
    if (c.behind) {
      EXPECT_EQ(at.clip_left, c.clip_left) << "phase " << c.phase;
      EXPECT_EQ(at.clip_right, c.clip_right) << "phase " << c.phase;
    }
  }
}

TEST(NamePlacement, NamesRunOnTheEllipse) {
  // Centred on 160 + 200 sin, top row 110 + 50 cos, both truncated.
  struct Case {
    int32_t phase;
    const char *text;
    int32_t x, y;
  };
  const Case cases[] = {
      {0, "abc", 136, 160},
      {1, "abc", 136, 159},
      {1024, "abc", 136, 60},
      {512, "abc", 336, 110},
      {100, "abc", 196, 157},
      {1024, "abcdefgh", 96, 60},
      {1024, "", 160, 60},
      // cos of the short pi is just below 0 there, so the row truncates to 109.
      {1536, "abc", -64, 109},
      // A name longer than 20 letters just starts further left.
      {0, "abcdefghijabcdefghijabcde", -40, 160},
  };
  for (const Case &c : cases) {
    const NamePlacement at = place_name(c.phase, c.text);
    EXPECT_EQ(at.x, c.x) << "phase " << c.phase << " " << c.text;
    EXPECT_EQ(at.y, c.y) << "phase " << c.phase << " " << c.text;
  }
}

TEST(NameOrbit, HiddenSlotsAndEmptyNamesLeaveOnlyTheTwister) {
  const auto fx = orbit_state({{"abc", 0}, {"abc", -512}, {"", 1024}, {"", 200}});
  EXPECT_EQ(orbit(*fx), twister_only(*fx));
}

TEST(NameOrbit, FrontNameIsDrawnOverTheBarWithItsShadow) {
  // In the last slot, behind an idle one and an empty name in front.
  const auto fx = orbit_state({{"abc", 0}, {"abc", -6}, {"", 700}, {"abcdefgh", 1024}});
  const auto frame = orbit(*fx);
  const auto bar = twister_only(*fx);
  const auto white = text_mask("abcdefgh", 96, 60, 0, 319);
  const auto shadow = text_mask("abcdefgh", 100, 64, 0, 319);

  int over_bar = 0;
  int shadows = 0;
  for (int i = 0; i < SCREEN_PIXELS; ++i) {
    const int x = i % SCREEN_WIDTH;
    const int y = i / SCREEN_WIDTH;
    if (white[i]) {
      EXPECT_EQ(frame[i], WHITE) << x << ", " << y;
      over_bar += bar[i] != BACKGROUND;
    } else if (shadow[i]) {
      EXPECT_EQ(frame[i], BLACK) << x << ", " << y;
      ++shadows;
    } else {
      EXPECT_EQ(frame[i], bar[i]) << x << ", " << y;
    }
  }
  EXPECT_GT(over_bar, 50);
  EXPECT_GT(shadows, 50);
}

TEST(NameOrbit, NameBehindIsCoveredByTheBar) {
  // Phase 150: the name sits right of the bar's axis; phase6 sways the bar
  // right at its rows, so it hides part of the name.
  auto fx = orbit_state({{"abc", -100}, {"abc", 150}});
  fx->phases.phase6 = 1258;
  const NamePlacement at = place_name(150, "abc");
  auto expected = blank();
  d32::draw_text(expected.data(), at.x + 4, at.y + 4, BLACK, d32::NO_BACKGROUND, "abc", 160, 319);
  d32::draw_text(expected.data(), at.x, at.y, WHITE, d32::NO_BACKGROUND, "abc", 160, 319);
  const auto names_only = expected;
  d32::draw_twister(expected.data(), fx->phases, fx->tables);
  const auto frame = orbit(*fx);
  EXPECT_EQ(frame, expected);

  const auto bar = twister_only(*fx);
  int visible = 0;
  int hidden = 0;
  for (int i = 0; i < SCREEN_PIXELS; ++i) {
    if (names_only[i] == WHITE) {
      visible += frame[i] == WHITE;
      hidden += bar[i] != BACKGROUND;
    }
  }
  EXPECT_GT(visible, 20);
  EXPECT_GT(hidden, 20);
}

} // namespace
