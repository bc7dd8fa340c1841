#pragma once
// Loops that stream a whole frame through the vector unit run up to twice as
// fast with 256-bit vectors. A function marked SIMD_CLONES is compiled twice,
// for AVX2 and for the baseline instruction set, and the loader picks the one
// the processor can run (GNU indirect functions), so one binary runs
// everywhere. Where that mechanism is missing (Windows, the browser, other
// compilers) the mark is empty and only the baseline is built (in the browser
// that baseline has WebAssembly's 128-bit vectors); defining
// SIMD_CLONES_OFF does the same on purpose, so that tests can run the baseline
// on any machine. Both versions compute exactly the same integers.
//
// Only "avx2" is named: it brings no fused multiply-add, and contraction stays
// off anyway, so floating-point results cannot change either.
//
// A loop that should take a different shape for AVX2, not just wider
// instructions, is written twice instead: a function marked SIMD_AVX2 is
// compiled for AVX2 alone and may be called only when simd_avx2() is true.
// ThreadSanitizer's runtime is not ready yet when the loader runs the
// choosers, and a program built with it crashes at start: no clones there.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__) &&         \
    !defined(SIMD_CLONES_OFF) && !defined(__SANITIZE_THREAD__)
#define SIMD_CLONES __attribute__((target_clones("avx2", "default")))
#define SIMD_AVX2 __attribute__((target("avx2")))
#define SIMD_HAS_AVX2_BUILD 1
inline bool simd_avx2() {
  return __builtin_cpu_supports("avx2");
}
#else
#define SIMD_CLONES
#define SIMD_HAS_AVX2_BUILD 0
#endif

// Helpers of a cloned function must be inlined into each clone: called
// across the two instruction sets they would disagree on how vectors are
// passed. Forced inlining fails the build instead of making such a call.
#if defined(__GNUC__)
#define SIMD_INLINE inline __attribute__((always_inline))
#else
#define SIMD_INLINE inline
#endif
