#include "engine/SpeckRemoval.h"

#include <cstring>

#include "engine/Dispatch.h"

namespace {

using u8 = std::uint8_t;

struct Run {
    std::int32_t begin, end;  // inclusive interior columns
    std::int32_t id;
};

std::size_t MaxRunsPerRow(int interior) { return (static_cast<std::size_t>(interior) + 1) / 2; }

// mask[i] = 0xFF where the row's pixel i is a line pixel; the 8 bytes after
// the row stay 0, so word reads past its end see paper.
VELMOR_INLINE void LineMask(const u8* __restrict row, u8* __restrict mask, int n) {
    for (int x = 0; x < n; ++x) mask[x] = row[x] < kSpeckLevel ? 0xFF : 0;
}

VELMOR_INLINE std::uint64_t Word(const u8* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// Calls emit(begin, end) for each run of line pixels in mask[0, n), ends
// inclusive, left to right. Paper and runs are crossed a word at a time.
template <class Emit>
VELMOR_INLINE void ForEachRun(const u8* mask, int n, Emit&& emit) {
    int x = 0;
    for (;;) {
        for (;;) {
            const std::uint64_t w = Word(mask + x);
            if (w != 0) {
                x += __builtin_ctzll(w) >> 3;
                break;
            }
            x += 8;
            if (x >= n) return;
        }
        if (x >= n) return;
        const int begin = x;
        for (;;) {
            const std::uint64_t w = ~Word(mask + x);
            if (w != 0) {
                x += __builtin_ctzll(w) >> 3;
                break;
            }
            x += 8;
        }
        emit(begin, x - 1);
    }
}

// Union-find over runs: parent >= 0 links on, a root holds -(group size).
VELMOR_INLINE std::int32_t Find(std::int32_t* parent, std::int32_t i) {
    while (parent[i] >= 0) {
        const std::int32_t up = parent[i];
        if (parent[up] >= 0) parent[i] = parent[up];
        i = up;
    }
    return i;
}

VELMOR_INLINE void Join(std::int32_t* parent, std::int32_t a, std::int32_t b) {
    a = Find(parent, a);
    b = Find(parent, b);
    if (a == b) return;
    if (parent[a] > parent[b]) {  // a is the smaller group
        const std::int32_t t = a;
        a = b;
        b = t;
    }
    parent[a] += parent[b];
    parent[b] = a;
}

struct Scratch {
    u8* mask;
    Run* above;
    Run* current;
    std::int32_t* parent;
};

Scratch Carve(u8* scratch, int interior) {
    const std::size_t runs = MaxRunsPerRow(interior);
    const std::size_t maskBytes = (static_cast<std::size_t>(interior) + 8 + 15) & ~std::size_t{15};
    Scratch s;
    s.mask = scratch;
    s.above = reinterpret_cast<Run*>(scratch + maskBytes);
    s.current = s.above + runs;
    s.parent = reinterpret_cast<std::int32_t*>(s.current + runs);
    return s;
}

}  // namespace

std::size_t SpeckRemovalScratchBytes(int width, int height) {
    if (width < 3 || height < 3) return 0;
    const int interior = width - 2;
    const std::size_t runs = MaxRunsPerRow(interior);
    const std::size_t maskBytes = (static_cast<std::size_t>(interior) + 8 + 15) & ~std::size_t{15};
    return maskBytes + 2 * runs * sizeof(Run) + runs * static_cast<std::size_t>(height - 2) * sizeof(std::int32_t);
}

VELMOR_VECTOR_CLONES
void RemoveSpecks(std::uint8_t* grey, int width, int height, int minArea, std::uint8_t* scratch) {
    if (minArea <= 1 || width < 3 || height < 3) return;
    const int n = width - 2;
    Scratch s = Carve(scratch, n);
    std::memset(s.mask + n, 0, 8);
    auto row = [&](int y) { return grey + static_cast<std::ptrdiff_t>(y) * width + 1; };

    // Pass 1: groups and their sizes.
    std::int32_t next = 0;
    int aboveCount = 0;
    for (int y = 1; y <= height - 2; ++y) {
        LineMask(row(y), s.mask, n);
        int count = 0, a = 0;
        ForEachRun(s.mask, n, [&](int begin, int end) {
            const std::int32_t id = next++;
            s.parent[id] = -(end - begin + 1);
            s.current[count++] = Run{begin, end, id};
            // Runs of the row above touch this one when their columns come
            // within one pixel of each other (diagonals join).
            while (a < aboveCount && s.above[a].end + 1 < begin) ++a;
            int b = a;
            while (b < aboveCount && s.above[b].begin <= end + 1) Join(s.parent, id, s.above[b++].id);
            // The last run touched may reach the next run of this row too.
            if (b > a) a = b - 1;
        });
        Run* t = s.above;
        s.above = s.current;
        s.current = t;
        aboveCount = count;
    }

    // Pass 2: the same runs, in the same order; small groups become paper.
    next = 0;
    for (int y = 1; y <= height - 2; ++y) {
        u8* r = row(y);
        LineMask(r, s.mask, n);
        ForEachRun(s.mask, n, [&](int begin, int end) {
            const std::int32_t root = Find(s.parent, next++);
            if (-s.parent[root] < minArea) std::memset(r + begin, 255, static_cast<std::size_t>(end - begin + 1));
        });
    }
}
