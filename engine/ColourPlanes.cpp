#include <cstddef>

#include "engine/Dispatch.h"
#include "engine/ExactDivision.h"
#include "engine/SketchGeneration.h"

namespace {

using sketch_kernels::Div255;
using sketch_kernels::u16;
using sketch_kernels::u8;

VELMOR_INLINE u8 OntoWhite(u8 channel, u16 opacity) {
    return static_cast<u8>(255 - Div255(static_cast<u16>((255 - channel) * opacity)));
}

VELMOR_INLINE void CompositeRow(const u8* __restrict px, u8* __restrict red, u8* __restrict green,
                                u8* __restrict blue, int width) {
    for (int x = 0; x < width; ++x) {
        const u16 opacity = px[4 * x + 3];
        blue[x] = OntoWhite(px[4 * x], opacity);
        green[x] = OntoWhite(px[4 * x + 1], opacity);
        red[x] = OntoWhite(px[4 * x + 2], opacity);
    }
}

VELMOR_INLINE void SplitRow(const u8* __restrict px, u8* __restrict red, u8* __restrict green, u8* __restrict blue,
                            int width) {
    for (int x = 0; x < width; ++x) {
        blue[x] = px[3 * x];
        green[x] = px[3 * x + 1];
        red[x] = px[3 * x + 2];
    }
}

}  // namespace

VELMOR_VECTOR_CLONES
void BuildColourPlanes(const std::uint8_t* srcFirstRow, std::ptrdiff_t srcStride, int width, int height,
                       std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue) {
    for (int y = 0; y < height; ++y) {
        const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * width;
        CompositeRow(srcFirstRow + y * srcStride, red + at, green + at, blue + at, width);
    }
}

VELMOR_VECTOR_CLONES
void SplitColourPlanes(const std::uint8_t* srcFirstRow, std::ptrdiff_t srcStride, int width, int height,
                       std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue) {
    for (int y = 0; y < height; ++y) {
        const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * width;
        SplitRow(srcFirstRow + y * srcStride, red + at, green + at, blue + at, width);
    }
}
