#include "imaging/DecodeLimits.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <string>

#include "imaging/Picture.h"

namespace imaging {
namespace {

std::atomic<std::uint64_t> testLimit{0};
std::atomic<unsigned> sharers{1};

// The memory limit of the process's control group (cgroup v2), if any.
std::uint64_t ControlGroupLimit() {
    std::ifstream cgroup("/proc/self/cgroup");
    std::string line, path;
    while (std::getline(cgroup, line))
        if (line.rfind("0::", 0) == 0) path = line.substr(3);
    std::ifstream max("/sys/fs/cgroup" + path + "/memory.max");
    std::string value;
    if (!(max >> value) || value == "max") return UINT64_MAX;
    try {
        return std::stoull(value);
    } catch (...) {
        return UINT64_MAX;
    }
}

// Bytes the process may hold: physical memory, lowered by any address-space
// or data-segment limit and by the control group's limit.
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
    return std::min(bytes, ControlGroupLimit());
}

}  // namespace

std::uint64_t MaxDecodePixels() {
    if (const std::uint64_t forced = testLimit.load(std::memory_order_relaxed))
        return forced;
    return std::min(kMaxPicturePixels,
                    UsableMemory() / kWorkingSetBytesPerPixel / sharers.load(std::memory_order_relaxed));
}

bool DecodeSizeAllowed(std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0)
        return false;
    // Picture sizes are ints; the product test below cannot overflow after this.
    if (width > INT32_MAX || height > INT32_MAX)
        return false;
    return width * height <= MaxDecodePixels();
}

void SetConcurrentPictures(unsigned count) { sharers.store(std::max(count, 1u), std::memory_order_relaxed); }

void SetMaxDecodePixelsForTesting(std::uint64_t pixels) {
    testLimit.store(pixels, std::memory_order_relaxed);
}

}  // namespace imaging
