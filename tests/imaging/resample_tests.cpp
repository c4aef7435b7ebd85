// The display scaler: exact fixed-point arithmetic, copies at 100 %, flat
// areas, geometry, tiles against whole renderings, alpha, antialiasing,
// overshoot, memory and argument errors.
#include <gtest/gtest.h>

#include <cstring>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "imaging/display/Resample.h"
#include "imaging/display/ResampleKernels.h"

using namespace imaging;

// Bytes allocated while counting is on: proves that memory follows the region.
namespace {
std::atomic<bool> gCounting{false};
std::atomic<std::uint64_t> gAllocated{0};
}  // namespace

void* operator new(std::size_t size) {
    if (gCounting) gAllocated += size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// Kept out of line: inlined next to a new-expression, free() looks mismatched to the compiler.
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct Image {
    int w = 0, h = 0;
    std::vector<std::uint8_t> px;  // B, G, R, A, packed rows

    Image(int width, int height) : w(width), h(height), px(4 * std::size_t(width) * height) {}
    std::uint8_t* At(int x, int y) { return &px[4 * (std::size_t(y) * w + x)]; }
    const std::uint8_t* At(int x, int y) const { return &px[4 * (std::size_t(y) * w + x)]; }
};

void SetPixel(Image& img, int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a) {
    std::uint8_t* p = img.At(x, y);
    p[0] = b;
    p[1] = g;
    p[2] = r;
    p[3] = a;
}

Image Filled(int w, int h, std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a) {
    Image img(w, h);
    for (std::size_t i = 0; i < img.px.size(); i += 4) {
        img.px[i] = b;
        img.px[i + 1] = g;
        img.px[i + 2] = r;
        img.px[i + 3] = a;
    }
    return img;
}

// Texture with every kind of pixel: smooth and hard colour, full, partial and no opacity.
Image Textured(int w, int h) {
    Image img(w, h);
    std::uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            std::uint8_t* p = img.At(x, y);
            p[0] = static_cast<std::uint8_t>(x * 7 + y);
            p[1] = static_cast<std::uint8_t>(seed >> 24);
            p[2] = static_cast<std::uint8_t>((x / 3 + y / 2) % 2 ? 250 : 10);
            p[3] = static_cast<std::uint8_t>((x + y) % 5 == 0 ? 0 : (x * y) % 3 == 0 ? 255 : 40 + (seed >> 26));
        }
    return img;
}

Image Render(const Image& src, int scaledW, int scaledH, const Rect& region) {
    Image out(region.width, region.height);
    EXPECT_EQ(ResampleRegion(src.px.data(), 4 * src.w, src.w, src.h, scaledW, scaledH, region, out.px.data(),
                             4 * region.width),
              Ok)
        << src.w << "x" << src.h << " -> " << scaledW << "x" << scaledH;
    return out;
}

Image RenderWhole(const Image& src, int scaledW, int scaledH) {
    return Render(src, scaledW, scaledH, Rect{0, 0, scaledW, scaledH});
}

TEST(ResampleArithmetic, PremultiplyIsTheRoundedDivisionForEveryPair) {
    for (std::uint32_t a = 0; a < 256; ++a)
        for (std::uint32_t c = 0; c < 256; ++c)
            ASSERT_EQ(resample::Premultiply(c, a), (c * a * 128 + 255) / 510) << c << " " << a;
}

TEST(ResampleArithmetic, UnpremultiplyIsTheRoundedDivisionForEveryPair) {
    for (std::int32_t a = 1; a <= resample::kOpaque; ++a)
        for (std::int32_t p = 0; p <= a; ++p)
            ASSERT_EQ(resample::Unpremultiply(p, a), (510 * p + a) / (2 * a)) << p << " " << a;
    EXPECT_EQ(resample::Unpremultiply(0, 0), 0);
}

TEST(ResampleArithmetic, ColoursSurviveTheRoundTripFromAlphaFourUp) {
    for (std::uint32_t a = 4; a < 256; ++a)
        for (std::uint32_t c = 0; c < 256; ++c)
            ASSERT_EQ(resample::Unpremultiply(resample::Premultiply(c, a), a * 64), std::int32_t(c)) << c << " " << a;
}

TEST(ResampleArithmetic, PremultiplyRowMatchesPremultiplyForEveryPair) {
    std::vector<std::uint8_t> row;
    for (int c = 0; c < 256; ++c)
        for (int a = 0; a < 256; ++a)
            row.insert(row.end(), {std::uint8_t(c), std::uint8_t(255 - c), std::uint8_t(c ^ 0x5A), std::uint8_t(a)});
    const int pixels = static_cast<int>(row.size() / 4);
    std::vector<std::int16_t> out(row.size());
    resample::PremultiplyRow(row.data(), pixels, out.data());
    for (int x = 0; x < pixels; ++x)
        for (int c = 0; c < 4; ++c) {
            const std::uint16_t value = c == 3 ? 255 : row[4 * x + c];
            ASSERT_EQ(out[4 * x + c], resample::Premultiply(value, row[4 * x + 3])) << "pixel " << x << " channel " << c;
        }
}

// Opaque rows take a shortcut without multiplies or divisions; a single
// translucent pixel sends the same row down the general path.
TEST(ResampleArithmetic, OpaqueRowShortcutsMatchTheGeneralPath) {
    std::vector<std::uint8_t> bytes;
    for (int c = 0; c < 256; ++c) bytes.insert(bytes.end(), {std::uint8_t(c), std::uint8_t(255 - c), std::uint8_t(c), 255});
    const int opaquePixels = 256;
    bytes.insert(bytes.end(), {200, 100, 50, 77});
    std::vector<std::int16_t> fast(4 * opaquePixels), general(4 * (opaquePixels + 1));
    resample::PremultiplyRow(bytes.data(), opaquePixels, fast.data());
    resample::PremultiplyRow(bytes.data(), opaquePixels + 1, general.data());
    EXPECT_TRUE(std::equal(fast.begin(), fast.end(), general.begin()));

    // Every working value an opaque sum can reach, overshoot included.
    std::vector<std::int16_t> sums;
    for (int p = -3000; p <= 20000; ++p) sums.insert(sums.end(), {std::int16_t(p), std::int16_t(p), std::int16_t(p), 20000});
    const int pixels = static_cast<int>(sums.size() / 4);
    sums.insert(sums.end(), {1000, 900, 800, 4000});
    std::vector<std::uint8_t> fastOut(4 * pixels), generalOut(4 * (pixels + 1));
    resample::UnpremultiplyRow(sums.data(), pixels, fastOut.data());
    resample::UnpremultiplyRow(sums.data(), pixels + 1, generalOut.data());
    EXPECT_TRUE(std::equal(fastOut.begin(), fastOut.end(), generalOut.begin()));
}

TEST(ResampleArithmetic, SumsThatRoundToNoAlphaAreWrittenAsZeros) {
    std::vector<std::int16_t> sums;
    for (std::int16_t a = -40; a <= 40; ++a) sums.insert(sums.end(), {a, std::int16_t(a / 2), 5000, a});
    const int pixels = static_cast<int>(sums.size() / 4);
    std::vector<std::uint8_t> out(sums.size());
    resample::UnpremultiplyRow(sums.data(), pixels, out.data());
    for (int x = 0; x < pixels; ++x) {
        const int a = sums[4 * x + 3];
        if (a < 32) {
            EXPECT_EQ(out[4 * x] | out[4 * x + 1] | out[4 * x + 2] | out[4 * x + 3], 0) << "alpha " << a;
        } else {
            EXPECT_EQ(out[4 * x + 3], 1) << "alpha " << a;
            EXPECT_EQ(out[4 * x + 2], 255) << "colour above alpha is clamped to it";
        }
    }
}

TEST(Resample, OwnSizeCopiesTheRegionExactlyFromEitherRowOrder) {
    const Image src = Textured(37, 23);  // includes transparent pixels with colour
    const Rect regions[] = {{0, 0, 37, 23}, {5, 3, 11, 7}, {36, 22, 1, 1}};
    for (const Rect& r : regions) {
        Image topDown(r.width, r.height), bottomUp(r.width, r.height);
        ASSERT_EQ(ResampleRegion(src.px.data(), 4 * src.w, src.w, src.h, src.w, src.h, r, topDown.px.data(), 4 * r.width),
                  Ok);
        // The same rows stored bottom-up, read through a negative stride.
        Image flipped(src.w, src.h);
        for (int y = 0; y < src.h; ++y) std::copy_n(src.At(0, y), 4 * src.w, flipped.At(0, src.h - 1 - y));
        ASSERT_EQ(ResampleRegion(flipped.At(0, src.h - 1), -4 * src.w, src.w, src.h, src.w, src.h, r,
                                 bottomUp.px.data(), 4 * r.width),
                  Ok);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                for (int c = 0; c < 4; ++c) {
                    ASSERT_EQ(topDown.At(x, y)[c], src.At(r.x + x, r.y + y)[c]);
                    ASSERT_EQ(bottomUp.At(x, y)[c], src.At(r.x + x, r.y + y)[c]);
                }
    }
}

struct FlatCase {
    int srcW, srcH, scaledW, scaledH;
    Rect region;
};

TEST(Resample, FlatPicturesStayFlatAtEveryScale) {
    const FlatCase cases[] = {
        {1, 1, 8000, 8000, {0, 0, 16, 16}},       {1, 1, 8000, 8000, {3990, 4100, 20, 9}},
        {1, 1, 8000, 8000, {7990, 7995, 10, 5}},  {6000, 1, 1, 1, {0, 0, 1, 1}},
        {1, 6000, 3, 1, {0, 0, 3, 1}},            {7, 5, 3, 2, {0, 0, 3, 2}},
        {10, 10, 13, 7, {0, 0, 13, 7}},           {64, 64, 16, 16, {0, 0, 16, 16}},
        {50, 40, 400, 320, {190, 150, 30, 20}},   {300, 200, 7, 301, {0, 0, 7, 301}},
        {40, 30, 40, 90, {0, 0, 40, 90}},
    };
    const std::uint8_t colours[][4] = {{12, 200, 99, 255}, {40, 80, 120, 128}, {255, 0, 7, 37}, {9, 9, 9, 4}};
    for (const FlatCase& fc : cases)
        for (const auto& c : colours) {
            const Image src = Filled(fc.srcW, fc.srcH, c[0], c[1], c[2], c[3]);
            const Image out = Render(src, fc.scaledW, fc.scaledH, fc.region);
            for (std::size_t i = 0; i < out.px.size(); ++i)
                ASSERT_EQ(out.px[i], c[i % 4]) << fc.srcW << "x" << fc.srcH << " -> " << fc.scaledW << "x"
                                               << fc.scaledH << " byte " << i;
        }
}

// A linear ramp is reproduced by the kernel, so it shows whether output pixel
// centres land where they should: output i sits at source coordinate
// (i + 0.5) * src / scaled, i.e. at source pixel (i + 0.5) * src / scaled - 0.5.
struct RampCase {
    int srcLen, scaledLen;
};

TEST(Resample, RampsLandOnPixelCentresInBothDirections) {
    const RampCase cases[] = {{16, 32}, {16, 128}, {32, 16}, {60, 15}, {30, 45}, {45, 30}};
    for (const RampCase& rc : cases)
        for (bool vertical : {false, true}) {
            const int w = vertical ? 3 : rc.srcLen, h = vertical ? rc.srcLen : 3;
            Image src(w, h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const auto v = static_cast<std::uint8_t>(40 + 3 * (vertical ? y : x));
                    SetPixel(src, x, y, v, v, v, 255);
                }
            const int sw = vertical ? 3 : rc.scaledLen, sh = vertical ? rc.scaledLen : 3;
            const Image out = RenderWhole(src, sw, sh);
            const double perOut = double(rc.srcLen) / rc.scaledLen;
            // Stay clear of the edges, where clamping bends the ramp.
            const int margin = static_cast<int>(3 * std::max(1.0, perOut) / perOut) + 1;
            for (int i = margin; i < rc.scaledLen - margin; ++i) {
                const double expected = 40 + 3 * ((i + 0.5) * perOut - 0.5);
                const std::uint8_t got = vertical ? out.At(1, i)[1] : out.At(i, 1)[1];
                ASSERT_NEAR(got, expected, 0.75) << rc.srcLen << " -> " << rc.scaledLen << " at " << i
                                                 << (vertical ? " (rows)" : " (columns)");
            }
        }
}

struct TileCase {
    int scaledW, scaledH;
    std::vector<int> xCuts, yCuts;  // tile boundaries inside the scaled picture
};

TEST(Resample, TilesStitchedTogetherEqualTheWholeRendering) {
    const Image src = Textured(61, 47);
    const TileCase cases[] = {
        {488, 376, {1, 100, 101, 333}, {7, 200, 375}},  // 800 %
        {122, 94, {13, 60}, {1, 2, 50}},                // 200 %
        {15, 11, {1, 7, 14}, {5, 6}},                   // 25 %
        {200, 20, {3, 99, 150}, {1, 9, 10}},            // wider, lower
        {20, 200, {4, 11}, {33, 34, 120}},              // narrower, taller
        {61, 100, {30}, {50, 51}},                      // height only
        {9, 47, {2, 3}, {10, 46}},                      // width only
    };
    for (const TileCase& tc : cases) {
        const Image whole = RenderWhole(src, tc.scaledW, tc.scaledH);
        std::vector<int> xs{0}, ys{0};
        xs.insert(xs.end(), tc.xCuts.begin(), tc.xCuts.end());
        ys.insert(ys.end(), tc.yCuts.begin(), tc.yCuts.end());
        xs.push_back(tc.scaledW);
        ys.push_back(tc.scaledH);
        for (std::size_t ty = 0; ty + 1 < ys.size(); ++ty)
            for (std::size_t tx = 0; tx + 1 < xs.size(); ++tx) {
                const Rect r{xs[tx], ys[ty], xs[tx + 1] - xs[tx], ys[ty + 1] - ys[ty]};
                const Image tile = Render(src, tc.scaledW, tc.scaledH, r);
                for (int y = 0; y < r.height; ++y)
                    for (int x = 0; x < r.width; ++x)
                        for (int c = 0; c < 4; ++c)
                            ASSERT_EQ(tile.At(x, y)[c], whole.At(r.x + x, r.y + y)[c])
                                << tc.scaledW << "x" << tc.scaledH << " tile at " << r.x << "," << r.y
                                << " pixel " << x << "," << y;
            }
    }
}

TEST(Resample, TransparentColoursDoNotBleedIntoOpaqueNeighbours) {
    // Opaque red with green or blue pixels that are fully transparent,
    // alone and as a block at the edge.
    Image src = Filled(12, 10, 0, 0, 255, 255);
    for (auto [x, y] : {std::pair{3, 3}, std::pair{8, 6}, std::pair{0, 9}}) SetPixel(src, x, y, 0, 255, 0, 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 12; ++x) SetPixel(src, x, y, 255, 0, 0, 0);
    const std::pair<int, int> sizes[] = {{96, 80}, {5, 4}, {30, 7}, {7, 30}, {12, 31}};
    for (auto [sw, sh] : sizes) {
        const Image out = RenderWhole(src, sw, sh);
        int seen = 0;
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x) {
                const std::uint8_t* p = out.At(x, y);
                if (p[3] == 0) {
                    EXPECT_EQ(p[0] | p[1] | p[2], 0) << "transparent pixels are written as zeros";
                    continue;
                }
                ++seen;
                ASSERT_EQ(p[0], 0) << sw << "x" << sh << " at " << x << "," << y;
                ASSERT_EQ(p[1], 0) << sw << "x" << sh << " at " << x << "," << y;
                ASSERT_EQ(p[2], 255) << sw << "x" << sh << " at " << x << "," << y;
            }
        EXPECT_GT(seen, sw * sh / 2);
    }
}

TEST(Resample, ShrinkingAFineCheckerboardGivesGreyNotAliasing) {
    Image src(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const std::uint8_t v = (x + y) % 2 ? 255 : 0;
            SetPixel(src, x, y, v, v, v, 255);
        }
    const std::pair<int, int> sizes[] = {{16, 16}, {15, 13}, {21, 64}, {64, 10}};
    for (auto [sw, sh] : sizes) {
        const Image out = RenderWhole(src, sw, sh);
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x) {
                // The outermost pixels see the kernel cut off by the picture's edge.
                const bool edge = x == 0 || y == 0 || x == sw - 1 || y == sh - 1;
                ASSERT_NEAR(out.At(x, y)[0], 127.5, edge ? 16 : 3) << sw << "x" << sh << " at " << x << "," << y;
            }
    }
}

TEST(Resample, GrowingAStepStaysMonotonicWithSmallOvershoot) {
    struct Step {
        std::uint8_t low, high;
    };
    for (const Step s : {Step{0, 255}, Step{64, 192}, Step{192, 64}})
        for (int scaledW : {32, 61, 128}) {
            Image src(16, 2);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 16; ++x) {
                    const std::uint8_t v = x < 8 ? s.low : s.high;
                    SetPixel(src, x, y, v, v, v, 255);
                }
            const Image out = RenderWhole(src, scaledW, 4);
            const int lo = std::min(s.low, s.high), hi = std::max(s.low, s.high);
            const int overshoot = (hi - lo) / 10;
            const int sign = s.high > s.low ? 1 : -1;
            int ripples = 0;  // runs of steps against the edge's direction
            bool against = false;
            for (int x = 0; x < scaledW; ++x) {
                const int v = out.At(x, 1)[0];
                ASSERT_GE(v, lo - overshoot) << scaledW << " at " << x;
                ASSERT_LE(v, hi + overshoot) << scaledW << " at " << x;
                const int step = x > 0 ? sign * (v - out.At(x - 1, 1)[0]) : 0;
                if (step < 0 && !against) ++ripples;
                if (step != 0) against = step < 0;
            }
            EXPECT_EQ(out.At(0, 1)[0], s.low);
            EXPECT_EQ(out.At(scaledW - 1, 1)[0], s.high);
            // One ripple each side of the edge at most.
            EXPECT_LE(ripples, 2) << int(s.low) << "->" << int(s.high) << " at " << scaledW;
        }
}

// A 24-bit source is read as opaque: the same bytes as the 32-bit picture
// with every alpha 255, at every kind of scale and from either row order.
TEST(Resample, TwentyFourBitSourcesMatchOpaqueThirtyTwoBit) {
    Image opaque = Textured(53, 41);
    std::vector<std::uint8_t> bgr(3 * std::size_t(53) * 41);
    for (std::size_t i = 0, j = 0; i < opaque.px.size(); i += 4, j += 3) {
        opaque.px[i + 3] = 255;
        std::memcpy(&bgr[j], &opaque.px[i], 3);
    }
    struct Case {
        int scaledW, scaledH;
        Rect region;
    };
    const Case cases[] = {
        {53, 41, {3, 4, 20, 10}}, {13, 10, {0, 0, 13, 10}}, {400, 300, {100, 50, 64, 80}}, {80, 20, {5, 2, 70, 17}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scaledW << "x" << c.scaledH);
        const Image expected = Render(opaque, c.scaledW, c.scaledH, c.region);
        for (bool bottomUp : {false, true}) {
            const std::ptrdiff_t stride = bottomUp ? -3 * 53 : 3 * 53;
            const std::uint8_t* top = bgr.data();
            std::vector<std::uint8_t> flipped;
            if (bottomUp) {
                // Row 0 at the highest address.
                flipped.resize(bgr.size());
                for (int y = 0; y < 41; ++y) std::memcpy(&flipped[std::size_t(40 - y) * 159], &bgr[std::size_t(y) * 159], 159);
                top = flipped.data() + std::size_t(40) * 159;
            }
            Image out(c.region.width, c.region.height);
            ASSERT_EQ(ResampleRegion(top, stride, 53, 41, c.scaledW, c.scaledH, c.region, out.px.data(),
                                     4 * c.region.width, PixelFormat24bppRGB),
                      Ok);
            EXPECT_EQ(out.px, expected.px) << (bottomUp ? "bottom-up" : "top-down");
        }
    }
    Image out(1, 1);
    EXPECT_EQ(ResampleRegion(bgr.data(), 159, 53, 41, 10, 10, Rect{0, 0, 1, 1}, out.px.data(), 4,
                             PixelFormat8bppIndexed),
              InvalidParameter);
}

TEST(Resample, MemoryFollowsTheRegionNotTheScaledPicture) {
    static const Image src = Textured(6000, 4000);
    struct Case {
        int scaledW, scaledH;
        Rect region;
    };
    const Case cases[] = {
        {48000, 32000, {23500, 15600, 1000, 700}},  // 800 %
        {1000, 666, {0, 0, 1000, 666}},             // fitted to a window
        {12000, 8000, {0, 7300, 1000, 700}},        // 200 %, bottom edge
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> out(4 * std::size_t(c.region.width) * c.region.height);
        gAllocated = 0;
        gCounting = true;
        const Status status = ResampleRegion(src.px.data(), 4 * src.w, src.w, src.h, c.scaledW, c.scaledH, c.region,
                                             out.data(), 4 * c.region.width);
        gCounting = false;
        EXPECT_EQ(status, Ok);
        EXPECT_LT(gAllocated.load(), 4u << 20) << c.scaledW << "x" << c.scaledH;
    }
}

struct BadCase {
    const char* what;
    bool nullSrc = false, nullDst = false;
    int srcW = 8, srcH = 8, scaledW = 16, scaledH = 16;
    Rect region{0, 0, 4, 4};
    std::ptrdiff_t srcStride = 32, dstStride = 16;
};

TEST(Resample, BadArgumentsAreInvalidParameter) {
    const BadCase cases[] = {
        {.what = "null source", .nullSrc = true},
        {.what = "null target", .nullDst = true},
        {.what = "empty source", .srcW = 0},
        {.what = "negative source height", .srcH = -1},
        {.what = "source too large", .srcW = 1 << 15, .srcH = (1 << 13) + 1, .srcStride = 4 << 15},
        {.what = "zero scaled width", .scaledW = 0},
        {.what = "negative scaled height", .scaledH = -16},
        {.what = "empty region", .region = {0, 0, 0, 4}},
        {.what = "region left of the picture", .region = {-1, 0, 4, 4}},
        {.what = "region past the right edge", .region = {13, 0, 4, 4}},
        {.what = "region past the bottom", .region = {0, 15, 4, 2}},
        {.what = "region end overflows", .region = {INT_MAX - 1, 0, 4, 4}},
        {.what = "short source stride", .srcStride = 31},
        {.what = "short negative source stride", .srcStride = -31},
        {.what = "short target stride", .dstStride = 15},
    };
    std::vector<std::uint8_t> src(32 * 8, 7), dst(16 * 4, 0xAB);
    for (const BadCase& c : cases) {
        EXPECT_EQ(ResampleRegion(c.nullSrc ? nullptr : src.data(), c.srcStride, c.srcW, c.srcH, c.scaledW, c.scaledH,
                                 c.region, c.nullDst ? nullptr : dst.data(), c.dstStride),
                  InvalidParameter)
            << c.what;
    }
    EXPECT_TRUE(std::all_of(dst.begin(), dst.end(), [](std::uint8_t b) { return b == 0xAB; }));
}

}  // namespace
