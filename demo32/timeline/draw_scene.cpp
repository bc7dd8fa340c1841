// Placeholder until the scene script lands.
#include "demo32/timeline/draw_scene.h"

namespace d32 {

const char scroll_text_1[] = "                                         ";
const char scroll_text_2[] = "                                         ";
void draw_scene(uint32_t *, EffectState &, const LensTables &, const ShowClock &) {}

} // namespace d32
