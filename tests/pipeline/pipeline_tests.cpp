// The shared sketch pipeline: the reference's sketch at every band count,
// what it keeps across runs, its failures, and the memory budget.
#include "pipeline/SketchPipeline.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "engine/BitmapLock.h"
#include "engine/SpeckRemoval.h"
#include "imaging/codecs/Decode.h"
#include "pipeline/MemoryBudget.h"
#include "pipeline/PaletteSketch.h"
#include "tests/reference/SketchReference.h"

namespace {

using imaging::Picture;

// A picture of noise, with a few transparent pixels where the format has alpha.
Picture MakeOriginal(int w, int h, unsigned seed, imaging::PixelFormat format = imaging::PixelFormat32bppARGB) {
    Picture argb(w, h, imaging::PixelFormat32bppARGB);
    Picture& p = argb;
    CBitmapLock lock;
    EXPECT_EQ(lock.Lock(&p, false, true, imaging::PixelFormat32bppARGB), 0);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = lock.Row(static_cast<std::uint32_t>(y)) + 4 * x;
            for (int c = 0; c < 3; ++c) px[c] = static_cast<std::uint8_t>((x * (c + 3) + y * 7 + rng() % 60) & 0xFF);
            px[3] = (x + y) % 17 == 0 ? static_cast<std::uint8_t>(rng() & 0xFF) : 255;
        }
    lock.Unlock();
    if (format == imaging::PixelFormat32bppARGB) return argb;
    // The same pixels in another layout, through the picture layer's own conversion.
    Picture other(w, h, format);
    CBitmapLock from, to;
    EXPECT_EQ(from.Lock(&argb, true, false, imaging::PixelFormat32bppARGB), 0);
    EXPECT_EQ(to.Lock(&other, false, true, imaging::PixelFormat32bppARGB), 0);
    for (int y = 0; y < h; ++y)
        std::memcpy(to.Row(static_cast<std::uint32_t>(y)), from.Row(static_cast<std::uint32_t>(y)), 4 * std::size_t(w));
    to.Unlock();
    return other;
}

// The literal arithmetic on the same pixels, as packed B,G,R rows.
std::vector<std::uint8_t> ReferenceSketch(Picture& original, const SketchParameters& s) {
    const int w = static_cast<int>(original.Width()), h = static_cast<int>(original.Height());
    CBitmapLock src;
    EXPECT_EQ(src.Lock(&original, true, false, imaging::PixelFormat32bppRGB), 0);
    const std::size_t n = static_cast<std::size_t>(w) * h;
    std::vector<std::uint8_t> r(n), g(n), b(n), in(n), lr(n), lg(n), lb(n), grey(n), out(3 * n);
    reference::BuildColourPlanes(src.FirstRow(), src.data.stride, w, h, r.data(), g.data(), b.data());
    reference::MakeGreyPlane(r.data(), g.data(), b.data(), w, h, s.noiseRemoval, s.strength, s.removal, in.data(),
                             lr.data(), lg.data(), lb.data(), grey.data());
    reference::RemoveSpecks(grey.data(), w, h, SpeckAreaForStep(s.despeckle));
    reference::ThickenLines(grey.data(), w, h, s.thicken);
    reference::PaintSketch(grey.data(), w, h, s.lineColour, s.frameColour, out.data(), 3 * w);
    return out;
}

std::vector<std::uint8_t> Pixels(Picture& sketch) {
    CBitmapLock lock;
    EXPECT_EQ(lock.Lock(&sketch, true, false, imaging::PixelFormat24bppRGB), 0);
    const std::size_t row = 3 * static_cast<std::size_t>(sketch.Width());
    std::vector<std::uint8_t> out(row * sketch.Height());
    for (std::uint32_t y = 0; y < sketch.Height(); ++y) std::memcpy(out.data() + row * y, lock.Row(y), row);
    return out;
}

TEST(SketchPipeline, EveryBandCountGivesTheReferenceSketch) {
    const SketchParameters cases[] = {
        {},
        {11, 3, true, 0x0000FF, 0x000000},
        {1, 10, false, 0x123456, 0x00FF00},
        {5, 0, true, 0x800000, 0xFFFFFF},
        {3, 0, false, 0x800000, 0xFFFFFF, 4, 10},
        {7, 2, true, 0x000000, 0x0000FF, 1, 2},
    };
    struct Shape {
        int w, h;
        imaging::PixelFormat format;
    };
    const Shape shapes[] = {{301, 97, imaging::PixelFormat32bppARGB},
                            {64, 3, imaging::PixelFormat24bppRGB},
                            {7, 200, imaging::PixelFormat32bppRGB},
                            {130, 70, imaging::PixelFormat24bppRGB}};
    for (const auto& [w, h, format] : shapes) {
        Picture original = MakeOriginal(w, h, static_cast<unsigned>(w + h), format);
        SketchPipeline pipeline;
        ASSERT_TRUE(pipeline.BuildPlanes(original));
        for (const SketchParameters& p : cases) {
            const std::vector<std::uint8_t> expected = ReferenceSketch(original, p);
            for (int threads : {1, 2, 3, 4, 8, 0}) {
                ASSERT_TRUE(pipeline.Run(p, threads));
                ASSERT_EQ(Pixels(*pipeline.Sketch()), expected)
                    << w << " x " << h << ", " << threads << " threads, strength " << p.strength;
            }
        }
    }
}

// The finishing stages at their defaults leave the grey plane of real
// photographs exactly as the grey stage made it.
TEST(SketchPipeline, FinishingDefaultsLeaveTheGreyPlane) {
    const char* samples[] = {VELMOR_TEST_DATA "/../../samples/cat.png", VELMOR_TEST_DATA "/decode/jpeg_baseline.jpg"};
    for (const char* path : samples) {
        Picture original = imaging::DecodeFile(path);
        if (!original.IsValid()) {
            ADD_FAILURE() << "cannot read " << path;
            continue;
        }
        const int w = static_cast<int>(original.Width()), h = static_cast<int>(original.Height());
        for (bool denoise : {false, true}) {
            SketchParameters p;
            p.noiseRemoval = denoise;
            SketchPipeline pipeline;
            ASSERT_TRUE(pipeline.BuildPlanes(original));
            ASSERT_TRUE(pipeline.RunGrey(p));
            const std::vector<std::uint8_t> r(pipeline.m_pPlaneR.get(), pipeline.m_pPlaneR.get() + std::size_t(w) * h);
            const std::vector<std::uint8_t> g(pipeline.m_pPlaneG.get(), pipeline.m_pPlaneG.get() + std::size_t(w) * h);
            const std::vector<std::uint8_t> b(pipeline.m_pPlaneB.get(), pipeline.m_pPlaneB.get() + std::size_t(w) * h);
            const std::size_t n = std::size_t(w) * h;
            std::vector<std::uint8_t> in(n), lr(n), lg(n), lb(n), grey(n);
            reference::MakeGreyPlane(r.data(), g.data(), b.data(), w, h, denoise, p.strength, p.removal, in.data(),
                                     lr.data(), lg.data(), lb.data(), grey.data());
            for (int y = 1; y < h - 1; ++y)
                ASSERT_EQ(0, std::memcmp(pipeline.Grey() + std::size_t(y) * w + 1, grey.data() + std::size_t(y) * w + 1,
                                         std::size_t(w) - 2))
                    << path << " row " << y << (denoise ? " with noise removal" : "");
        }
    }
}

// Planes once per picture; grey plane and sketch reused; a new picture only
// after Clear.
TEST(SketchPipeline, KeepsPlanesGreyAndSketchAcrossRuns) {
    Picture original = MakeOriginal(40, 30, 1);
    SketchPipeline pipeline;
    pipeline.EnsureSketchPicture(40, 30);
    Picture* sketch = pipeline.Sketch();
    ASSERT_NE(sketch, nullptr);
    ASSERT_TRUE(pipeline.BuildPlanes(original));
    const std::uint8_t* red = pipeline.m_pPlaneR.get();
    ASSERT_TRUE(pipeline.Run({}));
    const std::uint8_t* grey = pipeline.Grey();
    const std::vector<std::uint8_t> first = Pixels(*sketch);

    SketchParameters blue;
    blue.lineColour = 0xFF0000;
    ASSERT_TRUE(pipeline.BuildPlanes(original));
    ASSERT_TRUE(pipeline.Run(blue));
    EXPECT_EQ(pipeline.m_pPlaneR.get(), red);
    EXPECT_EQ(pipeline.Grey(), grey);
    EXPECT_EQ(pipeline.Sketch(), sketch);
    EXPECT_NE(Pixels(*sketch), first);
    ASSERT_TRUE(pipeline.Run({}));
    EXPECT_EQ(Pixels(*sketch), first);  // the same parameters, the same sketch

    pipeline.Clear();
    EXPECT_FALSE(pipeline.HasPlanes());
    EXPECT_EQ(pipeline.Sketch(), nullptr);
    EXPECT_EQ(pipeline.Grey(), nullptr);
}

// A sketch picture that could not be made is not kept: the next run makes it.
TEST(SketchPipeline, AFailedSketchPictureIsTriedAgain) {
    Picture original = MakeOriginal(20, 10, 2);
    SketchPipeline pipeline;
    pipeline.EnsureSketchPicture(1u << 16, 1u << 16);  // beyond any picture
    EXPECT_EQ(pipeline.Sketch(), nullptr);
    ASSERT_TRUE(pipeline.BuildPlanes(original));
    ASSERT_TRUE(pipeline.Run({}));
    ASSERT_NE(pipeline.Sketch(), nullptr);
    EXPECT_EQ(pipeline.Sketch()->Width(), 20u);
    EXPECT_EQ(Pixels(*pipeline.Sketch()), ReferenceSketch(original, {}));
}

TEST(SketchPipeline, FailuresAndTheirTexts) {
    SketchPipeline pipeline;
    const SketchStatus noPlanes = pipeline.Run({});
    EXPECT_FALSE(noPlanes);
    EXPECT_EQ(noPlanes.kind, SketchStatus::LockFailed);

    Picture invalid;
    const SketchStatus lock = pipeline.BuildPlanes(invalid);
    EXPECT_EQ(lock.kind, SketchStatus::LockFailed);
    EXPECT_FALSE(pipeline.HasPlanes());

    const struct {
        SketchStatus status;
        const char* text;
    } texts[] = {
        {{SketchStatus::Ok}, ""},
        {{SketchStatus::OutOfMemory}, "下絵を作成できませんでした。\nメモリ不足です。"},
        {{SketchStatus::LockFailed, imaging::InvalidParameter}, "下絵を作成できませんでした。\n不正なパラメータです。"},
    };
    for (const auto& t : texts) EXPECT_EQ(SketchFailureText(t.status), t.text);
}

// The decode limit follows the memory the process may use and is shared by
// the pictures worked on at once.
TEST(MemoryBudget, TheInputBufferCountsInTheShare) {
    const std::uint64_t ws = kWorkingSetBytesPerPixel;
    struct Case {
        std::uint64_t maxPixels, inputBytes, expected;
    };
    const Case cases[] = {
        {1000, 0, 1000}, {1000, 1, 999}, {1000, ws, 999}, {1000, ws + 1, 998}, {1000, 1000 * ws, 0},
        {1000, 5000 * ws, 0},  // more file than share: nothing left, never a wrap-around
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithInputBuffer({c.maxPixels}, c.inputBytes).maxPixels, c.expected) << c.inputBytes;
}

TEST(MemoryBudget, FollowsAddressSpaceLimitAndSharers) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow memory does not fit under a lowered address-space limit";
#endif
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
    rlimit lowered = saved;
    lowered.rlim_cur = std::min<rlim_t>(saved.rlim_max, rlim_t{1} << 30);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &lowered), 0);
    const std::uint64_t one = PictureDecodeLimits(1).maxPixels;
    const std::uint64_t four = PictureDecodeLimits(4).maxPixels;
    setrlimit(RLIMIT_AS, &saved);
    EXPECT_LE(one, (std::uint64_t{1} << 30) / kWorkingSetBytesPerPixel);
    EXPECT_GE(one, std::uint64_t{6000} * 4000);  // a 24-megapixel photo still fits
    EXPECT_LT(one, std::uint64_t{10000} * 10000);
    // Each of four jobs gets a quarter.
    EXPECT_LE(four, one / 4 + 1);
    EXPECT_GE(four + 1, one / 4);
    EXPECT_LE(PictureDecodeLimits(1).maxPixels, imaging::kMaxPicturePixels);
}

// The palette sketch made from the grey plane has, pixel for pixel, the
// colours the paint gives, at every size down to one pixel; a frame colour
// that is none of the line colour's shades has no place in it.
TEST(PaletteSketch, SameColoursAsThePaint) {
    struct Case {
        int w, h;
        Colour line, frame;
        bool fits;
    };
    const Case cases[] = {
        {40, 30, 0x800000, 0xFFFFFF, true}, {1, 1, 0x800000, 0xFFFFFF, true}, {2, 2, 0x0000FF, 0xFFFFFF, true},
        {3, 3, 0x123456, 0xFFFFFF, true},   {5, 4, 0x000000, 0x000000, true}, {7, 6, 0x00FF00, 0x00FF00, true},
        {9, 9, 0xFFFFFF, 0xFFFFFF, true},   {6, 5, 0x800000, 0x00FF00, false},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> grey(static_cast<std::size_t>(c.w) * c.h);
        for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<std::uint8_t>(i * 37 + 11);
        std::optional<imaging::Picture> indexed = PaletteSketchFromGrey(grey.data(), c.w, c.h, c.line, c.frame);
        ASSERT_EQ(indexed.has_value(), c.fits) << c.w << "x" << c.h;
        if (!indexed) continue;
        std::vector<std::uint8_t> painted(static_cast<std::size_t>(3 * c.w) * c.h);
        reference::PaintSketch(grey.data(), c.w, c.h, c.line, c.frame, painted.data(), 3 * c.w);
        imaging::BitmapData d;
        ASSERT_EQ(indexed->LockBits(nullptr, imaging::ImageLockModeRead, imaging::PixelFormat24bppRGB, &d), imaging::Ok);
        for (int y = 0; y < c.h; ++y)
            EXPECT_EQ(std::memcmp(static_cast<const std::uint8_t*>(d.scan0) + static_cast<std::ptrdiff_t>(y) * d.stride,
                                  painted.data() + static_cast<std::ptrdiff_t>(y) * 3 * c.w, static_cast<std::size_t>(3 * c.w)),
                      0)
                << c.w << "x" << c.h << " row " << y;
        indexed->UnlockBits(&d);
    }
}

}  // namespace
