#include "demo8/show/plain_platform.h"

namespace d8 {

namespace {

uint32_t no_clock(void *) {
  return 0;
}

Surface8 plain_screen(void *context) {
  return *static_cast<Surface8 *>(context);
}

void nothing(void *) {}

void no_console(void *, const char *) {}

bool no_events(void *, Event &) {
  return false;
}

} // namespace

Platform8 plain_platform(Surface8 &screen) {
  Platform8 p;
  p.context = &screen;
  p.ticks = no_clock;
  p.lock = plain_screen;
  p.unlock = nothing;
  p.present = nothing;
  p.next_event = no_events;
  p.print_line = no_console;
  p.paced = false;
  return p;
}

} // namespace d8
