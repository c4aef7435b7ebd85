#include "engine/SketchGeneration.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "tests/engine/Planes.h"
#include "tests/reference/SketchReference.h"

namespace {

using engine_test::MakePlane;
using engine_test::Plane;
using engine_test::SameInterior;
using engine_test::Size;
using engine_test::Texture;

constexpr Colour kDarkBlue = 0x800000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr std::uint8_t kGuard = 0x5A;

// A 32-bit B,G,R,opacity picture in a buffer with padded rows, stored top-down
// or bottom-up; the padding holds kGuard.
struct Source {
    int width, height;
    std::ptrdiff_t stride;
    std::vector<std::uint8_t> bytes;
    std::uint8_t* first;

    Source(int w, int h, int padding, bool bottomUp)
        : width(w), height(h), stride(4 * w + padding), bytes(static_cast<std::size_t>(stride) * h, kGuard) {
        first = bottomUp ? bytes.data() + (h - 1) * stride : bytes.data();
        if (bottomUp) stride = -stride;
    }
    std::uint8_t* At(int x, int y) { return first + y * stride + 4 * x; }
    void Set(int x, int y, int b, int g, int r, int a) {
        std::uint8_t* p = At(x, y);
        p[0] = std::uint8_t(b), p[1] = std::uint8_t(g), p[2] = std::uint8_t(r), p[3] = std::uint8_t(a);
    }
};

// The same for 24-bit B,G,R destinations.
struct Sketch {
    int width, height;
    std::ptrdiff_t stride;
    int padding;
    std::vector<std::uint8_t> bytes;
    std::uint8_t* first;

    Sketch(int w, int h, int pad = 0, bool bottomUp = false)
        : width(w), height(h), stride(3 * w + pad), padding(pad),
          bytes(static_cast<std::size_t>(stride) * h, kGuard) {
        first = bottomUp ? bytes.data() + (h - 1) * stride : bytes.data();
        if (bottomUp) stride = -stride;
    }
    const std::uint8_t* At(int x, int y) const { return first + y * stride + 3 * x; }
    // Pixel as 0xRRGGBB, to compare with Colour constants.
    Colour Pixel(int x, int y) const {
        const std::uint8_t* p = At(x, y);
        return Colour{p[2]} | Colour{p[1]} << 8 | Colour{p[0]} << 16;
    }
    bool PaddingUntouched() const {
        for (int y = 0; y < height; ++y)
            for (int k = 0; k < padding; ++k)
                if (At(width, y)[k] != kGuard) return false;
        return true;
    }
    // Rows in top-down order, without padding.
    std::vector<std::uint8_t> Rows() const {
        std::vector<std::uint8_t> rows;
        for (int y = 0; y < height; ++y) rows.insert(rows.end(), At(0, y), At(width, y));
        return rows;
    }
};

struct Planes {
    int width, height;
    Plane red, green, blue;
    Planes(int w, int h) : width(w), height(h), red(std::size_t(w) * h), green(red), blue(red) {}
};

Planes ColourPlanesOf(const Source& src) {
    Planes planes(src.width, src.height);
    BuildColourPlanes(src.first, src.stride, src.width, src.height, planes.red.data(), planes.green.data(),
                      planes.blue.data());
    return planes;
}

// The work buffers start with garbage: the result must not depend on them.
Plane Grey(const Planes& p, bool noise, int strength, int removal, std::uint8_t garbage = 0x77) {
    const std::size_t size = p.red.size();
    Plane filterInput(size, garbage), redLines(size, garbage), greenLines(size, garbage), blueLines(size, garbage);
    Plane grey(size, garbage);
    MakeGreyPlane(p.red.data(), p.green.data(), p.blue.data(), p.width, p.height, noise, strength, removal,
                  filterInput.data(), redLines.data(), greenLines.data(), blueLines.data(), grey.data());
    return grey;
}

Plane ReferenceGrey(const Planes& p, bool noise, int strength, int removal) {
    const std::size_t size = p.red.size();
    Plane filterInput(size), redLines(size), greenLines(size), blueLines(size), grey(size);
    reference::MakeGreyPlane(p.red.data(), p.green.data(), p.blue.data(), p.width, p.height, noise, strength,
                             removal, filterInput.data(), redLines.data(), greenLines.data(), blueLines.data(),
                             grey.data());
    return grey;
}

Sketch SketchOf(const Source& src, bool noise = false, int strength = 3, int removal = 0, Colour line = kDarkBlue,
                Colour frame = kWhite) {
    const Planes planes = ColourPlanesOf(src);
    const Plane grey = Grey(planes, noise, strength, removal);
    Sketch sketch(src.width, src.height);
    PaintSketch(grey.data(), src.width, src.height, line, frame, sketch.first, sketch.stride);
    return sketch;
}

// --- BuildColourPlanes

TEST(BuildColourPlanes, EveryChannelValueAtEveryOpacity) {
    Source src(256, 256, 0, false);
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c) src.Set(c, a, c, 255 - c, c ^ 0x5A, a);
    const Planes planes = ColourPlanesOf(src);
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c) {
            const std::size_t i = std::size_t(a) * 256 + c;
            ASSERT_EQ(planes.blue[i], 255 - ((255 - c) * a) / 255) << c << " at " << a;
            ASSERT_EQ(planes.green[i], 255 - (c * a) / 255) << c << " at " << a;
            ASSERT_EQ(planes.red[i], 255 - ((255 - (c ^ 0x5A)) * a) / 255) << c << " at " << a;
        }
}

// Opaque 24-bit rows split into the planes that compositing gives at full
// opacity: every channel value in every position, on padded bottom-up rows.
TEST(SplitColourPlanes, EqualsCompositingAtFullOpacity) {
    const int w = 256, h = 3;
    Source opaque(w, h, 0, false);
    std::vector<std::uint8_t> bgr(std::size_t(3 * w + 5) * h, kGuard);
    const std::ptrdiff_t stride = -(3 * w + 5);
    std::uint8_t* first = bgr.data() + (h - 1) * (3 * w + 5);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int b = x, g = (x + 85 * y) & 0xFF, r = 255 - x;
            opaque.Set(x, y, b, g, r, 255);
            std::uint8_t* px = first + y * stride + 3 * x;
            px[0] = std::uint8_t(b), px[1] = std::uint8_t(g), px[2] = std::uint8_t(r);
        }
    const Planes expected = ColourPlanesOf(opaque);
    Planes split(w, h);
    SplitColourPlanes(first, stride, w, h, split.red.data(), split.green.data(), split.blue.data());
    EXPECT_EQ(split.red, expected.red);
    EXPECT_EQ(split.green, expected.green);
    EXPECT_EQ(split.blue, expected.blue);
}

TEST(BuildColourPlanes, WorkedExamples) {
    const struct {
        int b, g, r, a;
        int blue, green, red;
    } cases[] = {
        {0, 0, 0, 128, 127, 127, 127},       // black at half opacity
        {0, 0, 200, 64, 255 - 255 * 64 / 255, 255 - 255 * 64 / 255, 242},
        {10, 20, 30, 255, 10, 20, 30},       // opaque keeps its colour
        {10, 20, 30, 0, 255, 255, 255},      // transparent is white
    };
    for (const auto& c : cases) {
        Source src(1, 1, 0, false);
        src.Set(0, 0, c.b, c.g, c.r, c.a);
        const Planes planes = ColourPlanesOf(src);
        EXPECT_EQ(planes.blue[0], c.blue);
        EXPECT_EQ(planes.green[0], c.green);
        EXPECT_EQ(planes.red[0], c.red);
    }
}

TEST(BuildColourPlanes, AnyStrideAndWidthMatchesReference) {
    const struct {
        int width, height, padding;
        bool bottomUp;
    } cases[] = {{1, 1, 0, false}, {2, 3, 4, true},   {3, 2, 0, true},    {31, 5, 12, false},
                 {33, 4, 0, true}, {67, 3, 8, false}, {129, 7, 20, true}, {1000, 2, 4, false}};
    for (const auto& c : cases) {
        Source src(c.width, c.height, c.padding, c.bottomUp);
        const Plane noise = MakePlane(4 * c.width, c.height, Texture::Uniform, unsigned(c.width));
        for (int y = 0; y < c.height; ++y) std::memcpy(src.At(0, y), &noise[4 * c.width * y], 4 * c.width);
        const Planes actual = ColourPlanesOf(src);
        Planes expected(c.width, c.height);
        reference::BuildColourPlanes(src.first, src.stride, c.width, c.height, expected.red.data(),
                                     expected.green.data(), expected.blue.data());
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_EQ(actual.red, expected.red);
        EXPECT_EQ(actual.green, expected.green);
        EXPECT_EQ(actual.blue, expected.blue);
    }
}

// --- MakeGreyPlane

class MakeGreyPlaneSizes : public testing::TestWithParam<Size> {};

// Heights below 9 take the staged path with noise removal; 9 and above the
// fused one. Only the interior of grey is the result.
TEST_P(MakeGreyPlaneSizes, MatchesReferenceForEveryParameter) {
    const auto [width, height] = GetParam();
    for (Texture texture : {Texture::Uniform, Texture::Smooth}) {
        Planes planes(width, height);
        planes.red = MakePlane(width, height, texture, 1u + unsigned(width));
        planes.green = MakePlane(width, height, texture, 2u + unsigned(height));
        planes.blue = MakePlane(width, height, texture, 3u);
        for (bool noise : {false, true})
            for (int strength = 1; strength <= 11; ++strength)
                for (int removal = 0; removal <= 10; ++removal)
                    ASSERT_TRUE(SameInterior(ReferenceGrey(planes, noise, strength, removal),
                                             Grey(planes, noise, strength, removal), width, height))
                        << width << " x " << height << (noise ? " noise" : "") << " strength " << strength
                        << " removal " << removal;
    }
}

INSTANTIATE_TEST_SUITE_P(Planes, MakeGreyPlaneSizes,
                         testing::Values(Size{1, 1}, Size{2, 2}, Size{3, 3}, Size{5, 2}, Size{3, 12}, Size{17, 8},
                                         Size{17, 9}, Size{33, 10}, Size{31, 11}, Size{64, 13}, Size{67, 17},
                                         Size{1027, 9}));

TEST(MakeGreyPlane, ResultDoesNotDependOnTheWorkBuffers) {
    Planes planes(41, 23);
    planes.red = MakePlane(41, 23, Texture::Smooth, 1);
    planes.green = MakePlane(41, 23, Texture::Uniform, 2);
    planes.blue = MakePlane(41, 23, Texture::FewLevels, 3);
    for (bool noise : {false, true})
        EXPECT_TRUE(SameInterior(Grey(planes, noise, 5, 2, 0x00), Grey(planes, noise, 5, 2, 0xFF), 41, 23));
}

// --- Bands of rows

// Rows 0..rows split into `bands` bands of uneven heights.
std::vector<int> BandEdges(int rows, int bands) {
    std::vector<int> edges{0};
    for (int b = 1; b < bands; ++b) edges.push_back(rows * b / bands + (b % 2));
    edges.push_back(rows);
    for (std::size_t i = 1; i < edges.size(); ++i) edges[i] = std::max(edges[i], edges[i - 1]);
    return edges;
}

// Each band with its own scratch full of rubbish, run last band first: any
// split gives the reference's interior, and a band writes only its rows.
TEST_P(MakeGreyPlaneSizes, BandsOfRowsGiveTheWholePlane) {
    const auto [width, height] = GetParam();
    Planes planes(width, height);
    planes.red = MakePlane(width, height, Texture::Uniform, 7u + unsigned(width));
    planes.green = MakePlane(width, height, Texture::Smooth, 8u);
    planes.blue = MakePlane(width, height, Texture::FewLevels, 9u + unsigned(height));
    ASSERT_TRUE(GreyRowsSupported(11));
    for (bool noise : {false, true})
        for (int strength : {1, 3, 11})
            for (int removal : {0, 4, 10})
                for (int bands : {1, 2, 3, 5, std::max(height, 1)}) {
                    SCOPED_TRACE(testing::Message() << (noise ? "noise " : "") << strength << "/" << removal << ", "
                                                    << bands << " bands");
                    const std::vector<int> edges = BandEdges(height, bands);
                    Plane grey(planes.red.size(), 0x77);
                    for (int b = bands - 1; b >= 0; --b) {
                        Plane scratch(GreyRowsScratchBytes(width), std::uint8_t(0x33 * b));
                        MakeGreyRows(planes.red.data(), planes.green.data(), planes.blue.data(), width, height,
                                     noise, strength, removal, scratch.data(), edges[b], edges[b + 1],
                                     grey.data());
                    }
                    ASSERT_TRUE(SameInterior(ReferenceGrey(planes, noise, strength, removal), grey, width, height));
                }
    // One band leaves every other row as it was.
    if (height >= 5) {
        Plane grey(planes.red.size(), 0x77);
        Plane scratch(GreyRowsScratchBytes(width));
        MakeGreyRows(planes.red.data(), planes.green.data(), planes.blue.data(), width, height, true, 3, 0,
                     scratch.data(), 2, 3, grey.data());
        for (int y = 0; y < height; ++y) {
            if (y == 2) continue;
            for (int x = 0; x < width; ++x) ASSERT_EQ(grey[std::size_t(y) * width + x], 0x77) << x << ", " << y;
        }
    }
}

TEST(PaintSketchRows, AnySplitGivesTheWholePicture) {
    const struct {
        int width, height, padding;
        bool bottomUp;
    } cases[] = {{1, 1, 1, false}, {5, 1, 0, false}, {2, 7, 0, false}, {3, 3, 1, false}, {37, 6, 2, false},
                 {40, 17, 3, true}};
    for (const auto& c : cases) {
        const Plane grey = MakePlane(c.width, c.height, Texture::Uniform, unsigned(c.width * c.height));
        Sketch whole(c.width, c.height, c.padding, c.bottomUp);
        PaintSketch(grey.data(), c.width, c.height, 0x123456, 0x332211, whole.first, whole.stride);
        for (int bands : {1, 2, 3, c.height}) {
            SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", " << bands << " bands");
            const std::vector<int> edges = BandEdges(c.height, bands);
            Sketch banded(c.width, c.height, c.padding, c.bottomUp);
            for (int b = bands - 1; b >= 0; --b)
                PaintSketchRows(grey.data(), c.width, c.height, 0x123456, 0x332211, banded.first, banded.stride,
                                edges[b], edges[b + 1]);
            EXPECT_EQ(banded.Rows(), whole.Rows());
            EXPECT_TRUE(banded.PaddingUntouched());
        }
    }
}

// --- PaintSketch

TEST(PaintSketch, EveryGreyValueForSeveralLineColours) {
    // One interior row holding grey 0..255, on a 258 x 3 picture.
    const int width = 258, height = 3;
    Plane grey(std::size_t(width) * height, 0);
    for (int g = 0; g < 256; ++g) grey[width + 1 + g] = std::uint8_t(g);
    for (Colour line : {kDarkBlue, Colour{0}, kWhite, Colour{0x123456}, Colour{0xFF00FF}}) {
        Sketch expected(width, height), actual(width, height);
        reference::PaintSketch(grey.data(), width, height, line, 0x0A0B0C, expected.first, expected.stride);
        PaintSketch(grey.data(), width, height, line, 0x0A0B0C, actual.first, actual.stride);
        EXPECT_EQ(actual.Rows(), expected.Rows()) << std::hex << line;
    }
}

TEST(PaintSketch, WorkedTints) {
    const struct {
        int grey;
        Colour line, expected;
    } cases[] = {{255, kDarkBlue, kWhite}, {0, kDarkBlue, kDarkBlue}, {128, kDarkBlue, 0xC08080}, {0, 0, 0}};
    for (const auto& c : cases) {
        Plane grey(9, std::uint8_t(c.grey));
        Sketch sketch(3, 3);
        PaintSketch(grey.data(), 3, 3, c.line, kWhite, sketch.first, sketch.stride);
        EXPECT_EQ(sketch.Pixel(1, 1), c.expected) << "grey " << c.grey;
    }
}

// Frame in a colour whose bytes differ, on strides of every kind, for shapes
// with and without an interior.
TEST(PaintSketch, FrameIsExactlyTheOuterRingAndPaddingIsNeverWritten) {
    const Colour frame = 0x332211;
    const struct {
        int width, height, padding;
        bool bottomUp;
    } cases[] = {{1, 1, 1, false}, {1, 5, 3, true}, {5, 1, 0, false}, {2, 2, 2, true},  {2, 7, 0, false},
                 {3, 3, 1, false}, {9, 4, 3, true}, {37, 6, 2, false}, {40, 5, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const Plane grey(std::size_t(c.width) * c.height, 0);
        Sketch sketch(c.width, c.height, c.padding, c.bottomUp);
        PaintSketch(grey.data(), c.width, c.height, kDarkBlue, frame, sketch.first, sketch.stride);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const bool ring = x == 0 || y == 0 || x == c.width - 1 || y == c.height - 1;
                ASSERT_EQ(sketch.Pixel(x, y), ring ? frame : kDarkBlue) << x << ", " << y;
            }
        EXPECT_TRUE(sketch.PaddingUntouched());
    }
}

TEST(PaintSketch, BottomUpRowsReceiveTheSamePicture) {
    const Plane grey = MakePlane(35, 9, Texture::Uniform, 5);
    Sketch topDown(35, 9, 0, false), bottomUp(35, 9, 3, true);
    PaintSketch(grey.data(), 35, 9, 0x123456, 0xABCDEF, topDown.first, topDown.stride);
    PaintSketch(grey.data(), 35, 9, 0x123456, 0xABCDEF, bottomUp.first, bottomUp.stride);
    EXPECT_EQ(topDown.Rows(), bottomUp.Rows());
}

// --- The three stages together

TEST(Sketch, BlackDotOnWhite) {
    Source src(3, 3, 0, false);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) src.Set(x, y, 255, 255, 255, 255);
    src.Set(1, 1, 0, 0, 0, 255);
    const Sketch plain = SketchOf(src);
    EXPECT_EQ(plain.Pixel(1, 1), kDarkBlue);
    const Sketch cleaned = SketchOf(src, /*noise=*/true);
    EXPECT_EQ(cleaned.Pixel(1, 1), kWhite);
    for (const Sketch* s : {&plain, &cleaned})
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) {
                if (x != 1 || y != 1) {
                    EXPECT_EQ(s->Pixel(x, y), kWhite);
                }
            }
}

// Transparent or flat pictures have no lines, whatever the parameters.
TEST(Sketch, PicturesWithoutContoursGiveWhitePaperAndFrame) {
    const struct {
        const char* name;
        int b, g, r, a;
    } pictures[] = {{"transparent", 12, 200, 90, 0}, {"flat red", 0, 0, 255, 255}, {"flat grey", 80, 80, 80, 255}};
    for (const auto& p : pictures) {
        Source src(12, 10, 4, true);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x) src.Set(x, y, p.b, p.g, p.r, p.a);
        for (bool noise : {false, true})
            for (int strength : {1, 11})
                for (int removal : {0, 10}) {
                    const Sketch sketch = SketchOf(src, noise, strength, removal, kDarkBlue, 0);
                    for (int y = 0; y < 10; ++y)
                        for (int x = 0; x < 12; ++x) {
                            const bool ring = x == 0 || y == 0 || x == 11 || y == 9;
                            ASSERT_EQ(sketch.Pixel(x, y), ring ? 0u : kWhite) << p.name << " " << x << ", " << y;
                        }
                }
    }
}

TEST(Sketch, OnlyTheTintFollowsTheLineColour) {
    Source src(20, 14, 0, false);
    const Plane noise = MakePlane(4 * 20, 14, Texture::Smooth, 9);
    std::memcpy(src.bytes.data(), noise.data(), noise.size());
    const Planes planes = ColourPlanesOf(src);
    const Plane grey = Grey(planes, true, 4, 1);
    EXPECT_TRUE(SameInterior(grey, Grey(planes, true, 4, 1, 0x00), 20, 14));  // repeatable
    for (Colour line : {kDarkBlue, Colour{0x00FF00}}) {
        Sketch expected(20, 14), actual(20, 14);
        reference::PaintSketch(grey.data(), 20, 14, line, kWhite, expected.first, expected.stride);
        PaintSketch(grey.data(), 20, 14, line, kWhite, actual.first, actual.stride);
        EXPECT_EQ(actual.Rows(), expected.Rows());
    }
}

}  // namespace
