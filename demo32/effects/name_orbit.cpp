// Four names on an ellipse around the twister: behind it along the bottom of
// the path, in front of it along the top.
#include "demo32/effects/name_orbit.h"

#include <cmath>
#include <cstring>

#include "demo32/effects/effects.h"
#include "demo32/text/draw_text.h"

namespace d32 {

namespace {

constexpr uint32_t SHADOW = 0x000000;
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr int32_t SHADOW_OFFSET = 4;

void draw_name(uint32_t *pixels, const NamePlacement &at, const char *text, int32_t clip_left,
               int32_t clip_right) {
  draw_text(pixels, at.x + SHADOW_OFFSET, at.y + SHADOW_OFFSET, SHADOW, NO_BACKGROUND, text,
            clip_left, clip_right);
  draw_text(pixels, at.x, at.y, WHITE, NO_BACKGROUND, text, clip_left, clip_right);
}

} // namespace

NamePlacement place_name(int32_t phase, const char *text) {
  // Signed length arithmetic: a long name simply starts further left.
  const int64_t length = text ? static_cast<int64_t>(std::strlen(text)) : 0;
  const double angle = phase * PI / 1024;
  NamePlacement at{};
  at.x = static_cast<int32_t>(std::sin(angle) * 200 + static_cast<double>(160 - 8 * length));
  at.y = static_cast<int32_t>(std::cos(angle) * 50 + 110);
  // Behind the bar only the half on the name's outer side of the axis shows.
  at.clip_left = phase > 512 ? CLIP_LEFT : SCREEN_WIDTH / 2;
  at.clip_right = phase < 1536 ? CLIP_RIGHT : SCREEN_WIDTH / 2;
  at.in_front = phase >= 513 && phase <= 1535;
  at.behind = phase > 0 && !at.in_front;
  return at;
}

void draw_name_orbit(uint32_t *pixels, const Phases &phases, const NameSlots &names,
                     const EffectTables &tables) {
  const char *texts[NAME_SLOTS];
  NamePlacement placed[NAME_SLOTS];
  for (int k = 0; k < NAME_SLOTS; ++k) {
    texts[k] = names.name_slot_text[k] ? names.name_slot_text[k] : "";
    placed[k] = place_name(names.name_slot_phase[k], texts[k]);
    if (placed[k].behind)
      draw_name(pixels, placed[k], texts[k], placed[k].clip_left, placed[k].clip_right);
  }

  draw_twister(pixels, phases, tables);

  for (int k = 0; k < NAME_SLOTS; ++k)
    if (placed[k].in_front)
      draw_name(pixels, placed[k], texts[k], CLIP_LEFT, CLIP_RIGHT);
}

} // namespace d32
