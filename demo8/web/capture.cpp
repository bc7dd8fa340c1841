#include "demo8/web/capture.h"

#include <algorithm>

#include "demo8/synth/music.h"
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
