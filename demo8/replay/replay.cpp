#include "demo8/replay/replay.h"

#include "demo8/show/plain_platform.h"

namespace d8 {

void start_replay(Replay8 &replay) {
  prepare_show(replay.show);
  start_show(replay.show, 0);
  for (uint8_t &p : replay.pixels)
    p = 0;
  build_palette(replay.palette);
}

bool replay_frame(Replay8 &replay) {
  // The show clears running while drawing its last frame, which is still shown.
  if (replay.show.running == 0)
    return false;
  Surface8 screen{replay.pixels, SCREEN_WIDTH};
  show_pass(replay.show, plain_platform(screen));
  return true;
}

} // namespace d8
