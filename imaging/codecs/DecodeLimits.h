// How large a picture the decoders may allocate. A header that declares more
// pixels than the caller's limit is refused with OutOfMemory before any pixel
// is allocated, so a few bytes cannot make the program ask for gigabytes.
// The limit comes from the caller, who knows the working set a picture
// will need above this layer.
#pragma once

#include <cstdint>

#include "imaging/picture/Picture.h"

namespace imaging {

struct DecodeLimits {
    std::uint64_t maxPixels = kMaxPicturePixels;  // never more than kMaxPicturePixels
};

// True when a width x height picture has at most `maxPixels` (capped at
// kMaxPicturePixels) pixels and both sides fit a picture's int sizes.
bool DecodeSizeAllowed(std::uint64_t width, std::uint64_t height, std::uint64_t maxPixels);

}  // namespace imaging
