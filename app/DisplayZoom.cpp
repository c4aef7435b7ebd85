#include "app/DisplayZoom.h"

#include <algorithm>
#include <cstdint>

#include "ui/ZoomRates.h"

std::uint32_t EffectiveRate(int item, std::uint32_t w, std::uint32_t h, std::uint32_t cw, std::uint32_t ch) {
    const std::uint32_t rate = RateForZoomItem(item);
    if (rate != 0) return rate;
    if (w > cw || h > ch) {
        const std::uint64_t rw = static_cast<std::uint64_t>(cw) * 1000 / std::max<std::uint32_t>(w, 1);
        const std::uint64_t rh = static_cast<std::uint64_t>(ch) * 1000 / std::max<std::uint32_t>(h, 1);
        return static_cast<std::uint32_t>(std::min(rw, rh));
    }
    return 1000;
}

DisplaySize ScaledSize(std::uint32_t w, std::uint32_t h, std::uint32_t rate) {
    // 64-bit products: 2^28 pixels a side times 8000 overflows 32 bits. The
    // window system counts in int, so a side stops at its largest value.
    auto side = [rate](std::uint32_t n) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{n} * rate / 1000, INT32_MAX));
    };
    return {side(w), side(h)};
}

std::uint32_t LeadingNumber(const std::string& text) {
    std::uint32_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        n = n * 10 + static_cast<std::uint32_t>(c - '0');
        if (n > 100000000) break;
    }
    return n;
}
