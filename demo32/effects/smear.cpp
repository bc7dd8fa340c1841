// Row smear: one-pole low-pass filters along the rows, unit gain on even rows
// and a darkening 3/4 gain on odd rows, with the running values carried from
// the end of each row into the next.
//
// Carrying the values makes the whole frame one serial chain, so a plain loop
// spends its time waiting on the previous pixel (packing the three channels
// into one word saves instructions but not time: the chain stays as long).
// Instead the frame is cut into bands of whole row pairs that are filtered
// side by side in the lanes of vectors: eight with AVX2 and in WebAssembly,
// four with SSE2 alone. Only the top band knows its starting values (0); the
// others start from a guess of 0 and are repaired afterwards. A pixel's output
// bytes are exactly the running values after it, so each lower band is re-run
// with the plain filter from its true start (the last pixel of the band above)
// until a recomputed pixel equals the guessed one: from there on both runs are
// the same. Were they never to meet, the whole band would be re-run, so the
// result is always exact. On the show's own pictures they meet within a few
// dozen pixels.
#include <cstring>

#include "common/simd_clones.h"
#include "demo32/effects/effects.h"

namespace d32 {

namespace {

// Eight bands fill a 256-bit vector, four a 128-bit one; with SSE2 alone GCC
// would take an eight-lane vector apart lane by lane, far slower than four.
template <int BANDS> struct Bands {
  static constexpr int PIXELS = SCREEN_PIXELS / BANDS; // of one band
  static_assert(SCREEN_HEIGHT % (2 * BANDS) == 0, "every band must start on an even row");
  // One pixel of each band, band k in lane k. The helpers that pass it by
  // value are always inlined, so the warning about its calling convention
  // without AVX concerns no real call.
  typedef uint32_t Pixels __attribute__((vector_size(4 * BANDS)));
};
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

// The frame before filtering: the repair reads the input the guess overwrote.
uint32_t input_copy[SCREEN_PIXELS];

// One step of the filter, for one pixel (uint32_t) or one per band
// (Bands::Pixels). All values are non-negative, so the divisions round down.
template <typename T> SIMD_INLINE T smear_even(T in, T &b, T &g, T &r) {
  b = ((in & 0xFFu) + 3 * b) / 4;
  g = (((in >> 8) & 0xFFu) + g) / 2;
  r = (3 * ((in >> 16) & 0xFFu) + 5 * r) / 8;
  return (in & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

template <typename T> SIMD_INLINE T smear_odd(T in, T &b, T &g, T &r) {
  b = ((in & 0xFFu) + 2 * b) / 4;
  g = (((in >> 8) & 0xFFu) + 2 * g) / 4;
  r = (((in >> 16) & 0xFFu) + 2 * r) / 4;
  return (in & 0xFF000000u) | (r << 16) | (g << 8) | b;
}

template <int BANDS> SIMD_INLINE typename Bands<BANDS>::Pixels load_bands(const uint32_t *p) {
  // Listed out: filling the lanes one by one in a loop goes through memory.
  constexpr int N = Bands<BANDS>::PIXELS;
  if constexpr (BANDS == 8)
    return typename Bands<8>::Pixels{p[0],     p[N],     p[2 * N], p[3 * N],
                                     p[4 * N], p[5 * N], p[6 * N], p[7 * N]};
  else
    return typename Bands<4>::Pixels{p[0], p[N], p[2 * N], p[3 * N]};
}

template <int BANDS> SIMD_INLINE void store_bands(uint32_t *p, typename Bands<BANDS>::Pixels v) {
  // Listed out too: clang keeps a loop over the lanes, and WebAssembly then
  // takes the vector apart through memory for every pixel.
  constexpr int N = Bands<BANDS>::PIXELS;
  p[0] = v[0];
  p[N] = v[1];
  p[2 * N] = v[2];
  p[3 * N] = v[3];
  if constexpr (BANDS == 8) {
    p[4 * N] = v[4];
    p[5 * N] = v[5];
    p[6 * N] = v[6];
    p[7 * N] = v[7];
  }
}

// Re-runs the band of `count` pixels from `first` on, from the running values
// its top-left pixel really starts from.
void repair_band(uint32_t *pixels, int first, int count) {
  const uint32_t above = pixels[first - 1];
  uint32_t b = above & 0xFFu, g = (above >> 8) & 0xFFu, r = (above >> 16) & 0xFFu;
  const uint32_t *in = input_copy + first;
  uint32_t *out = pixels + first;
  for (int i = 0; i < count; ++i) {
    const uint32_t v =
        i / SCREEN_WIDTH % 2 == 0 ? smear_even(in[i], b, g, r) : smear_odd(in[i], b, g, r);
    if (v == out[i])
      return; // caught up with the guess: the rest of the band is already right
    out[i] = v;
  }
}

template <int BANDS> SIMD_INLINE void smear_bands(uint32_t *pixels) {
  using Pixels = typename Bands<BANDS>::Pixels;
  constexpr int N = Bands<BANDS>::PIXELS;
  std::memcpy(input_copy, pixels, sizeof input_copy);
  Pixels b = {}, g = {}, r = {};
  for (int pair_start = 0; pair_start < N; pair_start += 2 * SCREEN_WIDTH) {
    for (int i = pair_start; i < pair_start + SCREEN_WIDTH; ++i)
      store_bands<BANDS>(pixels + i, smear_even(load_bands<BANDS>(input_copy + i), b, g, r));
    for (int i = pair_start + SCREEN_WIDTH; i < pair_start + 2 * SCREEN_WIDTH; ++i)
      store_bands<BANDS>(pixels + i, smear_odd(load_bands<BANDS>(input_copy + i), b, g, r));
  }
  // Top to bottom: each repair starts from the finished band above.
  for (int band = 1; band < BANDS; ++band)
    repair_band(pixels, band * N, N);
}

#if SIMD_HAS_AVX2_BUILD
SIMD_AVX2 void smear_rows_avx2(uint32_t *pixels) {
  smear_bands<8>(pixels);
}
#endif

} // namespace

void smear_rows(uint32_t *pixels) {
#if SIMD_HAS_AVX2_BUILD
  if (simd_avx2()) {
    smear_rows_avx2(pixels);
    return;
  }
#endif
#if defined(__wasm_simd128__)
  // WebAssembly's vectors are 128 bits; eight bands are two of them whose
  // filter chains run side by side.
  smear_bands<8>(pixels);
#else
  smear_bands<4>(pixels);
#endif
}

} // namespace d32
