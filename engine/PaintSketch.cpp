#include <cstddef>

#include "engine/Dispatch.h"
#include "engine/ExactDivision.h"
#include "engine/SketchGeneration.h"

namespace {

using sketch_kernels::Div255;
using sketch_kernels::u16;
using sketch_kernels::u8;

VELMOR_INLINE u8 Tint(u16 darkness, u16 lineLack) {
    return static_cast<u8>(255 - Div255(static_cast<u16>(darkness * lineLack)));
}

// lack* = 255 - the line colour's byte: how far the full line is from white.
VELMOR_INLINE void PaintRow(const u8* __restrict grey, u8* __restrict dst, int width, u16 lackBlue,
                            u16 lackGreen, u16 lackRed) {
    for (int x = 1; x < width - 1; ++x) {
        const u16 darkness = static_cast<u16>(255 - grey[x]);
        dst[3 * x] = Tint(darkness, lackBlue);
        dst[3 * x + 1] = Tint(darkness, lackGreen);
        dst[3 * x + 2] = Tint(darkness, lackRed);
    }
}

VELMOR_INLINE void PaintPixel(u8* dst, u8 blue, u8 green, u8 red) {
    dst[0] = blue;
    dst[1] = green;
    dst[2] = red;
}

}  // namespace

VELMOR_VECTOR_CLONES
void PaintSketchRows(const std::uint8_t* grey, int width, int height, Colour lineColour, Colour frameColour,
                     std::uint8_t* dstFirstRow, std::ptrdiff_t dstStride, int rowBegin, int rowEnd) {
    if (width <= 0 || height <= 0) return;
    rowBegin = rowBegin < 0 ? 0 : rowBegin;
    rowEnd = rowEnd > height ? height : rowEnd;
    if (rowBegin >= rowEnd) return;
    const auto lackBlue = static_cast<u16>(255 - BlueOf(lineColour));
    const auto lackGreen = static_cast<u16>(255 - GreenOf(lineColour));
    const auto lackRed = static_cast<u16>(255 - RedOf(lineColour));
    const int interiorBegin = rowBegin < 1 ? 1 : rowBegin;
    const int interiorEnd = rowEnd > height - 1 ? height - 1 : rowEnd;
    for (int y = interiorBegin; y < interiorEnd; ++y)
        PaintRow(grey + static_cast<std::ptrdiff_t>(y) * width, dstFirstRow + y * dstStride, width, lackBlue,
                 lackGreen, lackRed);

    const u8 frameBlue = BlueOf(frameColour);
    const u8 frameGreen = GreenOf(frameColour);
    const u8 frameRed = RedOf(frameColour);
    for (int y = rowBegin; y < rowEnd; ++y) {
        u8* row = dstFirstRow + y * dstStride;
        if (y == 0 || y == height - 1) {
            for (int x = 0; x < width; ++x) PaintPixel(row + 3 * x, frameBlue, frameGreen, frameRed);
        } else {
            PaintPixel(row, frameBlue, frameGreen, frameRed);
            PaintPixel(row + 3 * (width - 1), frameBlue, frameGreen, frameRed);
        }
    }
}

void PaintSketch(const std::uint8_t* grey, int width, int height, Colour lineColour, Colour frameColour,
                 std::uint8_t* dstFirstRow, std::ptrdiff_t dstStride) {
    PaintSketchRows(grey, width, height, lineColour, frameColour, dstFirstRow, dstStride, 0, height);
}
