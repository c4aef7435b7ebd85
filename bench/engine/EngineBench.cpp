// The sketch stages on a 4000 x 3000 picture, single-threaded, against the
// literal reference. Targets on the 2-core development machine: planes
// <= 10 ms; grey plane + paint <= 13 ms without noise removal, <= 19 ms with;
// each finishing stage at its largest setting at most twice the grey plane
// without noise removal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/LineThickening.h"
#include "engine/SketchGeneration.h"
#include "engine/SpeckRemoval.h"
#include "tests/reference/SketchReference.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr std::size_t kPixels = std::size_t(kWidth) * kHeight;

// A photograph stand-in: smooth shading, a few hard-edged shapes and grain,
// opaque except a translucent band, so every branch of the arithmetic runs.
struct Picture {
    std::vector<std::uint8_t> source;  // 32-bit B,G,R,opacity, packed rows
    std::vector<std::uint8_t> red, green, blue, filterInput, redLines, greenLines, blueLines, grey, sketch;

    Picture()
        : source(4 * kPixels), red(kPixels), green(kPixels), blue(kPixels), filterInput(kPixels),
          redLines(kPixels), greenLines(kPixels), blueLines(kPixels), grey(kPixels), sketch(3 * kPixels) {
        std::mt19937 rng(1);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                std::uint8_t* px = &source[4 * (std::size_t(y) * kWidth + x)];
                const bool shape = ((x / 150) + (y / 110)) % 5 == 0;
                const int grain = static_cast<int>(rng() % 25) - 12;
                auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
                px[0] = clamp((shape ? 40 : 60 + x / 20) + grain);
                px[1] = clamp((shape ? 30 : 90 + y / 15) + grain);
                px[2] = clamp((shape ? 200 : 120 + (x + y) / 40) + grain);
                px[3] = y > 1400 && y < 1600 ? 128 : 255;
            }
        BuildColourPlanes(source.data(), 4 * kWidth, kWidth, kHeight, red.data(), green.data(), blue.data());
    }
};

Picture& Shared() {
    static Picture picture;
    return picture;
}

void BM_BuildColourPlanes(benchmark::State& state) {
    Picture& p = Shared();
    for (auto _ : state) {
        BuildColourPlanes(p.source.data(), 4 * kWidth, kWidth, kHeight, p.red.data(), p.green.data(), p.blue.data());
        benchmark::ClobberMemory();
    }
}

void BM_BuildColourPlanesReference(benchmark::State& state) {
    Picture& p = Shared();
    for (auto _ : state) {
        reference::BuildColourPlanes(p.source.data(), 4 * kWidth, kWidth, kHeight, p.red.data(), p.green.data(),
                                     p.blue.data());
        benchmark::ClobberMemory();
    }
}

template <auto MakeGrey, auto Paint>
void GreyAndPaint(benchmark::State& state) {
    Picture& p = Shared();
    const bool noise = state.range(0) != 0;
    for (auto _ : state) {
        MakeGrey(p.red.data(), p.green.data(), p.blue.data(), kWidth, kHeight, noise, 3, 0, p.filterInput.data(),
                 p.redLines.data(), p.greenLines.data(), p.blueLines.data(), p.grey.data());
        Paint(p.grey.data(), kWidth, kHeight, 0x800000, 0xFFFFFF, p.sketch.data(), 3 * kWidth);
        benchmark::ClobberMemory();
    }
}

template <auto MakeGrey>
void GreyOnly(benchmark::State& state) {
    Picture& p = Shared();
    const bool noise = state.range(0) != 0;
    for (auto _ : state) {
        MakeGrey(p.red.data(), p.green.data(), p.blue.data(), kWidth, kHeight, noise, 3, 0, p.filterInput.data(),
                 p.redLines.data(), p.greenLines.data(), p.blueLines.data(), p.grey.data());
        benchmark::ClobberMemory();
    }
}

void BM_PaintSketch(benchmark::State& state) {
    Picture& p = Shared();
    for (auto _ : state) {
        PaintSketch(p.grey.data(), kWidth, kHeight, 0x800000, 0xFFFFFF, p.sketch.data(), 3 * kWidth);
        benchmark::ClobberMemory();
    }
}

// The finishing stages work in place, so each iteration starts from a copy
// of the grey plane (the copy is timed apart, in BM_CopyGrey).
struct Finishing {
    std::vector<std::uint8_t> grey, work, scratch;
    Finishing() {
        Picture& p = Shared();
        p.filterInput.assign(kPixels, 0);
        MakeGreyPlane(p.red.data(), p.green.data(), p.blue.data(), kWidth, kHeight, false, 3, 0, p.filterInput.data(),
                      p.redLines.data(), p.greenLines.data(), p.blueLines.data(), p.grey.data());
        grey = p.grey;
        work = grey;
        scratch.assign(std::max(SpeckRemovalScratchBytes(kWidth, kHeight),
                                LineThickeningScratchBytes(kWidth, kMaxThickenRadius)), 0);
    }
};

Finishing& SharedFinishing() {
    static Finishing f;
    return f;
}

void BM_CopyGrey(benchmark::State& state) {
    Finishing& f = SharedFinishing();
    for (auto _ : state) {
        f.work = f.grey;
        benchmark::ClobberMemory();
    }
}

void BM_ThickenLines(benchmark::State& state) {
    Finishing& f = SharedFinishing();
    for (auto _ : state) {
        f.work = f.grey;
        ThickenLines(f.work.data(), kWidth, kHeight, static_cast<int>(state.range(0)), f.scratch.data());
        benchmark::ClobberMemory();
    }
}

void BM_RemoveSpecks(benchmark::State& state) {
    Finishing& f = SharedFinishing();
    for (auto _ : state) {
        f.work = f.grey;
        RemoveSpecks(f.work.data(), kWidth, kHeight, SpeckAreaForStep(static_cast<int>(state.range(0))),
                     f.scratch.data());
        benchmark::ClobberMemory();
    }
}

void BM_GreyAndPaint(benchmark::State& state) { GreyAndPaint<MakeGreyPlane, PaintSketch>(state); }
void BM_GreyAndPaintReference(benchmark::State& state) {
    GreyAndPaint<reference::MakeGreyPlane, reference::PaintSketch>(state);
}
void BM_MakeGreyPlane(benchmark::State& state) { GreyOnly<MakeGreyPlane>(state); }

}  // namespace

BENCHMARK(BM_BuildColourPlanes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildColourPlanesReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GreyAndPaint)->ArgName("noise")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeGreyPlane)->ArgName("noise")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyGrey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThickenLines)->ArgName("radius")->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveSpecks)->ArgName("step")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintSketch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GreyAndPaintReference)->ArgName("noise")->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(0.2);
BENCHMARK(BM_GreyAndPaintReference)->ArgName("noise")->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
