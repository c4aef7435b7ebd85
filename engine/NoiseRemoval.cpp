#include "engine/NoiseRemoval.h"

#include <cstddef>
#include <cstring>

#include "engine/Dispatch.h"
#include "engine/MedianKernel.h"

VELMOR_VECTOR_CLONES
void RemoveNoise(const std::uint8_t* in, std::uint8_t* out, int width, int height) {
    if (width <= 0 || height <= 0) return;
    const auto plane = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (width <= 2 || height <= 2) {
        std::memcpy(out, in, plane);
        return;
    }
    std::memcpy(out, in, static_cast<std::size_t>(width));
    for (int y = 1; y < height - 1; ++y) {
        const std::uint8_t* row = in + static_cast<std::ptrdiff_t>(y) * width;
        sketch_kernels::MedianRow(row - width, row, row + width, out + static_cast<std::ptrdiff_t>(y) * width,
                                  width);
    }
    std::memcpy(out + plane - width, in + plane - width, static_cast<std::size_t>(width));
}
