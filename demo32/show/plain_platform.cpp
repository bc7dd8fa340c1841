#include "demo32/show/plain_platform.h"

namespace d32 {

namespace {

uint32_t clock_reading(void *context) {
  return static_cast<PlainScreen *>(context)->now;
}

bool no_events(void *, Event &) {
  return false;
}

uint32_t *plain_pixels(void *context) {
  return static_cast<PlainScreen *>(context)->pixels;
}

void nothing(void *) {}

} // namespace

Platform32 plain_platform(PlainScreen &screen) {
  Platform32 p;
  p.context = &screen;
  p.ticks = clock_reading;
  p.next_event = no_events;
  p.save_screenshot = nothing;
  p.lock = plain_pixels;
  p.unlock = nothing;
  p.present = nothing;
  p.paced = false;
  return p;
}

} // namespace d32
