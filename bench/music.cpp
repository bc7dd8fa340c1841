// One second of each show's music, rendered from the middle of its song.
#include <cstdint>
#include <string>

#include "bench/bench.h"
#include "demo32/synth/synth.h"
#include "demo8/synth/music.h"

namespace bench {

namespace {

constexpr int32_t MIDDLE_POSITION = 14;
constexpr int32_t MIDDLE_ROW = 32;
constexpr int32_t CALLBACK_SAMPLES = 4096;

int16_t samples32[d32::SAMPLE_RATE];
uint8_t samples8[d8::MUSIC_RATE];

struct SongMoment32 {
  d32::WaveMemory memory;
  d32::Synth synth;
  int32_t tick = 0;
  int32_t row = 0;
  int32_t position = 0;
};

// The synthesizer and its clock at the middle of the song, reached by playing
// the song from the start in callback-sized pieces.
const SongMoment32 &song_moment32() {
  static const SongMoment32 *moment = [] {
    static SongMoment32 storage;
    d32::build_wave_memory(storage.memory);
    d32::ShowClock clock;
    int16_t buffer[CALLBACK_SAMPLES];
    while (d32::get(clock.song_end) == 0 && (d32::get(clock.song_position) < MIDDLE_POSITION ||
                                             d32::get(clock.song_row) < MIDDLE_ROW))
      d32::synth_render(storage.synth, storage.memory, clock, buffer, CALLBACK_SAMPLES);
    storage.tick = d32::get(clock.song_tick);
    storage.row = d32::get(clock.song_row);
    storage.position = d32::get(clock.song_position);
    return &storage;
  }();
  return *moment;
}

// Seconds of audio per second of CPU time: the multiple of real time.
void report_real_time(benchmark::State &state) {
  state.counters["x_realtime"] =
      benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

void synth32_second(benchmark::State &state) {
  const SongMoment32 &moment = song_moment32();
  d32::Synth synth;
  d32::ShowClock clock;
  for (auto _ : state) {
    // Back to the same moment, so the song never reaches its end mark.
    synth = moment.synth;
    d32::put(clock.song_tick, moment.tick);
    d32::put(clock.song_row, moment.row);
    d32::put(clock.song_position, moment.position);
    d32::synth_render(synth, moment.memory, clock, samples32, d32::SAMPLE_RATE);
    benchmark::DoNotOptimize(samples32);
    benchmark::ClobberMemory();
  }
  state.SetLabel("from position " + std::to_string(moment.position) + " row " +
                 std::to_string(moment.row));
  report_real_time(state);
}

void music8_second(benchmark::State &state) {
  d8::Music start;
  d8::Music music;
  // Twenty seconds into the song.
  for (int i = 0; i < 20; ++i)
    d8::music_render(start, samples8, d8::MUSIC_RATE);
  for (auto _ : state) {
    music = start;
    d8::music_render(music, samples8, d8::MUSIC_RATE);
    benchmark::DoNotOptimize(samples8);
    benchmark::ClobberMemory();
  }
  report_real_time(state);
}

} // namespace

void register_music() {
  benchmark::RegisterBenchmark("music/d32_synth_1s", synth32_second)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("music/d8_music_1s", music8_second)->Unit(benchmark::kMicrosecond);
}

} // namespace bench
