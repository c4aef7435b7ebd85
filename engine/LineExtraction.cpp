#include "engine/LineExtraction.h"

#include <cstddef>

#include "engine/Dispatch.h"
#include "engine/LineKernel.h"

namespace {

using sketch_kernels::u8;

// Strengths outside 0..kMaxLaneStrength (never passed by the sketch) take
// the formula in plain ints.
void ExtractLinesWide(const u8* in, u8* out, int width, int height, int strength, int threshold) {
    for (int y = 1; y < height - 1; ++y) {
        const u8* row = in + static_cast<std::ptrdiff_t>(y) * width;
        u8* dst = out + static_cast<std::ptrdiff_t>(y) * width;
        for (int x = 1; x < width - 1; ++x) {
            const int p = 255 - row[x];
            const int lap = 4 * p - (255 - row[x - width]) - (255 - row[x - 1]) - (255 - row[x + 1]) -
                            (255 - row[x + width]);
            int v = p * lap / 128;
            if ((v < 0 ? -v : v) < threshold) v = 0;
            long long m = static_cast<long long>(v) * strength / 3;
            m = m < 0 ? 0 : m > 255 ? 255 : m;
            dst[x] = static_cast<u8>(255 - m);
        }
    }
}

}  // namespace

VELMOR_VECTOR_CLONES
void ExtractLines(const std::uint8_t* in, std::uint8_t* out, int width, int height, int strength, int threshold) {
    if (width <= 2 || height <= 2) return;
    // A negative strength would turn the dark-beside-light responses into
    // lines, which the 16-bit lanes drop early; it takes the wide path too.
    if (strength < 0 || strength > sketch_kernels::kMaxLaneStrength) {
        ExtractLinesWide(in, out, width, height, strength, threshold);
        return;
    }
    const auto laneStrength = static_cast<sketch_kernels::u16>(strength);
    const auto removedBelow = sketch_kernels::LaneRemovedBelow(threshold);
    for (int y = 1; y < height - 1; ++y) {
        const u8* row = in + static_cast<std::ptrdiff_t>(y) * width;
        sketch_kernels::LineRow(row - width, row, row + width, out + static_cast<std::ptrdiff_t>(y) * width, width,
                                laneStrength, removedBelow);
    }
}
