#include "demo32/effects/random.h"

namespace d32 {

void seed_random(Random &random, uint32_t seed) {
  // The words are signed 32-bit numbers: a seed above 2^31 starts negative.
  int32_t word = static_cast<int32_t>(seed == 0 ? 1u : seed);
  random.state[0] = static_cast<uint32_t>(word);
  // word = 16807 * word mod (2^31 - 1), without overflowing 31 bits.
  for (int i = 1; i < RANDOM_WORDS; ++i) {
    const int64_t hi = word / 127773;
    const int64_t lo = word % 127773;
    word = static_cast<int32_t>(16807 * lo - 2836 * hi);
    if (word < 0)
      word += 2147483647;
    random.state[i] = static_cast<uint32_t>(word);
  }
  random.front = 3;
  random.rear = 0;
  // The first ten rounds of the state are thrown away.
  for (int i = 0; i < 10 * RANDOM_WORDS; ++i)
    next_random(random);
}

int32_t next_random(Random &random) {
  const uint32_t sum = random.state[random.front] += random.state[random.rear];
  random.front = (random.front + 1) % RANDOM_WORDS;
  random.rear = (random.rear + 1) % RANDOM_WORDS;
  // The lowest bit is the least random one.
  return static_cast<int32_t>(sum >> 1);
}

} // namespace d32
