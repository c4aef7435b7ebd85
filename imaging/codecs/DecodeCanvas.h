// The picture a decoder writes into.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/picture/Picture.h"

namespace imaging::detail {

// The picture a decoder writes into. Allocate() checks the size against the
// caller's pixel limit, makes the picture and fills it white and opaque, so rows a
// damaged file never delivers read as blank paper. Rows are reached directly
// in the picture's own format until Finish() hands the picture over.
class Canvas {
public:
    explicit Canvas(std::uint64_t maxPixels) : maxPixels_(maxPixels) {}
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas();

    // OutOfMemory when the size is beyond the limits. For indexed formats a
    // white entry is added to the palette when there is room, for the fill.
    Status Allocate(std::uint64_t width, std::uint64_t height, PixelFormat format,
                    std::vector<Argb> palette = {});

    bool Allocated() const { return data_.scan0 != nullptr; }
    std::uint32_t Width() const { return data_.width; }
    std::uint32_t Height() const { return data_.height; }
    PixelFormat Format() const { return data_.pixelFormat; }
    std::int32_t Stride() const { return data_.stride; }
    std::uint8_t* Row(std::uint32_t y) const {
        return static_cast<std::uint8_t*>(data_.scan0) + static_cast<std::ptrdiff_t>(y) * data_.stride;
    }

    // Hands the picture over. An ARGB picture whose alpha turned out all
    // opaque comes back in `opaqueFormat` (24/32-bit RGB for 32-bit ARGB,
    // 48-bit RGB for 64-bit ARGB) instead; Undefined keeps it.
    Picture Finish(PixelFormat opaqueFormat = PixelFormatUndefined);

private:
    std::uint64_t maxPixels_;
    Picture picture_;
    BitmapData data_;
};

}  // namespace imaging::detail
