#include "demo8/web/capture.h"

#include <algorithm>

#include "demo8/show/plain_platform.h"
#include "web/capture_request.h"
#include "web/sha256.h"

namespace web8 {

std::string capture_frames(d8::Replay8 &replay, const std::vector<int64_t> &frames,
                           web::PassTimes &times) {
  web::FrameHashes hashes = web::frame_hashes(frames);
  d8::start_replay(replay);
  for (int64_t t = 0; t <= hashes.last; ++t) {
    const double start = web::now_ms();
    if (!d8::replay_frame(replay))
      return "error: the show ends with frame " + std::to_string(t - 1);
    web::record_pass(times, web::now_ms() - start);
    web::note_frame(hashes, t, replay.pixels, sizeof replay.pixels);
  }
  return web::capture_answer(hashes);
}

void skip_to_frame(d8::Show8 &show, d8::Music &music, uint8_t *pixels, int32_t frame) {
  d8::Surface8 screen{pixels, d8::SCREEN_WIDTH};
  d8::Platform8 platform = d8::plain_platform(screen);
  while (show.frame < frame)
    d8::show_pass(show, platform);
  uint8_t sink[BLOCK_SAMPLES];
  for (int64_t left = int64_t{frame} * d8::SAMPLES_PER_FRAME; left > 0; left -= BLOCK_SAMPLES)
    d8::music_render(music, sink, static_cast<int32_t>(std::min<int64_t>(left, BLOCK_SAMPLES)));
}

std::string audio_hash(int64_t n) {
  if (n > SHOW_SAMPLES)
    return "error: the show's music ends after " + std::to_string(SHOW_SAMPLES) +
           " samples; audio takes 0 to " + std::to_string(SHOW_SAMPLES) + ", not " +
           std::to_string(n);
  d8::Music music;
  uint8_t buffer[BLOCK_SAMPLES];
  web::Sha256 sha;
  web::sha256_start(sha);
  for (int64_t done = 0; done < n; done += BLOCK_SAMPLES) {
    d8::music_render(music, buffer, BLOCK_SAMPLES);
    web::sha256_add(sha, buffer, static_cast<size_t>(std::min<int64_t>(BLOCK_SAMPLES, n - done)));
  }
  return web::sha256_hex(sha);
}

} // namespace web8
