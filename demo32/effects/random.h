#pragma once
// The show's own random generator: the sequence of glibc's srand/rand (an
// additive feedback generator over 31 words), so that a seed gives the same
// polygon motion on every build, whatever C library it links against.
#include <cstdint>

namespace d32 {

constexpr int RANDOM_WORDS = 31;

struct Random {
  uint32_t state[RANDOM_WORDS] = {};
  int front = 3; // index of the word that receives the sum
  int rear = 0;  // index of the word added to it
};

// Like srand(seed): seed 0 is taken as 1.
void seed_random(Random &random, uint32_t seed);

// Like rand(): 0..2^31-1.
int32_t next_random(Random &random);

} // namespace d32
