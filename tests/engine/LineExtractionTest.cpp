#include "engine/LineExtraction.h"

#include <algorithm>
#include <cstdint>
#include <random>
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

// Output at the centre of a 3 x 3 plane whose corners equal the centre.
int CentreResponse(int p, int n, int w, int e, int so, int strength, int threshold) {
    const Plane in = {static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(p),
                      static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(e),
                      static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(so), static_cast<std::uint8_t>(p)};
    Plane out(9, 0x5A);
    ExtractLines(in.data(), out.data(), 3, 3, strength, threshold);
    return out[4];
}

struct Response {
    int p, n, w, e, so, strength, threshold, expected;
};

TEST(ExtractLines, WorkedExamples) {
    const Response cases[] = {
        {0, 255, 255, 255, 255, 3, 0, 0},       // v = 2032, clamped
        {200, 210, 210, 210, 210, 3, 16, 238},  // v = 17 passes t = 16
        {200, 210, 210, 210, 210, 3, 32, 255},  // v = 17 removed by t = 32
        {200, 210, 210, 210, 210, 11, 16, 193}, // 17 * 11 / 3 = 62
        {210, 200, 200, 200, 200, 3, 0, 255},   // light beside dark: no line
        {128, 255, 128, 128, 128, 5, 0, 45},
        {60, 200, 60, 60, 60, 1, 16, 184},
        {100, 110, 105, 95, 90, 3, 0, 255},     // lap = 0
        // Consequences: negative responses end white at any threshold and
        // strength, a white centre never draws, s = 3 passes v unchanged.
        {210, 0, 0, 0, 0, 11, 0, 255},
        {210, 0, 0, 0, 0, 1, 160, 255},
        {255, 255, 255, 255, 0, 11, 0, 255},
        {250, 255, 255, 255, 255, 3, 0, 255 - 5 * 20 / 128},
        {240, 255, 255, 255, 255, 3, 0, 255 - 15 * 60 / 128},
    };
    for (const Response& c : cases) {
        SCOPED_TRACE(testing::Message() << "p " << c.p << " s " << c.strength << " t " << c.threshold);
        EXPECT_EQ(CentreResponse(c.p, c.n, c.w, c.e, c.so, c.strength, c.threshold), c.expected);
    }
}

// The output depends only on the centre and the sum of its four neighbours,
// so one tile per (centre, neighbour sum) covers every input of the filter.
// Tiles are 3 x 3: centre row  x p x, neighbours above and below, corners p.
Plane EveryCentreAndNeighbourSum(int& width, int& height) {
    constexpr int kSums = 1021;
    width = 3 * kSums;
    height = 3 * 256;
    Plane plane(static_cast<std::size_t>(width) * height);
    for (int p = 0; p < 256; ++p)
        for (int sum = 0; sum < kSums; ++sum) {
            int left = sum;
            int part[4];
            for (int& v : part) {
                v = std::min(left, 255);
                left -= v;
            }
            const std::uint8_t tile[3][3] = {
                {std::uint8_t(p), std::uint8_t(part[0]), std::uint8_t(p)},
                {std::uint8_t(part[1]), std::uint8_t(p), std::uint8_t(part[2])},
                {std::uint8_t(p), std::uint8_t(part[3]), std::uint8_t(p)}};
            for (int dy = 0; dy < 3; ++dy)
                for (int dx = 0; dx < 3; ++dx)
                    plane[static_cast<std::size_t>(3 * p + dy) * width + 3 * sum + dx] = tile[dy][dx];
        }
    return plane;
}

TEST(ExtractLines, MatchesReferenceOnEveryInputForEveryStrengthAndThreshold) {
    int width = 0, height = 0;
    const Plane in = EveryCentreAndNeighbourSum(width, height);
    Plane expected(in.size()), actual(in.size());
    for (int strength = 1; strength <= 11; ++strength)
        for (int removal = 0; removal <= 10; ++removal) {
            SCOPED_TRACE(testing::Message() << "strength " << strength << " removal " << removal);
            reference::ExtractLines(in.data(), expected.data(), width, height, strength, removal * 16);
            ExtractLines(in.data(), actual.data(), width, height, strength, removal * 16);
            ASSERT_TRUE(SameInterior(expected, actual, width, height));
        }
}

// Each of the five samples a pixel reads takes every value while the other
// four are random: catches a tap read from the wrong place.
TEST(ExtractLines, EveryValueInEveryTap) {
    constexpr int kTaps = 5, kTiles = kTaps * 256;
    const int width = 3 * kTiles, height = 3;
    std::mt19937 rng(5);
    Plane in(static_cast<std::size_t>(width) * height);
    for (auto& v : in) v = static_cast<std::uint8_t>(rng() & 0xFF);
    // Tap offsets from a tile's centre (1, 1): centre, above, left, right, below.
    const int taps[kTaps][2] = {{0, 0}, {0, -1}, {-1, 0}, {1, 0}, {0, 1}};
    for (int tap = 0; tap < kTaps; ++tap)
        for (int value = 0; value < 256; ++value) {
            const int tile = tap * 256 + value;
            in[(1 + taps[tap][1]) * width + 3 * tile + 1 + taps[tap][0]] = static_cast<std::uint8_t>(value);
        }
    Plane expected(in.size()), actual(in.size());
    for (int strength = 1; strength <= 11; ++strength)
        for (int removal = 0; removal <= 10; ++removal) {
            reference::ExtractLines(in.data(), expected.data(), width, height, strength, removal * 16);
            ExtractLines(in.data(), actual.data(), width, height, strength, removal * 16);
            ASSERT_TRUE(SameInterior(expected, actual, width, height))
                << "strength " << strength << " removal " << removal;
        }
}

TEST(ExtractLines, ParametersOutsideTheSlidersStillFollowTheFormula) {
    const Plane in = MakePlane(37, 11, Texture::Uniform, 7);
    const struct {
        int strength, threshold;
    } cases[] = {{0, 0}, {-2, 0}, {16, 0}, {17, 0}, {33, 0}, {1000, 16}, {3, -16}, {3, 2032}, {3, 2033}, {11, 1 << 30}};
    Plane expected(in.size()), actual(in.size());
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "strength " << c.strength << " threshold " << c.threshold);
        reference::ExtractLines(in.data(), expected.data(), 37, 11, c.strength, c.threshold);
        ExtractLines(in.data(), actual.data(), 37, 11, c.strength, c.threshold);
        EXPECT_TRUE(SameInterior(expected, actual, 37, 11));
    }
}

class ExtractLinesSizes : public testing::TestWithParam<Size> {};

// Odd widths leave vector tails; wide rows cross every unrolled step.
TEST_P(ExtractLinesSizes, MatchesReferenceAndKeepsTheRing) {
    const auto [width, height] = GetParam();
    for (Texture texture : {Texture::Uniform, Texture::FewLevels, Texture::Smooth}) {
        const Plane in = MakePlane(width, height, texture, static_cast<unsigned>(width * 131 + height));
        for (int strength = 1; strength <= 11; ++strength)
            for (int removal = 0; removal <= 10; ++removal) {
                Plane expected(in.size(), 0x5A), actual(in.size(), 0x5A);
                reference::ExtractLines(in.data(), expected.data(), width, height, strength, removal * 16);
                ExtractLines(in.data(), actual.data(), width, height, strength, removal * 16);
                ASSERT_TRUE(SameInterior(expected, actual, width, height, /*wholePlane=*/true))
                    << width << " x " << height << " strength " << strength << " removal " << removal;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Planes, ExtractLinesSizes,
                         testing::Values(Size{1, 1}, Size{2, 2}, Size{1, 9}, Size{9, 1}, Size{2, 17}, Size{17, 2},
                                         Size{3, 3}, Size{4, 3}, Size{3, 5}, Size{17, 3}, Size{31, 7}, Size{33, 9},
                                         Size{34, 4}, Size{64, 5}, Size{67, 6}, Size{130, 3}, Size{1027, 4}));

// A plane with something drawn on a background, and what the filter gives.
struct Shape {
    const char* name;
    int background, ink;
    int left, top, size;  // ink square on a 9 x 9 background
    int strength;
    // Expected output for pixels: inside the ink's ring, on its edges, at its
    // corners, touching it from outside, elsewhere.
    int inside, edge, corner, touching, elsewhere;
};

int Classify(const Shape& s, int x, int y, const Shape& expect) {
    const bool inInk = x >= s.left && x < s.left + s.size && y >= s.top && y < s.top + s.size;
    if (inInk) {
        const bool onX = x == s.left || x == s.left + s.size - 1;
        const bool onY = y == s.top || y == s.top + s.size - 1;
        if (onX && onY) return expect.corner;
        if (onX || onY) return expect.edge;
        return expect.inside;
    }
    const bool nextX = (x == s.left - 1 || x == s.left + s.size) && y >= s.top && y < s.top + s.size;
    const bool nextY = (y == s.top - 1 || y == s.top + s.size) && x >= s.left && x < s.left + s.size;
    return nextX || nextY ? expect.touching : expect.elsewhere;
}

TEST(ExtractLines, ShapesOnPlainBackgrounds) {
    const Shape shapes[] = {
        // A single black pixel is its own corner: 0; its neighbours stay white.
        {"black dot", 255, 0, 4, 4, 1, 3, 0, 0, 0, 255, 255},
        // 5 x 5 black square: edges lap 255 (v 508), corners lap 510 (v 1016).
        {"black square s2", 255, 0, 2, 2, 5, 2, 255, 0, 0, 255, 255},
        {"black square s11", 255, 0, 2, 2, 5, 11, 255, 0, 0, 255, 255},
        {"black square s1", 255, 0, 2, 2, 5, 1, 255, 255 - 169, 0, 255, 255},
        // A white dot on black stays white; its four neighbours turn dark.
        {"white dot", 0, 255, 4, 4, 1, 3, 255, 255, 255, 0, 255},
    };
    for (const Shape& s : shapes) {
        SCOPED_TRACE(s.name);
        Plane in(81, static_cast<std::uint8_t>(s.background));
        for (int y = s.top; y < s.top + s.size; ++y)
            for (int x = s.left; x < s.left + s.size; ++x) in[y * 9 + x] = static_cast<std::uint8_t>(s.ink);
        Plane out(81, 0x5A);
        ExtractLines(in.data(), out.data(), 9, 9, s.strength, 0);
        for (int y = 1; y < 8; ++y)
            for (int x = 1; x < 8; ++x) EXPECT_EQ(out[y * 9 + x], Classify(s, x, y, s)) << x << ", " << y;
    }
}

TEST(ExtractLines, FlatPlanesGiveWhiteWhateverTheParameters) {
    for (int value : {0, 1, 127, 254, 255})
        for (int strength : {1, 3, 11})
            for (int removal : {0, 10}) {
                const Plane in(7 * 5, static_cast<std::uint8_t>(value));
                Plane out(in.size(), 0);
                ExtractLines(in.data(), out.data(), 7, 5, strength, removal * 16);
                for (int y = 1; y < 4; ++y)
                    for (int x = 1; x < 6; ++x) ASSERT_EQ(out[y * 7 + x], 255) << value << " s " << strength;
            }
}

}  // namespace
