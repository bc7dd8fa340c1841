// The index page's stills, rendered for web/gallery/gallery.mjs, which runs
// this module under node at build time and writes them as PNG files: each
// show on its replay clock, as demo-capture runs it (demo32's music clock
// from the song's chart), through the show's own pass.
#include <emscripten.h>

#include <memory>
#include <string>
#include <vector>

#include "demo32/replay/replay.h"
#include "demo8/show/palette.h"
#include "demo8/show/plain_platform.h"
#include "web/gallery/stills.h"

namespace {

struct Gallery {
  std::vector<gallery::Still> stills32;
  std::vector<gallery::Still> stills8;
  d32::SongChart chart;
  d32::Replay32 replay;
  int64_t next32 = 0; // the next demo32 frame to draw
  d8::Show8 show8;
  uint8_t screen8[d8::SCREEN_WIDTH * d8::SCREEN_HEIGHT] = {};
  uint8_t rgb[d8::SCREEN_WIDTH * d8::SCREEN_HEIGHT * 3] = {};
  std::string line;
};

Gallery &the_gallery() {
  static auto g = [] {
    auto made = std::make_unique<Gallery>();
    d32::chart_song(made->chart);
    made->stills32 = gallery::stills32(made->chart);
    made->stills8 = gallery::stills8();
    d32::start_replay(made->replay, gallery::SEED32, true);
    d8::prepare_show(made->show8);
    d8::start_show(made->show8, 0);
    return made;
  }();
  return *g;
}

const gallery::Still &still(int i) {
  Gallery &g = the_gallery();
  const auto n32 = static_cast<int>(g.stills32.size());
  return i < n32 ? g.stills32[i] : g.stills8[i - n32];
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int gallery_count() {
  return static_cast<int>(the_gallery().stills32.size() + the_gallery().stills8.size());
}

// Still i as "SHOW FRAME QUERY ALT".
EMSCRIPTEN_KEEPALIVE const char *gallery_still(int i) {
  const gallery::Still &s = still(i);
  Gallery &g = the_gallery();
  g.line = std::string(i < static_cast<int>(g.stills32.size()) ? "demo32" : "demo8") + " " +
           std::to_string(s.frame) + " " + s.query + " " + s.alt;
  return g.line.c_str();
}

// The picture of still i, bytes red, green, blue; the stills in order.
EMSCRIPTEN_KEEPALIVE const uint8_t *gallery_render(int i) {
  Gallery &g = the_gallery();
  const gallery::Still &s = still(i);
  if (i < static_cast<int>(g.stills32.size())) {
    while (g.next32 <= s.frame)
      d32::replay_charted_frame(g.replay, g.chart, gallery::FPS32, g.next32++);
    for (int p = 0; p < d32::SCREEN_PIXELS; ++p) {
      g.rgb[3 * p] = static_cast<uint8_t>(g.replay.pixels[p] >> 16);
      g.rgb[3 * p + 1] = static_cast<uint8_t>(g.replay.pixels[p] >> 8);
      g.rgb[3 * p + 2] = static_cast<uint8_t>(g.replay.pixels[p]);
    }
  } else {
    d8::Surface8 surface{g.screen8, d8::SCREEN_WIDTH};
    const d8::Platform8 platform = d8::plain_platform(surface);
    while (g.show8.frame <= s.frame)
      d8::show_pass(g.show8, platform);
    d8::Rgb colours[256];
    d8::build_palette(colours);
    for (int p = 0; p < d8::SCREEN_WIDTH * d8::SCREEN_HEIGHT; ++p) {
      g.rgb[3 * p] = colours[g.screen8[p]].r;
      g.rgb[3 * p + 1] = colours[g.screen8[p]].g;
      g.rgb[3 * p + 2] = colours[g.screen8[p]].b;
    }
  }
  return g.rgb;
}

} // extern "C"
