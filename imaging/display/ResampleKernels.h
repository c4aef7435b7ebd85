// Row kernels of the display scaler (private to imaging/Resample.cpp and its
// tests).
//
// Between the passes a pixel is four int16 (B, G, R, A), premultiplied, in
// steps of 1/64: alpha a becomes a * 64, colour c becomes
// round(c * a * 64 / 255). The six extra bits carry translucent colours
// through the round trip exactly for every alpha from 4 up, and with the
// kernel's overshoot the values still stay far inside int16.
//
// Weights are int16 with kWeightBits fraction bits; each tap list sums to
// exactly 1 << kWeightBits, so a flat area stays flat bit for bit. Sums are
// int32 and are rounded back to the working scale after each pass.
#pragma once

#include <cstdint>

namespace imaging::resample {

inline constexpr int kWeightBits = 14;
inline constexpr int kWeightOne = 1 << kWeightBits;
inline constexpr int kOpaque = 255 * 64;  // alpha 255 in the working scale

// round(c * a * 64 / 255) for c, a in 0..255: the product, then shifts and
// adds that never leave 16 bits (the tests check all 65536 pairs against the
// division). Premultiply(255, a) is a * 64.
constexpr std::uint16_t Premultiply(std::uint16_t c, std::uint16_t a) {
    const std::uint32_t t = c * a;
    const std::uint32_t u = t + (t >> 8);
    return static_cast<std::uint16_t>((t + (u >> 8) + 2) >> 2);
}

// round(p * 255 / a) for 0 <= p <= a <= kOpaque (0 when a is 0), as
// floor((510 p + a) / 2a) by a float division. Numerator (< 2^23) and divisor
// are exact floats; a quotient that is not a whole number lies at least
// 1 / 2a >= 2^-15 below the next one, more than the rounding of a quotient
// below 256 (2^-17), so the floor is exact (the tests check every pair).
constexpr std::int32_t Unpremultiply(std::int32_t p, std::int32_t a) {
    const std::int32_t divisor = 2 * a > 1 ? 2 * a : 1;  // a = 0 has p = 0: 0 / 1
    return static_cast<std::int32_t>(static_cast<float>(510 * p + a) / static_cast<float>(divisor));
}

// Source pixels (B, G, R, A bytes) to the working scale.
void PremultiplyRow(const std::uint8_t* bgra, int pixels, std::int16_t* out);
// Opaque source pixels (B, G, R bytes) to the working scale.
void ExpandOpaqueRow(const std::uint8_t* bgr, int pixels, std::int16_t* out);

// Horizontal pass: output pixel x is the sum over its count[x] taps of
// weights[offset[x] + i] * in pixel first[x] + i, rounded back to the scale.
void FilterRow(const std::int16_t* in, int pixels, const int* first, const int* count, const int* offset,
               const std::int16_t* weights, std::int16_t* out);

// Vertical pass, two source rows per trip through the sums:
// acc = weight0 * in0 + weight1 * in1, or acc += the same.
void SetScaledRows(std::int32_t* acc, const std::int16_t* in0, int weight0, const std::int16_t* in1, int weight1,
                   int values);
void AddScaledRows(std::int32_t* acc, const std::int16_t* in0, int weight0, const std::int16_t* in1, int weight1,
                   int values);
// Rounds vertical sums back to the working scale.
void NarrowRow(const std::int32_t* acc, int values, std::int16_t* out);

// Working scale to B, G, R, A bytes: alpha and colours clamped (colour <= alpha),
// colours divided by alpha.
void UnpremultiplyRow(const std::int16_t* in, int pixels, std::uint8_t* bgra);

}  // namespace imaging::resample
