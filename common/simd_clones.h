#pragma once
// Loops that stream a whole frame through the vector unit run up to twice as
// fast with 256-bit vectors. A function marked SIMD_CLONES is compiled twice,
// for AVX2 and for the baseline instruction set, and the loader picks the one
// the processor can run (GNU indirect functions), so one binary runs
// everywhere. Where that mechanism is missing (Windows, the browser, other
// compilers) the mark is empty and only the baseline is built; defining
// SIMD_CLONES_OFF does the same on purpose, so that tests can run the baseline
// on any machine. Both versions compute exactly the same integers.
//
// Only "avx2" is named: it brings no fused multiply-add, and contraction stays
// off anyway, so floating-point results cannot change either.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__) &&         \
    !defined(SIMD_CLONES_OFF)
#define SIMD_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SIMD_CLONES
#endif

// Helpers of a cloned function must be inlined into each clone: called
// across the two instruction sets they would disagree on how vectors are
// passed. Forced inlining fails the build instead of making such a call.
#if defined(__GNUC__)
#define SIMD_INLINE inline __attribute__((always_inline))
#else
#define SIMD_INLINE inline
#endif
