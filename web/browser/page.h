#pragma once
// What both shows' browser platforms and their page (web/page.js) tell each
// other. The page runs the show: it calls the platform's exported functions
// for each animation frame and block of sound, and hands it the keys.
#include <cstdint>
#include <vector>

#include "web/pass_times.h"

namespace web {

// A console line of the show, Latin-1 as on the desktop: to the browser's
// console and under the picture.
void page_note(const char *latin1);

// The show is over. After Escape the page offers the screenshot (a BMP
// file) for download; an empty one is not offered.
void page_over(bool escaped, const std::vector<uint8_t> &screenshot);

// A key of the show, as the page passed it on (web_key).
enum class PageKey : int32_t {
  ESCAPE_DOWN = 1,
  ESCAPE_UP = 2,
  BACKSPACE_DOWN = 3,
};

// The next key since the last call; false when there is none.
bool page_key(PageKey &key);

// The frame passes of the running show, or the frames of a capture; the
// page reads the mean, the median and the worst.
PassTimes &page_pass_times();

// What a pass of the show tells the page, as web_frame returns it.
enum class PageFrame : int32_t {
  NOT_DUE = 0, // nothing drawn
  FRAME = 1,   // a frame is ready to be shown
  LAST = 2,    // the last frame is ready to be shown; the show is over
  ENDED = 3,   // the show is over, nothing drawn
};

} // namespace web
