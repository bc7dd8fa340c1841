#include "web/browser/page.h"

#include <emscripten.h>

namespace {

web::PassTimes times;

// The page's side is JavaScript, which clang-format would take for C++.
// clang-format off
EM_JS(void, js_note, (const char *latin1), {
  let end = latin1;
  while (HEAPU8[end] !== 0)
    ++end;
  Module.page.note(new TextDecoder('latin1').decode(HEAPU8.subarray(latin1, end)));
});

EM_JS(void, js_over, (int escaped, const uint8_t *bmp, int size), {
  Module.page.over(escaped !== 0, HEAPU8.slice(bmp, bmp + size));
});

EM_JS(void, js_picture, (const uint8_t *rgb, int width, int height), {
  Module.page.picture(HEAPU8.slice(rgb, rgb + width * height * 3), width, height);
});
// clang-format on

} // namespace

namespace web {

void page_note(const char *latin1) {
  js_note(latin1);
}

void page_over(bool escaped, const std::vector<uint8_t> &screenshot) {
  js_over(escaped ? 1 : 0, screenshot.data(), static_cast<int>(screenshot.size()));
}

void page_picture(const uint8_t *rgb, int32_t width, int32_t height) {
  js_picture(rgb, width, height);
}

PassTimes &page_pass_times() {
  return times;
}

} // namespace web

extern "C" {

EMSCRIPTEN_KEEPALIVE double web_passes() {
  return static_cast<double>(times.passes);
}

EMSCRIPTEN_KEEPALIVE double web_median_ms() {
  return web::median_ms(times);
}

EMSCRIPTEN_KEEPALIVE double web_worst_ms() {
  return times.worst_ms;
}

} // extern "C"
