#include "engine/LineThickening.h"

#include <algorithm>
#include <cstring>

#include "engine/Dispatch.h"

namespace {

using u8 = std::uint8_t;

// Half-width of the disc's row dy: the largest dx with dx^2 + dy^2 <= r^2.
int HalfWidth(int radius, int dy) {
    int dx = 0;
    while ((dx + 1) * (dx + 1) + dy * dy <= radius * radius) ++dx;
    return dx;
}

// A row of the ring: the horizontal minima of one source row for every
// half-width 0..radius, each padded by radius bytes of paper on both sides
// so that the shifted reads need no bounds.
struct RingLayout {
    int interior;  // W - 2 pixels
    int radius;
    std::size_t padded;  // interior + 2 * radius
    std::size_t rowBytes;  // (radius + 1) padded minima

    u8* Minima(u8* ring, int slot, int halfWidth) const {
        return ring + static_cast<std::size_t>(slot) * rowBytes + static_cast<std::size_t>(halfWidth) * padded +
               static_cast<std::size_t>(radius);
    }
};

VELMOR_INLINE void MinOf3(const u8* __restrict in, u8* __restrict out, int n) {
    for (int x = 0; x < n; ++x) out[x] = std::min(std::min(in[x - 1], in[x]), in[x + 1]);
}

VELMOR_INLINE void MinOf2(const u8* __restrict in, u8* __restrict out, int n) {
    for (int x = 0; x < n; ++x) out[x] = std::min(in[x - 1], in[x + 1]);
}

VELMOR_INLINE void MinInto(const u8* __restrict in, u8* __restrict out, int n) {
    for (int x = 0; x < n; ++x) out[x] = std::min(out[x], in[x]);
}

// Fills a ring slot from one interior row of the source. Level k is built
// over k fewer pad bytes than level k - 1 on each side, so that every read
// of the recurrence sees a true (clipped) minimum, never a made-up pad.
VELMOR_INLINE void HorizontalMinima(const u8* source, const RingLayout& l, u8* ring, int slot) {
    const int n = l.interior, r = l.radius;
    u8* level0 = l.Minima(ring, slot, 0);
    std::memset(level0 - r, 255, static_cast<std::size_t>(r));
    std::memset(level0 + n, 255, static_cast<std::size_t>(r));
    std::memcpy(level0, source, static_cast<std::size_t>(n));
    // [x-k, x+k] is [x-k, x+k-2] with [x-k+2, x+k] for k >= 2.
    const int pad1 = r - 1;
    if (r >= 1) MinOf3(level0 - pad1, l.Minima(ring, slot, 1) - pad1, n + 2 * pad1);
    for (int k = 2; k <= r; ++k) {
        const int pad = r - k;
        MinOf2(l.Minima(ring, slot, k - 1) - pad, l.Minima(ring, slot, k) - pad, n + 2 * pad);
    }
}

}  // namespace

std::size_t LineThickeningScratchBytes(int width, int radius) {
    radius = std::clamp(radius, 0, kMaxThickenRadius);
    if (width < 3 || radius == 0) return 0;
    const std::size_t padded = static_cast<std::size_t>(width - 2) + 2 * static_cast<std::size_t>(radius);
    return static_cast<std::size_t>(2 * radius + 1) * static_cast<std::size_t>(radius + 1) * padded;
}

VELMOR_VECTOR_CLONES
void ThickenLines(std::uint8_t* grey, int width, int height, int radius, std::uint8_t* scratch) {
    radius = std::clamp(radius, 0, kMaxThickenRadius);
    if (radius == 0 || width < 3 || height < 3) return;
    const int r = radius, slots = 2 * r + 1;
    const int n = width - 2;
    RingLayout l{n, r, static_cast<std::size_t>(n) + 2 * static_cast<std::size_t>(r), 0};
    l.rowBytes = static_cast<std::size_t>(r + 1) * l.padded;
    int halfWidth[kMaxThickenRadius + 1];
    for (int dy = 0; dy <= r; ++dy) halfWidth[dy] = HalfWidth(r, dy);

    auto source = [&](int y) { return grey + static_cast<std::ptrdiff_t>(y) * width + 1; };
    const int first = 1, last = height - 2;  // interior rows
    // The ring holds the minima of source rows y - r .. y + r; row y is
    // overwritten only after its own minima are in the ring, and rows above
    // it are read from the ring alone.
    for (int y = first; y <= std::min(last, first + r - 1); ++y) HorizontalMinima(source(y), l, scratch, y % slots);
    for (int y = first; y <= last; ++y) {
        if (y + r <= last) HorizontalMinima(source(y + r), l, scratch, (y + r) % slots);
        u8* out = source(y);
        std::memcpy(out, l.Minima(scratch, y % slots, halfWidth[0]), static_cast<std::size_t>(n));
        for (int dy = 1; dy <= r; ++dy) {
            if (y - dy >= first) MinInto(l.Minima(scratch, (y - dy) % slots, halfWidth[dy]), out, n);
            if (y + dy <= last) MinInto(l.Minima(scratch, (y + dy) % slots, halfWidth[dy]), out, n);
        }
    }
}
