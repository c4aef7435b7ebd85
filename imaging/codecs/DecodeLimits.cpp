#include "imaging/codecs/DecodeLimits.h"

#include <algorithm>

namespace imaging {

bool DecodeSizeAllowed(std::uint64_t width, std::uint64_t height, std::uint64_t maxPixels) {
    if (width == 0 || height == 0)
        return false;
    // Picture sizes are ints; the product test below cannot overflow after this.
    if (width > INT32_MAX || height > INT32_MAX)
        return false;
    return width * height <= std::min(maxPixels, kMaxPicturePixels);
}

}  // namespace imaging
