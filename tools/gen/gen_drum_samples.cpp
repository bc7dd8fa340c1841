// Writes demo32/synth/drum_samples.cpp.
// Usage: gen_drum_samples OUTPUT.cpp   (or no argument: to standard output)
#include <cstdio>
#include <string>

#include "tools/gen/drum_gen.h"

int main(int argc, char **argv) {
  const std::string text = d32::drum_gen::drum_samples_source();
  FILE *out = argc > 1 ? std::fopen(argv[1], "wb") : stdout;
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (out != stdout && std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return written ? 0 : 1;
}
