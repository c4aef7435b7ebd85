#include "imaging/DecodeLimits.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "imaging/Picture.h"

namespace imaging {
namespace {

std::atomic<std::uint64_t> testLimit{0};

// Bytes the process may hold: physical memory, lowered by any address-space
// or data-segment limit.
std::uint64_t UsableMemory() {
    std::uint64_t bytes = UINT64_MAX;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0)
        bytes = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit rl{};
        if (getrlimit(resource, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
            bytes = std::min<std::uint64_t>(bytes, rl.rlim_cur);
    }
    return bytes;
}

}  // namespace

std::uint64_t MaxDecodePixels() {
    if (const std::uint64_t forced = testLimit.load(std::memory_order_relaxed))
        return forced;
    return std::min(kMaxPicturePixels, UsableMemory() / kWorkingSetBytesPerPixel);
}

bool DecodeSizeAllowed(std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0)
        return false;
    // Picture sizes are ints; the product test below cannot overflow after this.
    if (width > INT32_MAX || height > INT32_MAX)
        return false;
    return width * height <= MaxDecodePixels();
}

void SetMaxDecodePixelsForTesting(std::uint64_t pixels) {
    testLimit.store(pixels, std::memory_order_relaxed);
}

}  // namespace imaging
