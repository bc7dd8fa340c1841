#include "web/pass_times.h"

#include <algorithm>
#include <chrono>
#include <iterator>

namespace web {

double now_ms() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void clear_passes(PassTimes &times) {
  std::fill(std::begin(times.count_by_us), std::end(times.count_by_us), 0u);
  times.passes = 0;
  times.total_ms = 0;
  times.worst_ms = 0;
}

void record_pass(PassTimes &times, double ms) {
  const double us = ms * 1000.0;
  const int32_t bucket = us < 0                   ? 0
                         : us >= PASS_BUCKETS - 1 ? PASS_BUCKETS - 1
                                                  : static_cast<int32_t>(us);
  times.count_by_us[bucket] += 1;
  times.passes += 1;
  times.total_ms += ms;
  if (ms > times.worst_ms)
    times.worst_ms = ms;
}

double median_ms(const PassTimes &times) {
  int64_t seen = 0;
  const int64_t middle = (times.passes + 1) / 2;
  for (int32_t us = 0; us < PASS_BUCKETS && times.passes > 0; ++us) {
    seen += times.count_by_us[us];
    if (seen >= middle)
      return us / 1000.0;
  }
  return 0;
}

double mean_ms(const PassTimes &times) {
  return times.passes > 0 ? times.total_ms / static_cast<double>(times.passes) : 0;
}

} // namespace web
