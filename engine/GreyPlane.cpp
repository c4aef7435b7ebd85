#include <cstddef>
#include <cstring>

#include "engine/Dispatch.h"
#include "engine/ExactDivision.h"
#include "engine/LineExtraction.h"
#include "engine/LineKernel.h"
#include "engine/MedianKernel.h"
#include "engine/NoiseRemoval.h"
#include "engine/SketchGeneration.h"

namespace {

using sketch_kernels::RowTriple;
using sketch_kernels::u16;
using sketch_kernels::u8;

// The median ring holds three rows of each of the three planes.
constexpr int kRingRows = 9;

VELMOR_INLINE std::ptrdiff_t RowAt(int y, int width) { return static_cast<std::ptrdiff_t>(y) * width; }

// The stages one after the other through the work buffers: for pictures too
// low for the median ring and for strengths the sketch never passes.
void MakeGreyPlaneStaged(const u8* const planes[3], int width, int height, bool noiseRemoval, int strength,
                         int threshold, u8* filterInput, u8* const lines[3], u8* grey) {
    const auto size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (int c = 0; c < 3; ++c) {
        if (noiseRemoval)
            RemoveNoise(planes[c], filterInput, width, height);
        else
            std::memcpy(filterInput, planes[c], size);
        ExtractLines(filterInput, lines[c], width, height, strength, threshold);
    }
    for (int y = 1; y < height - 1; ++y) {
        const std::ptrdiff_t at = RowAt(y, width);
        for (int x = 1; x < width - 1; ++x)
            grey[at + x] = static_cast<u8>(
                sketch_kernels::MergeGrey(lines[0][at + x], lines[1][at + x], lines[2][at + x]));
    }
}

VELMOR_INLINE RowTriple PlaneRows(const u8* plane, int y, int width) {
    const u8* row = plane + RowAt(y, width);
    return {row - width, row, row + width};
}

// Without noise removal the filter input would be an exact copy of each
// plane, so the lines are taken from the planes themselves.
VELMOR_INLINE void GreyFromPlanes(const u8* const planes[3], int width, int rowBegin, int rowEnd, u16 strength,
                                  std::int16_t removedBelow, u8* grey) {
    for (int y = rowBegin; y < rowEnd; ++y)
        sketch_kernels::GreyRow(PlaneRows(planes[0], y, width), PlaneRows(planes[1], y, width),
                                PlaneRows(planes[2], y, width), grey + RowAt(y, width), width, strength,
                                removedBelow);
}

// Rows this far below the newest one are fetched ahead: a plane row is about
// one page, and the hardware prefetchers stop at page boundaries, so each new
// row would otherwise stall the short min/max loops on memory. (The fused
// line loop without medians has enough work per byte to hide this itself.)
constexpr int kPrefetchRows = 3;

VELMOR_INLINE void PrefetchRow(const u8* plane, int y, int width, int height) {
    if (y >= height) return;
    const u8* row = plane + RowAt(y, width);
    for (int x = 0; x < width; x += 64) __builtin_prefetch(row + x);
    __builtin_prefetch(row + width - 1);
}

VELMOR_INLINE void MedianRowOf(const u8* plane, int y, int width, int height, u8* out) {
    const u8* row = plane + RowAt(y, width);
    if (y == 0 || y == height - 1)
        std::memcpy(out, row, static_cast<std::size_t>(width));
    else
        sketch_kernels::MedianRow(row - width, row, row + width, out, width);
}

// With noise removal: the median rows y - 1, y, y + 1 of each plane are kept
// in a ring of nine rows (plane c in rows 3c .. 3c + 2), and each grey row is
// made as soon as its median rows exist.
VELMOR_INLINE void GreyFromMedians(const u8* const planes[3], int width, int height, int rowBegin, int rowEnd,
                                   u16 strength, std::int16_t removedBelow, u8* ring, u8* grey) {
    u8* slots[3][3];
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k) slots[c][k] = ring + RowAt(3 * c + k, width);
    for (int c = 0; c < 3; ++c) {
        MedianRowOf(planes[c], rowBegin - 1, width, height, slots[c][0]);
        MedianRowOf(planes[c], rowBegin, width, height, slots[c][1]);
    }
    int above = 0, centre = 1, below = 2;
    for (int y = rowBegin; y < rowEnd; ++y) {
        for (int c = 0; c < 3; ++c) {
            PrefetchRow(planes[c], y + 2 + kPrefetchRows, width, height);
            MedianRowOf(planes[c], y + 1, width, height, slots[c][below]);
        }
        sketch_kernels::GreyRow(RowTriple{slots[0][above], slots[0][centre], slots[0][below]},
                                RowTriple{slots[1][above], slots[1][centre], slots[1][below]},
                                RowTriple{slots[2][above], slots[2][centre], slots[2][below]},
                                grey + RowAt(y, width), width, strength, removedBelow);
        const int freed = above;
        above = centre;
        centre = below;
        below = freed;
    }
}

// The fused passes over rows [rowBegin, rowEnd) of the interior.
VELMOR_INLINE void FusedGreyRows(const u8* const planes[3], int width, int height, bool noiseRemoval, int strength,
                                 int removal, u8* ring, int rowBegin, int rowEnd, u8* grey) {
    const auto removedBelow = sketch_kernels::LaneRemovedBelow(removal * 16);
    const auto s = static_cast<u16>(strength);
    if (noiseRemoval)
        GreyFromMedians(planes, width, height, rowBegin, rowEnd, s, removedBelow, ring, grey);
    else
        GreyFromPlanes(planes, width, rowBegin, rowEnd, s, removedBelow, grey);
}

bool IsLaneStrength(int strength) { return strength >= 0 && strength <= sketch_kernels::kMaxLaneStrength; }

}  // namespace

VELMOR_VECTOR_CLONES
void MakeGreyPlane(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, int width,
                   int height, bool noiseRemoval, int strength, int removal, std::uint8_t* filterInput,
                   std::uint8_t* redLines, std::uint8_t* greenLines, std::uint8_t* blueLines, std::uint8_t* grey) {
    if (width <= 2 || height <= 2) return;
    const u8* const planes[3] = {red, green, blue};
    // The median ring lives at the start of the filter input.
    if (!IsLaneStrength(strength) || (noiseRemoval && height < kRingRows)) {
        u8* const lines[3] = {redLines, greenLines, blueLines};
        MakeGreyPlaneStaged(planes, width, height, noiseRemoval, strength, removal * 16, filterInput, lines, grey);
        return;
    }
    FusedGreyRows(planes, width, height, noiseRemoval, strength, removal, filterInput, 1, height - 1, grey);
}

bool GreyRowsSupported(int strength) { return IsLaneStrength(strength); }

std::size_t GreyRowsScratchBytes(int width) {
    return width > 0 ? static_cast<std::size_t>(kRingRows) * static_cast<std::size_t>(width) : 0;
}

VELMOR_VECTOR_CLONES
void MakeGreyRows(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, int width,
                  int height, bool noiseRemoval, int strength, int removal, std::uint8_t* scratch, int rowBegin,
                  int rowEnd, std::uint8_t* grey) {
    if (width <= 2 || height <= 2 || !IsLaneStrength(strength)) return;
    rowBegin = rowBegin < 1 ? 1 : rowBegin;
    rowEnd = rowEnd > height - 1 ? height - 1 : rowEnd;
    if (rowBegin >= rowEnd) return;
    const u8* const planes[3] = {red, green, blue};
    FusedGreyRows(planes, width, height, noiseRemoval, strength, removal, scratch, rowBegin, rowEnd, grey);
}
