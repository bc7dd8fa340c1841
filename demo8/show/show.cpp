#include "demo8/show/show.h"

#include <cstdio>

namespace d8 {

void prepare_show(Show8 &show) {
  build_polar_tables(show.tables);
  build_wave_table(show.tables);
}

void start_show(Show8 &show, uint32_t now) {
  show.frame = 0;
  start_pacing(show.pacing, static_cast<int32_t>(now));
  show.scene = SceneState{};
  show.running = 1;
}

Pass show_pass(Show8 &show, const Platform8 &platform) {
  if (platform.paced) {
    FrameStart start;
    if (!frame_starts(show.pacing, static_cast<int32_t>(platform.ticks(platform.context)), start))
      return Pass::NOT_DUE;
    if (const char *format = lateness_format(start.lateness)) {
      char line[64];
      std::snprintf(line, sizeof line, format, start.reported_lag);
      platform.print_line(platform.context, line);
    }
  }

  const Surface8 surface = platform.lock(platform.context);
  draw_frame(surface, show.tables, show.scene, show.frame, show.running);
  platform.unlock(platform.context);
  platform.present(platform.context);

  Event event;
  while (platform.next_event(platform.context, event))
    if (event == Event::ESCAPE_UP || event == Event::CLOSE_REQUESTED)
      show.running = 0;
  ++show.frame;
  return show.running != 0 ? Pass::FRAME : Pass::LAST_FRAME;
}

} // namespace d8
