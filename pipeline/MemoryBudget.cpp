#include "pipeline/MemoryBudget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

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

}  // namespace

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

imaging::DecodeLimits WithInputBuffer(imaging::DecodeLimits share, std::uint64_t inputBytes) {
    const std::uint64_t taken = (inputBytes + kWorkingSetBytesPerPixel - 1) / kWorkingSetBytesPerPixel;
    return {share.maxPixels > taken ? share.maxPixels - taken : 0};
}

imaging::DecodeLimits PictureDecodeLimits(unsigned sharers) {
    const std::uint64_t perPicture = UsableMemory() / std::max(sharers, 1u);
    return {std::min(imaging::kMaxPicturePixels, perPicture / kWorkingSetBytesPerPixel)};
}
