#include "engine/NoiseRemoval.h"

#include <array>
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

using Nine = std::array<std::uint8_t, 9>;

// Lays out neighbourhoods as 3 x 3 tiles side by side, in three rows.
Plane Tiles(const std::vector<Nine>& tiles) {
    const int width = 3 * static_cast<int>(tiles.size());
    Plane plane(static_cast<std::size_t>(width) * 3);
    for (std::size_t t = 0; t < tiles.size(); ++t)
        for (int k = 0; k < 9; ++k) plane[(k / 3) * width + 3 * t + k % 3] = tiles[t][k];
    return plane;
}

// Runs both filters; checks the whole plane against the reference and
// returns the engine's output.
Plane CheckedAgainstReference(const Plane& in, int width, int height) {
    Plane expected(in.size(), 0x5A), actual(in.size(), 0xA5);
    reference::RemoveNoise(in.data(), expected.data(), width, height);
    RemoveNoise(in.data(), actual.data(), width, height);
    EXPECT_TRUE(SameInterior(expected, actual, width, height, /*wholePlane=*/true)) << width << " x " << height;
    return actual;
}

TEST(RemoveNoise, WorkedExamples) {
    const struct {
        Nine samples;
        int median;
    } cases[] = {
        {{255, 255, 255, 255, 0, 255, 255, 255, 255}, 255},  // speck removed
        {{10, 200, 30, 40, 50, 60, 70, 80, 90}, 60},
        {{0, 0, 0, 255, 255, 255, 255, 255, 255}, 255},      // just below a dark area
    };
    for (const auto& c : cases) {
        Plane out(9, 0);
        RemoveNoise(c.samples.data(), out.data(), 3, 3);
        EXPECT_EQ(out[4], c.median);
    }
}

// Built from min and max only, the network is right for all inputs once it
// is right for every 0/1 input; every input over {0, 1, 2} covers that and
// every pattern of ties.
TEST(RemoveNoise, EveryNeighbourhoodOverThreeLevels) {
    std::vector<Nine> tiles;
    for (int code = 0; code < 19683; ++code) {
        Nine n{};
        for (int k = 0, c = code; k < 9; ++k, c /= 3) n[k] = static_cast<std::uint8_t>(c % 3);
        tiles.push_back(n);
    }
    const Plane in = Tiles(tiles);
    CheckedAgainstReference(in, 3 * static_cast<int>(tiles.size()), 3);
}

TEST(RemoveNoise, EveryValueInEveryPosition) {
    std::mt19937 rng(11);
    for (int round = 0; round < 4; ++round) {
        std::vector<Nine> tiles;
        for (int position = 0; position < 9; ++position)
            for (int value = 0; value < 256; ++value) {
                Nine n{};
                for (auto& s : n) s = static_cast<std::uint8_t>(rng() & 0xFF);
                n[position] = static_cast<std::uint8_t>(value);
                tiles.push_back(n);
            }
        CheckedAgainstReference(Tiles(tiles), 3 * static_cast<int>(tiles.size()), 3);
    }
}

class RemoveNoiseSizes : public testing::TestWithParam<Size> {};

// Widths around the column-sort chunk (1024 outputs) and vector tails.
TEST_P(RemoveNoiseSizes, MatchesReference) {
    const auto [width, height] = GetParam();
    for (Texture texture : {Texture::Uniform, Texture::FewLevels, Texture::Smooth})
        CheckedAgainstReference(MakePlane(width, height, texture, static_cast<unsigned>(width + 7 * height)), width,
                                height);
}

INSTANTIATE_TEST_SUITE_P(Planes, RemoveNoiseSizes,
                         testing::Values(Size{1, 1}, Size{2, 1}, Size{1, 2}, Size{2, 2}, Size{2, 9}, Size{9, 2},
                                         Size{3, 3}, Size{4, 3}, Size{3, 4}, Size{33, 5}, Size{63, 7}, Size{65, 9},
                                         Size{1025, 3}, Size{1026, 4}, Size{1027, 3}, Size{2051, 3},
                                         Size{2053, 5}));

// Shapes on a 9 x 9 white plane and the rows that must come out dark.
TEST(RemoveNoise, LinesEdgesAndFlatAreas) {
    const struct {
        const char* name;
        int darkFrom, darkTo;      // dark rows [from, to) across the whole width
        int keptFrom, keptTo;      // dark rows expected after filtering
    } cases[] = {
        {"one-pixel line vanishes", 4, 5, 0, 0},
        {"two-pixel line stays", 4, 6, 4, 6},
        {"step edge stays", 5, 9, 5, 9},
        {"flat white stays", 0, 0, 0, 0},
        {"flat dark stays", 0, 9, 0, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Plane in(81, 255);
        for (int y = c.darkFrom; y < c.darkTo; ++y)
            for (int x = 0; x < 9; ++x) in[y * 9 + x] = 20;
        const Plane out = CheckedAgainstReference(in, 9, 9);
        for (int y = 1; y < 8; ++y)
            for (int x = 1; x < 8; ++x)
                EXPECT_EQ(out[y * 9 + x], y >= c.keptFrom && y < c.keptTo ? 20 : 255) << x << ", " << y;
    }
}

TEST(RemoveNoise, ThinPlanesAreCopied) {
    for (const Size s : {Size{1, 1}, Size{1, 6}, Size{6, 1}, Size{2, 2}, Size{2, 7}, Size{7, 2}}) {
        const Plane in = MakePlane(s.width, s.height, Texture::Uniform, 3);
        Plane out(in.size(), 0);
        RemoveNoise(in.data(), out.data(), s.width, s.height);
        EXPECT_EQ(out, in) << s.width << " x " << s.height;
    }
}

}  // namespace
