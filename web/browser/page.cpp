#include "web/browser/page.h"

#include <emscripten.h>

namespace {

web::PassTimes times;

// Keys the page passed on and the show has not read yet. A show reads its
// events on every pass, so a few are ever waiting; more are dropped.
constexpr int32_t KEYS_KEPT = 32;
web::PageKey keys[KEYS_KEPT];
int32_t first_key = 0;
int32_t keys_waiting = 0;

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
// clang-format on

} // namespace

namespace web {

void page_note(const char *latin1) {
  js_note(latin1);
}

void page_over(bool escaped, const std::vector<uint8_t> &screenshot) {
  js_over(escaped ? 1 : 0, screenshot.data(), static_cast<int>(screenshot.size()));
}

bool page_key(PageKey &key) {
  if (keys_waiting == 0)
    return false;
  key = keys[first_key];
  first_key = (first_key + 1) % KEYS_KEPT;
  --keys_waiting;
  return true;
}

PassTimes &page_pass_times() {
  return times;
}

} // namespace web

extern "C" {

// A key of the show from the page (PageKey's values).
EMSCRIPTEN_KEEPALIVE void web_key(int32_t key) {
  if (keys_waiting == KEYS_KEPT || key < 1 || key > 3)
    return;
  keys[(first_key + keys_waiting) % KEYS_KEPT] = static_cast<web::PageKey>(key);
  ++keys_waiting;
}

// Keys not read by the show are forgotten when it starts again.
EMSCRIPTEN_KEEPALIVE void web_forget_keys() {
  keys_waiting = 0;
}

EMSCRIPTEN_KEEPALIVE double web_passes() {
  return static_cast<double>(times.passes);
}

EMSCRIPTEN_KEEPALIVE double web_mean_ms() {
  return web::mean_ms(times);
}

EMSCRIPTEN_KEEPALIVE double web_median_ms() {
  return web::median_ms(times);
}

EMSCRIPTEN_KEEPALIVE double web_worst_ms() {
  return times.worst_ms;
}

} // extern "C"
