#include "demo8/web/capture.h"

#include <algorithm>

#include "demo8/show/plain_platform.h"
#include "demo8/synth/music.h"
#include "web/capture_request.h"
#include "web/sha256.h"

namespace web8 {

std::string capture_frames(d8::Show8 &show, uint8_t *pixels, const std::vector<int64_t> &frames,
                           web::PassTimes &times) {
  web::FrameHashes hashes = web::frame_hashes(frames);
  constexpr size_t BYTES = size_t{d8::SCREEN_WIDTH} * d8::SCREEN_HEIGHT;
  std::fill(pixels, pixels + BYTES, uint8_t{0});
  d8::Surface8 screen{pixels, d8::SCREEN_WIDTH};
  const d8::Platform8 platform = d8::plain_platform(screen);
  d8::start_show(show, 0);
  for (int64_t t = 0; t <= hashes.last; ++t) {
    if (show.running == 0)
      return "error: the show ends with frame " + std::to_string(t - 1);
    const double start = web::now_ms();
    d8::show_pass(show, platform);
    web::record_pass(times, web::now_ms() - start);
    web::note_frame(hashes, t, pixels, BYTES);
  }
  return web::capture_answer(hashes);
}

std::string audio_hash(int64_t n) {
  d8::Music music;
  uint8_t buffer[CALLBACK_SAMPLES];
  web::Sha256 sha;
  web::sha256_start(sha);
  for (int64_t done = 0; done < n; done += CALLBACK_SAMPLES) {
    d8::music_render(music, buffer, CALLBACK_SAMPLES);
    web::sha256_add(sha, buffer,
                    static_cast<size_t>(std::min<int64_t>(CALLBACK_SAMPLES, n - done)));
  }
  return web::sha256_hex(sha);
}

} // namespace web8
