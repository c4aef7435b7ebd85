#include "imaging/display/Resample.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "imaging/display/ResampleKernels.h"
#include "imaging/display/ResampleTaps.h"

namespace imaging {

namespace {

using namespace resample;

struct Source {
    const std::uint8_t* pixels;
    std::ptrdiff_t stride;
    int bytesPerPixel;  // 4: B,G,R,A; 3: B,G,R, opaque

    // Pixel `x` of row `y`.
    const std::uint8_t* At(int x, int y) const {
        return pixels + y * stride + bytesPerPixel * static_cast<std::ptrdiff_t>(x);
    }
    // `count` pixels from (x, y) to the working scale.
    void Load(int x, int y, int count, std::int16_t* out) const {
        if (bytesPerPixel == 3)
            ExpandOpaqueRow(At(x, y), count, out);
        else
            PremultiplyRow(At(x, y), count, out);
    }
};

struct Target {
    std::uint8_t* pixels;
    std::ptrdiff_t stride;

    std::uint8_t* Row(int j) const { return pixels + j * stride; }
};

// Working rows, left uninitialised: every value is written before it is read.
template <typename T>
std::unique_ptr<T[]> Buffer(std::size_t count) {
    return std::make_unique_for_overwrite<T[]>(count);
}

// Weight of source row r in output row j of the list; 0 outside its taps.
int WeightOf(const Taps& rows, int j, int r) {
    const int tap = r - rows.first[j];
    return tap >= 0 && tap < rows.count[j] ? rows.weights[rows.offset[j] + tap] : 0;
}

// Growing (or keeping) the height: each source row of the band is
// premultiplied and filtered horizontally once into a ring of a few rows;
// each output row then mixes its rows of the ring.
void RenderGrowing(const Source& src, const Taps& cols, const Taps& rows, const Target& dst) {
    const int outW = static_cast<int>(cols.first.size());
    const int values = 4 * outW;
    const int bandW = cols.end - cols.begin;
    const int ringRows = rows.maxCount;
    const auto premultiplied = Buffer<std::int16_t>(4 * static_cast<std::size_t>(bandW));
    const auto ring = Buffer<std::int16_t>(static_cast<std::size_t>(values) * ringRows);
    const auto sums = Buffer<std::int32_t>(values);
    const auto mixed = Buffer<std::int16_t>(values);
    auto slot = [&](int row) { return ring.get() + static_cast<std::ptrdiff_t>(values) * (row % ringRows); };

    int nextRow = rows.begin;
    for (std::size_t j = 0; j < rows.first.size(); ++j) {
        const int first = rows.first[j];
        const int count = rows.count[j];
        for (; nextRow < first + count; ++nextRow) {
            src.Load(cols.begin, nextRow, bandW, premultiplied.get());
            FilterRow(premultiplied.get(), outW, cols.first.data(), cols.count.data(), cols.offset.data(),
                      cols.weights.data(), slot(nextRow));
        }
        const std::int16_t* w = rows.weights.data() + rows.offset[j];
        for (int t = 0; t < count; t += 2) {
            // An odd last tap pairs with itself at weight 0.
            const int u = t + 1 < count ? t + 1 : t;
            const int wu = t + 1 < count ? w[u] : 0;
            if (t == 0)
                SetScaledRows(sums.get(), slot(first + t), w[t], slot(first + u), wu, values);
            else
                AddScaledRows(sums.get(), slot(first + t), w[t], slot(first + u), wu, values);
        }
        NarrowRow(sums.get(), values, mixed.get());
        UnpremultiplyRow(mixed.get(), outW, dst.Row(static_cast<int>(j)));
    }
}

// Source rows stream through the shrinking pass in pairs: the pair starting
// at r, and the last row it reaches.
int PairEnd(const Taps& rows, int r) { return std::min(r + 1, rows.end - 1); }

// Output rows whose sums are open at the same time in the shrinking pass.
int MostOpenRows(const Taps& rows) {
    const int outH = static_cast<int>(rows.first.size());
    int open = 0, closed = 0, most = 0;
    for (int r = rows.begin; r < rows.end; r += 2) {
        const int last = PairEnd(rows, r);
        while (open < outH && rows.first[open] <= last) ++open;
        most = std::max(most, open - closed);
        while (closed < open && rows.first[closed] + rows.count[closed] - 1 <= last) ++closed;
    }
    return most;
}

// Shrinking the height: source rows stream through once, two at a time, each
// premultiplied and added into the sums of the few output rows it feeds; an
// output row is finished (narrowed, filtered horizontally, unpremultiplied)
// once its last source row has been added. The horizontal pass thus runs on
// output rows only, and memory stays a few rows of the band whatever the
// factor.
void RenderShrinking(const Source& src, const Taps& cols, const Taps& rows, const Target& dst) {
    const int outW = static_cast<int>(cols.first.size());
    const int outH = static_cast<int>(rows.first.size());
    const int bandW = cols.end - cols.begin;
    const int values = 4 * bandW;
    const int openRows = MostOpenRows(rows);
    const auto in0 = Buffer<std::int16_t>(values);
    const auto in1 = Buffer<std::int16_t>(values);
    const auto narrowed = Buffer<std::int16_t>(values);
    const auto filtered = Buffer<std::int16_t>(4 * static_cast<std::size_t>(outW));
    const auto sums = Buffer<std::int32_t>(static_cast<std::size_t>(values) * openRows);
    auto sumsOf = [&](int j) { return sums.get() + static_cast<std::ptrdiff_t>(values) * (j % openRows); };

    int open = 0, closed = 0;
    for (int r = rows.begin; r < rows.end; r += 2) {
        const int last = PairEnd(rows, r);
        while (open < outH && rows.first[open] <= last) ++open;
        if (closed == open) continue;
        src.Load(cols.begin, r, bandW, in0.get());
        if (last != r) src.Load(cols.begin, last, bandW, in1.get());
        // A lone last row pairs with itself at weight 0.
        const std::int16_t* second = last != r ? in1.get() : in0.get();
        for (int j = closed; j < open; ++j) {
            const int w0 = WeightOf(rows, j, r);
            const int w1 = last != r ? WeightOf(rows, j, last) : 0;
            if (rows.first[j] >= r)
                SetScaledRows(sumsOf(j), in0.get(), w0, second, w1, values);
            else
                AddScaledRows(sumsOf(j), in0.get(), w0, second, w1, values);
        }
        for (; closed < open && rows.first[closed] + rows.count[closed] - 1 <= last; ++closed) {
            NarrowRow(sumsOf(closed), values, narrowed.get());
            FilterRow(narrowed.get(), outW, cols.first.data(), cols.count.data(), cols.offset.data(),
                      cols.weights.data(), filtered.get());
            UnpremultiplyRow(filtered.get(), outW, dst.Row(closed));
        }
    }
}

bool ValidArguments(const std::uint8_t* src, std::ptrdiff_t srcStride, int srcW, int srcH, int scaledW,
                    int scaledH, const Rect& region, const std::uint8_t* dst, std::ptrdiff_t dstStride,
                    int bytesPerPixel) {
    if (!src || !dst || srcW < 1 || srcH < 1 || scaledW < 1 || scaledH < 1) return false;
    if (static_cast<std::uint64_t>(srcW) * static_cast<std::uint64_t>(srcH) > kMaxPicturePixels) return false;
    if (region.x < 0 || region.y < 0 || region.width < 1 || region.height < 1) return false;
    if (std::int64_t{region.x} + region.width > scaledW || std::int64_t{region.y} + region.height > scaledH)
        return false;
    const auto span = [](std::ptrdiff_t stride) { return stride < 0 ? -static_cast<std::int64_t>(stride) : stride; };
    return span(srcStride) >= bytesPerPixel * std::int64_t{srcW} && span(dstStride) >= 4 * std::int64_t{region.width};
}

}  // namespace

Status ResampleRegion(const std::uint8_t* src, std::ptrdiff_t srcStride, int srcW, int srcH, int scaledW,
                      int scaledH, const Rect& region, std::uint8_t* dst, std::ptrdiff_t dstStride,
                      PixelFormat srcFormat) noexcept {
    if (srcFormat != PixelFormat32bppARGB && srcFormat != PixelFormat24bppRGB) return InvalidParameter;
    const int bytesPerPixel = srcFormat == PixelFormat24bppRGB ? 3 : 4;
    if (!ValidArguments(src, srcStride, srcW, srcH, scaledW, scaledH, region, dst, dstStride, bytesPerPixel))
        return InvalidParameter;
    const Source source{src, srcStride, bytesPerPixel};
    const Target target{dst, dstStride};

    if (scaledW == srcW && scaledH == srcH) {
        for (int j = 0; j < region.height; ++j) {
            const std::uint8_t* in = source.At(region.x, region.y + j);
            std::uint8_t* out = target.Row(j);
            if (bytesPerPixel == 4) {
                std::memcpy(out, in, 4 * static_cast<std::size_t>(region.width));
                continue;
            }
            for (int x = 0; x < region.width; ++x) {
                std::memcpy(out + 4 * x, in + 3 * x, 3);
                out[4 * x + 3] = 255;
            }
        }
        return Ok;
    }

    try {
        Taps cols = BuildTaps(srcW, scaledW, region.x, region.width);
        for (int& first : cols.first) first -= cols.begin;  // the rows passed along start at the band
        const Taps rows = BuildTaps(srcH, scaledH, region.y, region.height);
        // The order of the passes depends only on the sizes, never on the
        // region, so tiles agree bit for bit with a whole rendering.
        if (scaledH < srcH)
            RenderShrinking(source, cols, rows, target);
        else
            RenderGrowing(source, cols, rows, target);
        return Ok;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    } catch (const std::length_error&) {
        return OutOfMemory;
    }
}

}  // namespace imaging
