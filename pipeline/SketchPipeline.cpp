#include "pipeline/SketchPipeline.h"

#include <algorithm>
#include <new>
#include <thread>

#include "engine/BitmapLock.h"
#include "engine/LineThickening.h"
#include "engine/SketchGeneration.h"
#include "engine/SpeckRemoval.h"
#include "imageio/GraphicsStatusText.h"

namespace {

using imaging::LargeBuffer;

LargeBuffer Allocate(std::size_t bytes) { return LargeBuffer::Allocate(bytes); }

// Bands shorter than this cost more in start-up than they save.
constexpr int kMinBandRows = 32;

int BandCount(int threads, int height) {
    if (threads <= 0) threads = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(height / kMinBandRows, 1, std::max(threads, 1));
}

// Rows [Begin(b), Begin(b + 1)) of 0..rows form band b of n.
int BandBegin(int band, int bands, int rows) {
    return static_cast<int>(static_cast<std::int64_t>(rows) * band / bands);
}

}  // namespace

std::string SketchFailureText(const SketchStatus& status) {
    switch (status.kind) {
    case SketchStatus::Ok:
        return {};
    case SketchStatus::LockFailed:
        return std::string(kSketchFailedText) + "\n" + GraphicsStatusText(status.status);
    case SketchStatus::OutOfMemory:
        break;
    }
    return std::string(kSketchFailedText) + "\n" + GraphicsStatusText(imaging::OutOfMemory);
}

void SketchPipeline::EnsureSketchPicture(std::uint32_t width, std::uint32_t height) {
    if (m_pSketch) return;
    auto sketch = std::unique_ptr<imaging::Picture>(new (std::nothrow) imaging::Picture(
        static_cast<int>(width), static_cast<int>(height), imaging::PixelFormat24bppRGB));
    if (!sketch) {
        sketchFailure_ = imaging::OutOfMemory;
    } else if (!sketch->IsValid()) {
        sketchFailure_ = sketch->LastStatus();
    } else {
        sketchFailure_ = imaging::Ok;
        m_pSketch = std::move(sketch);
    }
}

SketchStatus SketchPipeline::BuildPlanes(imaging::Picture& original) {
    if (HasPlanes()) return {};
    // The two layouts a document's copy comes in are read as they are: a
    // converted lock would be one more picture-sized buffer.
    const imaging::PixelFormat own = original.Format();
    const bool opaque24 = own == imaging::PixelFormat24bppRGB;
    const imaging::PixelFormat layout =
        opaque24 || own == imaging::PixelFormat32bppARGB ? own : imaging::PixelFormat32bppRGB;
    CBitmapLock source;
    if (source.Lock(&original, true, false, layout) != 0)
        return {SketchStatus::LockFailed, static_cast<imaging::Status>(source.status)};
    m_pPlaneR.reset();
    m_pPlaneG.reset();
    m_pPlaneB.reset();
    const int w = static_cast<int>(source.data.width);
    const int h = static_cast<int>(source.data.height);
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    LargeBuffer red = Allocate(n), green = Allocate(n), blue = Allocate(n);
    if (!red || !green || !blue) return {SketchStatus::OutOfMemory};
    const int bands = BandCount(0, h);
    const std::uint8_t* first = source.FirstRow();
    const std::ptrdiff_t stride = source.data.stride;
#pragma omp parallel for num_threads(bands) schedule(static, 1)
    for (int b = 0; b < bands; ++b) {
        const int y0 = BandBegin(b, bands, h), rows = BandBegin(b + 1, bands, h) - y0;
        const std::size_t at = static_cast<std::size_t>(y0) * static_cast<std::size_t>(w);
        if (opaque24)
            SplitColourPlanes(first + y0 * stride, stride, w, rows, red.get() + at, green.get() + at, blue.get() + at);
        else
            BuildColourPlanes(first + y0 * stride, stride, w, rows, red.get() + at, green.get() + at, blue.get() + at);
    }
    m_pPlaneR = std::move(red);
    m_pPlaneG = std::move(green);
    m_pPlaneB = std::move(blue);
    width_ = w;
    height_ = h;
    return {};
}

SketchStatus SketchPipeline::RunGrey(const SketchParameters& p, int threads) {
    if (!HasPlanes()) return {SketchStatus::LockFailed, imaging::WrongState};
    const int w = width_, h = height_;
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    if (!m_pGrey) {
        m_pGrey = Allocate(n);
        if (!m_pGrey) return {SketchStatus::OutOfMemory};
    }

    const int bands = BandCount(threads, h);
    if (GreyRowsSupported(p.strength)) {
        const std::size_t ring = GreyRowsScratchBytes(w);
        LargeBuffer scratch = Allocate(ring * static_cast<std::size_t>(bands));
        if (!scratch) return {SketchStatus::OutOfMemory};
#pragma omp parallel for num_threads(bands) schedule(static, 1)
        for (int b = 0; b < bands; ++b)
            MakeGreyRows(m_pPlaneR.get(), m_pPlaneG.get(), m_pPlaneB.get(), w, h, p.noiseRemoval, p.strength,
                         p.removal, scratch.get() + ring * static_cast<std::size_t>(b), BandBegin(b, bands, h),
                         BandBegin(b + 1, bands, h), m_pGrey.get());
    } else {
        // Strengths the panel never gives: the stages one by one, on one thread.
        LargeBuffer input = Allocate(n), red = Allocate(n), green = Allocate(n), blue = Allocate(n);
        if (!input || !red || !green || !blue) return {SketchStatus::OutOfMemory};
        MakeGreyPlane(m_pPlaneR.get(), m_pPlaneG.get(), m_pPlaneB.get(), w, h, p.noiseRemoval, p.strength, p.removal,
                      input.get(), red.get(), green.get(), blue.get(), m_pGrey.get());
    }
    return Finish(p);
}

SketchStatus SketchPipeline::Finish(const SketchParameters& p) {
    const int w = width_, h = height_;
    // Specks go first, so that thickening never grows them.
    if (const int area = SpeckAreaForStep(kSpeckRemoval.Clamp(p.despeckle)); area > 1) {
        LargeBuffer scratch = Allocate(SpeckRemovalScratchBytes(w, h));
        if (!scratch) return {SketchStatus::OutOfMemory};
        RemoveSpecks(m_pGrey.get(), w, h, area, scratch.get());
    }
    if (const int radius = kLineThicken.Clamp(p.thicken); radius > 0) {
        LargeBuffer scratch = Allocate(LineThickeningScratchBytes(w, radius));
        if (!scratch) return {SketchStatus::OutOfMemory};
        ThickenLines(m_pGrey.get(), w, h, radius, scratch.get());
    }
    return {};
}

SketchStatus SketchPipeline::Run(const SketchParameters& p, int threads) {
    if (SketchStatus s = RunGrey(p, threads); !s) return s;
    return Paint(p, threads);
}

SketchStatus SketchPipeline::Paint(const SketchParameters& p, int threads) {
    if (!m_pGrey) return {SketchStatus::LockFailed, imaging::WrongState};
    const int w = width_, h = height_;
    const int bands = BandCount(threads, h);
    EnsureSketchPicture(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h));
    if (!m_pSketch) {
        if (sketchFailure_ == imaging::OutOfMemory) return {SketchStatus::OutOfMemory};
        return {SketchStatus::LockFailed, sketchFailure_};
    }
    CBitmapLock target;
    if (target.Lock(m_pSketch.get(), false, true, imaging::PixelFormat24bppRGB) != 0)
        return {SketchStatus::LockFailed, static_cast<imaging::Status>(target.status)};
    const int sw = static_cast<int>(target.data.width), sh = static_cast<int>(target.data.height);
    if (sw != w || sh != h) return {SketchStatus::LockFailed, imaging::InvalidParameter};
    std::uint8_t* first = target.FirstRow();
    const std::ptrdiff_t stride = target.data.stride;
#pragma omp parallel for num_threads(bands) schedule(static, 1)
    for (int b = 0; b < bands; ++b)
        PaintSketchRows(m_pGrey.get(), w, h, p.lineColour, p.frameColour, first, stride, BandBegin(b, bands, h),
                        BandBegin(b + 1, bands, h));
    return {};
}

void SketchPipeline::ReleaseWorkBuffers() {
    m_pPlaneR.reset();
    m_pPlaneG.reset();
    m_pPlaneB.reset();
    m_pGrey.reset();
}

void SketchPipeline::Clear() {
    m_pPlaneR.reset();
    m_pPlaneG.reset();
    m_pPlaneB.reset();
    m_pGrey.reset();
    m_pSketch.reset();
    width_ = height_ = 0;
    sketchFailure_ = imaging::Ok;
}
