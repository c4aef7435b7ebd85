// The line response of one pixel and of one row, in 16-bit lanes. Shared by
// ExtractLines and the fused pass of MakeGreyPlane, which runs it on the
// three colour planes at once and merges without storing the line planes.
#pragma once

#include <cstdint>

#include "engine/Dispatch.h"
#include "engine/ExactDivision.h"

namespace sketch_kernels {

// Strengths up to this keep v * strength (v <= 2032) below 32768, the
// range of Div3.
inline constexpr int kMaxLaneStrength = 16;

// The largest v that a threshold removes, as a signed lane value (-1: none).
// v never exceeds 2032 and is never negative where it matters.
constexpr std::int16_t LaneRemovedBelow(int threshold) {
    return static_cast<std::int16_t>(threshold <= 0 ? -1 : threshold > 2033 ? 2032 : threshold - 1);
}

// 255 - clamp((v * strength) / 3) for strength 0..kMaxLaneStrength.
// A negative Laplacian gives v <= 0 and so 255 whatever the threshold or
// strength; it is clamped to 0 here, which gives 255 as well.
VELMOR_INLINE u16 LineSample(u16 p, u16 n, u16 w, u16 e, u16 s, u16 strength, std::int16_t removedBelow) {
    const u16 fourP = static_cast<u16>(p << 2);
    const u16 around = static_cast<u16>(n + w + e + s);
    const u16 lap = static_cast<u16>((around > fourP ? around : fourP) - fourP);
    u16 v = Div128Product(static_cast<u16>(255 - p), lap);
    // v <= 2032: the signed compare of AVX2 serves.
    v = static_cast<std::int16_t>(v) > removedBelow ? v : u16{0};
    u16 m = Div3(static_cast<u16>(v * strength));
    m = m < 255 ? m : u16{255};
    return static_cast<u16>(255 - m);
}

// Interior of one output row (x = 1 .. width - 2) from three input rows.
VELMOR_INLINE void LineRow(const u8* __restrict above, const u8* __restrict row, const u8* __restrict below,
                           u8* __restrict out, int width, u16 strength, std::int16_t removedBelow) {
    for (int x = 1; x < width - 1; ++x)
        out[x] = static_cast<u8>(
            LineSample(row[x], above[x], row[x - 1], row[x + 1], below[x], strength, removedBelow));
}

// Three input rows of one colour plane.
struct RowTriple {
    const u8* above;
    const u8* row;
    const u8* below;
};

// Interior of one grey row straight from the three planes' rows: lines of
// each plane and their merge, without storing any line plane.
VELMOR_INLINE void GreyRow(RowTriple red, RowTriple green, RowTriple blue, u8* __restrict grey, int width,
                           u16 strength, std::int16_t removedBelow) {
    const u8* __restrict ra = red.above;
    const u8* __restrict rr = red.row;
    const u8* __restrict rb = red.below;
    const u8* __restrict ga = green.above;
    const u8* __restrict gr = green.row;
    const u8* __restrict gb = green.below;
    const u8* __restrict ba = blue.above;
    const u8* __restrict br = blue.row;
    const u8* __restrict bb = blue.below;
    for (int x = 1; x < width - 1; ++x) {
        const u16 r = LineSample(rr[x], ra[x], rr[x - 1], rr[x + 1], rb[x], strength, removedBelow);
        const u16 g = LineSample(gr[x], ga[x], gr[x - 1], gr[x + 1], gb[x], strength, removedBelow);
        const u16 b = LineSample(br[x], ba[x], br[x - 1], br[x + 1], bb[x], strength, removedBelow);
        grey[x] = static_cast<u8>(MergeGrey(r, g, b));
    }
}

}  // namespace sketch_kernels
