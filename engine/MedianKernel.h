// The 3 x 3 median of one row, by a min/max network. Each column of three
// samples is sorted once (low, mid, high) and shared by the three outputs
// that see it; the median of nine is then
//   med3(max of the three lows, med3 of the three mids, min of the three highs).
// Built from min and max only, so checking every 0/1 input proves it for all.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/Dispatch.h"
#include "engine/ExactDivision.h"

namespace sketch_kernels {

// By value: std::min and std::max return references, and choosing between
// two array elements by address turns into a gather the vectoriser refuses.
VELMOR_INLINE u8 Min(u8 a, u8 b) { return a < b ? a : b; }
VELMOR_INLINE u8 Max(u8 a, u8 b) { return a < b ? b : a; }

VELMOR_INLINE u8 Median3(u8 a, u8 b, u8 c) { return Max(Min(a, b), Min(Max(a, b), c)); }

// Output row: median of the neighbourhood in the interior, the centre row's
// own samples at x = 0 and x = width - 1. The column sorts live in small
// stack chunks so that any width works without a scratch buffer.
VELMOR_INLINE void MedianRow(const u8* __restrict above, const u8* __restrict row, const u8* __restrict below,
                             u8* __restrict out, int width) {
    out[0] = row[0];
    if (width < 2) return;
    out[width - 1] = row[width - 1];
    constexpr int kChunk = 1024;
    u8 low[kChunk + 2];
    u8 mid[kChunk + 2];
    u8 high[kChunk + 2];
    for (int start = 0; start < width - 2; start += kChunk) {
        const int count = std::min(kChunk, width - 2 - start);
        for (int i = 0; i < count + 2; ++i) {
            const u8 a = above[start + i];
            const u8 b = row[start + i];
            const u8 c = below[start + i];
            const u8 lo1 = Min(a, b);
            const u8 hi1 = Max(a, b);
            low[i] = Min(lo1, c);
            high[i] = Max(hi1, c);
            mid[i] = Max(lo1, Min(hi1, c));
        }
        u8* __restrict dst = out + start + 1;
        for (int i = 0; i < count; ++i) {
            const u8 lows = Max(Max(low[i], low[i + 1]), low[i + 2]);
            const u8 highs = Min(Min(high[i], high[i + 1]), high[i + 2]);
            const u8 mids = Median3(mid[i], mid[i + 1], mid[i + 2]);
            dst[i] = Median3(lows, mids, highs);
        }
    }
}

}  // namespace sketch_kernels
