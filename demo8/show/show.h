#pragma once
// One pass of demo8, the same for every platform: the desktop program
// (demo8/shell), the offline renderer (tools/capture) and any other. A
// platform fills in Platform8 and calls show_pass; the pacing, the lateness
// lines, the frame, the keys and the end after frame 1567 are decided here,
// without SDL.
#include <cstdint>

#include "demo8/effects/effects.h"
#include "demo8/effects/timeline.h"
#include "demo8/show/pacing.h"

namespace d8 {

struct Show8 {
  Tables tables;     // built once by prepare_show
  SceneState scene;  // ox, oy
  Pacing pacing;     // deadline and lag
  int32_t frame = 0; // the show clock: the frame drawn next, 0..1567
  int running = 1;   // cleared by frame 1567, Escape's release or the close request
};

// What happened since the last pass, as the platform saw it.
enum class Event {
  ESCAPE_UP, // the show ends when Escape is let go, not when it is pressed
  CLOSE_REQUESTED,
  OTHER,
};

// What a platform does for the show. Every function gets context back.
struct Platform8 {
  void *context = nullptr;
  // Milliseconds since some start.
  uint32_t (*ticks)(void *context) = nullptr;
  // The screen's pixels, locked for drawing, and the unlock afterwards.
  Surface8 (*lock)(void *context) = nullptr;
  void (*unlock)(void *context) = nullptr;
  // Shows the frame just drawn.
  void (*present)(void *context) = nullptr;
  // The next event since the last call; false when there is none.
  bool (*next_event)(void *context, Event &event) = nullptr;
  // A line of the show's console, Latin-1 without the newline: a frame that
  // started late says so.
  void (*print_line)(void *context, const char *latin1) = nullptr;
  // Real time: a frame waits for its 40 ms deadline and late ones are
  // reported. Off: every pass draws the next frame at once.
  bool paced = true;
};

enum class Pass {
  NOT_DUE,    // the deadline has not come: call again (the desktop spins)
  FRAME,      // a frame was drawn and presented; the show goes on
  LAST_FRAME, // a frame was drawn and presented; the show is over
};

// Builds the effects' tables.
void prepare_show(Show8 &show);

// Right before the first pass, with the music started: frame 0 is due 60 ms
// after now.
void start_show(Show8 &show, uint32_t now);

// One pass: the wait for the deadline (a lateness line if the frame starts
// late), the frame, the present, the events, the next frame number.
Pass show_pass(Show8 &show, const Platform8 &platform);

} // namespace d8
