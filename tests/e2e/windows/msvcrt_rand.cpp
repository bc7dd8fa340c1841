// Preloaded into the Linux capture tool when its frames are compared with the
// Windows build's: demo32 seeds its vertex motion from rand, and the Windows C
// runtime's rand is this generator, not glibc's.
extern "C" {

static unsigned int state = 1;

void srand(unsigned int seed) {
  state = seed;
}

int rand(void) {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}
}
