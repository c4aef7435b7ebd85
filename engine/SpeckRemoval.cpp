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

// A row rounded up to whole 64-pixel words, in bytes.
std::size_t RowBytes(int interior) { return (static_cast<std::size_t>(interior) + 63) / 64 * 64; }

// bits[j] bit k set where the row's pixel 64 j + k is a line pixel; bits
// past the row's end stay clear.
VELMOR_INLINE void LineBits(const u8* __restrict row, u8* __restrict bytes, std::uint64_t* __restrict bits, int n) {
    for (int x = 0; x < n; ++x) bytes[x] = row[x] < kSpeckLevel ? 1 : 0;
    const int words = (n + 63) / 64;
    std::memset(bytes + n, 0, static_cast<std::size_t>(words * 64 - n));
    // Eight 0/1 bytes to eight bits: the multiply gathers them in the top byte.
    for (int j = 0; j < words; ++j) {
        std::uint64_t w = 0;
        for (int k = 0; k < 8; ++k) {
            std::uint64_t eight;
            std::memcpy(&eight, bytes + 64 * j + 8 * k, sizeof eight);
            w |= ((eight * 0x0102040810204080ull) >> 56) << (8 * k);
        }
        bits[j] = w;
    }
}

// Calls emit(begin, end) for each run of set bits in bits[0 .. n), ends
// inclusive, left to right. Only the edges of runs are visited: starts and
// ends alternate, so the one branch inside follows a fixed pattern.
template <class Emit>
VELMOR_INLINE void ForEachRun(const std::uint64_t* bits, int n, Emit&& emit) {
    const int words = (n + 63) / 64;
    std::uint64_t carry = 0;  // the previous word's last bit
    int begin = 0;
    for (int j = 0; j < words; ++j) {
        const std::uint64_t m = bits[j];
        std::uint64_t edges = m ^ ((m << 1) | carry);
        carry = m >> 63;
        while (edges) {
            const int at = 64 * j + __builtin_ctzll(edges);
            edges &= edges - 1;
            if ((m >> (at & 63)) & 1)
                begin = at;
            else
                emit(begin, at - 1);
        }
    }
    if (carry) emit(begin, 64 * words - 1);
}

// Union-find over runs: parent >= 0 links on, a root holds -(group size).
// The smaller id always becomes the root, so every link points to an
// earlier run, which lets one forward sweep settle each run's fate.
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
    if (a > b) {
        const std::int32_t t = a;
        a = b;
        b = t;
    }
    parent[a] += parent[b];
    parent[b] = a;
}

// Replaces every entry by 1 when its run's group has at least minArea
// pixels, else 0. An entry's link points to an earlier entry, which by then
// already holds its group's answer.
void SettleGroups(std::int32_t* parent, std::int32_t runs, int minArea) {
    for (std::int32_t i = 0; i < runs; ++i) {
        const std::int32_t v = parent[i];
        parent[i] = v < 0 ? (-v >= minArea) : parent[v];
    }
}

struct Scratch {
    u8* bytes;
    std::uint64_t* bits;
    Run* above;
    Run* current;
    std::int32_t* parent;
};

Scratch Carve(u8* scratch, int interior) {
    const std::size_t runs = MaxRunsPerRow(interior);
    const std::size_t rowBytes = RowBytes(interior);
    Scratch s;
    s.bytes = scratch;
    s.bits = reinterpret_cast<std::uint64_t*>(scratch + rowBytes);
    s.above = reinterpret_cast<Run*>(scratch + 2 * rowBytes);
    s.current = s.above + runs;
    s.parent = reinterpret_cast<std::int32_t*>(s.current + runs);
    return s;
}

}  // namespace

std::size_t SpeckRemovalScratchBytes(int width, int height) {
    if (width < 3 || height < 3) return 0;
    const int interior = width - 2;
    const std::size_t runs = MaxRunsPerRow(interior);
    return 2 * RowBytes(interior) + 2 * runs * sizeof(Run) + runs * static_cast<std::size_t>(height - 2) * sizeof(std::int32_t);
}

VELMOR_VECTOR_CLONES
void RemoveSpecks(std::uint8_t* grey, int width, int height, int minArea, std::uint8_t* scratch) {
    if (minArea <= 1 || width < 3 || height < 3) return;
    const int n = width - 2;
    Scratch s = Carve(scratch, n);
    auto row = [&](int y) { return grey + static_cast<std::ptrdiff_t>(y) * width + 1; };

    // Pass 1: groups and their sizes.
    std::int32_t next = 0;
    int aboveCount = 0;
    for (int y = 1; y <= height - 2; ++y) {
        LineBits(row(y), s.bytes, s.bits, n);
        int count = 0, a = 0;
        ForEachRun(s.bits, n, [&](int begin, int end) {
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
    SettleGroups(s.parent, next, minArea);
    next = 0;
    for (int y = 1; y <= height - 2; ++y) {
        u8* r = row(y);
        LineBits(r, s.bytes, s.bits, n);
        ForEachRun(s.bits, n, [&](int begin, int end) {
            if (s.parent[next++]) return;
            if (begin == end)
                r[begin] = 255;  // most specks: no call for one byte
            else
                std::memset(r + begin, 255, static_cast<std::size_t>(end - begin + 1));
        });
    }
}
