#pragma once
// What both shows' browser platforms tell their page (web/page.js).
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

// Shows the picture of a capture, bytes red, green, blue.
void page_picture(const uint8_t *rgb, int32_t width, int32_t height);

// The frame passes of the running show, or the frames of a capture; the
// page reads the median and the worst.
PassTimes &page_pass_times();

} // namespace web
