#include "imaging/display/ResampleKernels.h"

#include <cstring>

// The build targets any x86-64; these loops are compiled for three vector
// widths and the loader picks one for the CPU it runs on.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define RESAMPLE_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define RESAMPLE_CLONES
#endif
// What a cloned loop calls must be inlined into it, or it stays baseline code.
#if defined(__GNUC__)
#define RESAMPLE_INLINE inline __attribute__((always_inline))
#else
#define RESAMPLE_INLINE inline
#endif

namespace imaging::resample {

namespace {

constexpr std::int32_t kHalf = 1 << (kWeightBits - 1);

// By value, so the vectoriser sees a plain select (std::clamp returns a reference).
RESAMPLE_INLINE std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// Sums keep a little headroom over the working scale; a pathological tap
// list must still not wrap around in int16.
RESAMPLE_INLINE std::int16_t Narrow(std::int32_t sum) {
    return static_cast<std::int16_t>(Clamp((sum + kHalf) >> kWeightBits, -32768, 32767));
}

// Premultiply on the two 16-bit halves of a lane at once: each c * a is
// below 2^16, so one multiply forms both products without a carry between
// them, and the masks keep bits shifted out of the high half from reaching
// the low one. The tests compare it with Premultiply for every pair.
RESAMPLE_INLINE std::uint32_t PremultiplyPair(std::uint32_t pair, std::uint32_t a) {
    constexpr std::uint32_t kLowBytes = 0x00FF00FF;
    const std::uint32_t t = pair * a;
    const std::uint32_t u = t + ((t >> 8) & kLowBytes);
    return ((t + ((u >> 8) & kLowBytes) + 0x00020002) >> 2) & 0x3FFF3FFF;
}

}  // namespace

RESAMPLE_CLONES
void PremultiplyRow(const std::uint8_t* __restrict bgra, int pixels, std::int16_t* __restrict out) {
    // Photographs are opaque; Premultiply(c, 255) is c * 64, so such a row
    // needs no multiplies and gives the same values.
    std::uint8_t opaque = 255;
    for (int x = 0; x < pixels; ++x) opaque &= bgra[4 * x + 3];
    if (opaque == 255) {
        for (int i = 0; i < 4 * pixels; ++i) out[i] = static_cast<std::int16_t>(bgra[i] << 6);
        return;
    }
    // A pixel a lane, two channels to 32 bits: whole pixels in and out, so
    // the vectoriser needs no shuffles to pair each colour with its alpha.
    for (int x = 0; x < pixels; ++x) {
        std::uint32_t px;
        std::memcpy(&px, bgra + 4 * x, 4);
        const std::uint32_t a = px >> 24;
        const std::uint32_t blueGreen = PremultiplyPair((px & 0xFF) | (px & 0xFF00) << 8, a);
        const std::uint32_t redAlpha = PremultiplyPair(((px >> 16) & 0xFF) | 0xFF0000, a);
        std::memcpy(out + 4 * x, &blueGreen, 4);  // little-endian: low half first
        std::memcpy(out + 4 * x + 2, &redAlpha, 4);
    }
}

RESAMPLE_CLONES
void ExpandOpaqueRow(const std::uint8_t* __restrict bgr, int pixels, std::int16_t* __restrict out) {
    for (int x = 0; x < pixels; ++x) {
        out[4 * x] = static_cast<std::int16_t>(bgr[3 * x] << 6);
        out[4 * x + 1] = static_cast<std::int16_t>(bgr[3 * x + 1] << 6);
        out[4 * x + 2] = static_cast<std::int16_t>(bgr[3 * x + 2] << 6);
        out[4 * x + 3] = static_cast<std::int16_t>(kOpaque);
    }
}

// Adds the taps of one output pixel. A fixed count lets the compiler unroll
// the four taps that nearly every pixel has when growing.
template <int FixedCount>
RESAMPLE_INLINE void AddTaps(const std::int16_t* __restrict px, const std::int16_t* __restrict w, int count,
                             std::int32_t (&sums)[4]) {
    const int taps = FixedCount ? FixedCount : count;
    for (int i = 0; i < taps; ++i)
        for (int c = 0; c < 4; ++c) sums[c] += w[i] * px[4 * i + c];
}

RESAMPLE_CLONES
void FilterRow(const std::int16_t* __restrict in, int pixels, const int* __restrict first,
               const int* __restrict count, const int* __restrict offset, const std::int16_t* __restrict weights,
               std::int16_t* __restrict out) {
    for (int x = 0; x < pixels; ++x) {
        const std::int16_t* px = in + 4 * static_cast<std::ptrdiff_t>(first[x]);
        const std::int16_t* w = weights + offset[x];
        std::int32_t sums[4] = {0, 0, 0, 0};
        if (count[x] == 4)
            AddTaps<4>(px, w, 4, sums);
        else
            AddTaps<0>(px, w, count[x], sums);
        for (int c = 0; c < 4; ++c) out[4 * x + c] = Narrow(sums[c]);
    }
}

RESAMPLE_CLONES
void SetScaledRows(std::int32_t* __restrict acc, const std::int16_t* __restrict in0, int weight0,
                   const std::int16_t* __restrict in1, int weight1, int values) {
    for (int i = 0; i < values; ++i) acc[i] = weight0 * in0[i] + weight1 * in1[i];
}

RESAMPLE_CLONES
void AddScaledRows(std::int32_t* __restrict acc, const std::int16_t* __restrict in0, int weight0,
                   const std::int16_t* __restrict in1, int weight1, int values) {
    for (int i = 0; i < values; ++i) acc[i] += weight0 * in0[i] + weight1 * in1[i];
}

RESAMPLE_CLONES
void NarrowRow(const std::int32_t* __restrict acc, int values, std::int16_t* __restrict out) {
    for (int i = 0; i < values; ++i) out[i] = Narrow(acc[i]);
}

RESAMPLE_CLONES
void UnpremultiplyRow(const std::int16_t* __restrict in, int pixels, std::uint8_t* __restrict bgra) {
    // Unpremultiply(p, kOpaque) is (p + 32) >> 6, so an opaque row needs no division.
    std::int32_t lowestAlpha = kOpaque;
    for (int x = 0; x < pixels; ++x) lowestAlpha = lowestAlpha < in[4 * x + 3] ? lowestAlpha : in[4 * x + 3];
    if (lowestAlpha >= kOpaque) {
        for (int i = 0; i < 4 * pixels; ++i)
            bgra[i] = static_cast<std::uint8_t>((Clamp(in[i], 0, kOpaque) + 32) >> 6);
        return;
    }
    for (int x = 0; x < pixels; ++x) {
        // Below 32 the alpha byte rounds to 0: such a pixel is written as all zeros.
        const std::int32_t alpha = Clamp(in[4 * x + 3], 0, kOpaque);
        const std::int32_t a = alpha & -static_cast<std::int32_t>(alpha >= 32);  // a mask, not a branch
        std::int32_t colour[3];
        for (int c = 0; c < 3; ++c) colour[c] = Unpremultiply(Clamp(in[4 * x + c], 0, a), a);
        bgra[4 * x] = static_cast<std::uint8_t>(colour[0]);
        bgra[4 * x + 1] = static_cast<std::uint8_t>(colour[1]);
        bgra[4 * x + 2] = static_cast<std::uint8_t>(colour[2]);
        bgra[4 * x + 3] = static_cast<std::uint8_t>((a + 32) >> 6);
    }
}

}  // namespace imaging::resample
