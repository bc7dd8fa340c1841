#include "demo32/web/capture.h"

#include <algorithm>
#include <bit>

#include "web/capture_request.h"
#include "web/sha256.h"

namespace web32 {

// The hashes are of the bytes in memory: the raw files' little-endian words.
static_assert(std::endian::native == std::endian::little);

std::string capture_frames(d32::Replay32 &replay, const d32::SongChart &chart,
                           const CaptureRequest &request, web::PassTimes &times) {
  web::FrameHashes hashes = web::frame_hashes(request.frames);
  d32::start_replay(replay, request.seed, request.smear);
  for (int64_t i = 0; i <= hashes.last; ++i) {
    const double start = web::now_ms();
    if (!d32::replay_charted_frame(replay, chart, request.fps, i))
      return "error: at " + std::to_string(request.fps) +
             " frames a second the show ends with frame " + std::to_string(i - 1);
    web::record_pass(times, web::now_ms() - start);
    web::note_frame(hashes, i, replay.pixels, sizeof replay.pixels);
  }
  return web::capture_answer(hashes);
}

std::string audio_hash(Sound32 &sound, int64_t n) {
  // The soundtrack of demo-capture stops at the end mark, as the show does.
  d32::SongChart chart;
  d32::chart_song(chart);
  const int64_t end = chart.end_sample;
  if (n > end)
    return "error: the song ends at its end mark after " + std::to_string(end) +
           " samples; audio takes 0 to " + std::to_string(end) + ", not " + std::to_string(n);
  int16_t block[BLOCK_SAMPLES];
  web::Sha256 sha;
  web::sha256_start(sha);
  start_sound(sound);
  for (int64_t done = 0; done < n; done += BLOCK_SAMPLES) {
    render_sound(sound, block, BLOCK_SAMPLES);
    const int64_t take = std::min<int64_t>(BLOCK_SAMPLES, n - done);
    web::sha256_add(sha, block, static_cast<size_t>(take) * sizeof block[0]);
  }
  return web::sha256_hex(sha);
}

} // namespace web32
