#pragma once
// How long the page's frame passes take: the mean, the median and the worst,
// the median from a histogram of whole microseconds so that a show of any
// length allocates nothing while it runs. Without cross-origin isolation a
// browser's clock moves in steps of 0.1 ms, longer than most passes: each
// pass then reads 0 or one step, the median is 0, but the mean over many
// passes still comes out right.
#include <cstdint>

namespace web {

constexpr int32_t PASS_BUCKETS = 100000; // 0..99,999 us; longer passes share the last

struct PassTimes {
  uint32_t count_by_us[PASS_BUCKETS] = {};
  int64_t passes = 0;
  double total_ms = 0;
  double worst_ms = 0;
};

// The clock the passes are timed by, in milliseconds.
double now_ms();

void clear_passes(PassTimes &times);
void record_pass(PassTimes &times, double ms);
// The median pass to the microsecond (the lower one of an even count); 0 without passes.
double median_ms(const PassTimes &times);
// The mean pass; 0 without passes.
double mean_ms(const PassTimes &times);

} // namespace web
