// The finishing stages on the grey plane: worked examples of line
// thickening and speck removal, and both proven against the pixel-by-pixel
// definitions on random planes of every kind.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/LineThickening.h"
#include "engine/SpeckRemoval.h"
#include "tests/engine/Planes.h"
#include "tests/reference/SketchReference.h"

namespace {

using engine_test::MakePlane;
using engine_test::Plane;
using engine_test::SameInterior;
using engine_test::Size;
using engine_test::Texture;

// A plane drawn as text: '.' paper (255), '#' a line (0), digits d a shade
// d * 28; the outer ring is whatever the text says.
Plane Draw(const std::vector<std::string>& rows) {
    Plane p;
    for (const std::string& row : rows)
        for (char c : row) p.push_back(c == '.' ? 255 : c == '#' ? 0 : static_cast<std::uint8_t>((c - '0') * 28));
    return p;
}

Plane Thickened(Plane plane, int width, int height, int radius) {
    std::vector<std::uint8_t> scratch(LineThickeningScratchBytes(width, radius) + 1);
    ThickenLines(plane.data(), width, height, radius, scratch.data());
    return plane;
}

Plane Despeckled(Plane plane, int width, int height, int minArea) {
    std::vector<std::uint8_t> scratch(SpeckRemovalScratchBytes(width, height) + 1);
    RemoveSpecks(plane.data(), width, height, minArea, scratch.data());
    return plane;
}

struct Worked {
    const char* name;
    int parameter;  // radius or minimum area
    std::vector<std::string> before, after;
};

class Thickening : public testing::TestWithParam<Worked> {};

TEST_P(Thickening, GrowsLinesByTheDisc) {
    const Worked& c = GetParam();
    const int w = static_cast<int>(c.before[0].size()), h = static_cast<int>(c.before.size());
    EXPECT_TRUE(SameInterior(Draw(c.after), Thickened(Draw(c.before), w, h, c.parameter), w, h, true));
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, Thickening,
    testing::Values(
        Worked{"OnePixelLineByOne", 1,
               {".........", ".........", ".........", "..#####..", ".........", ".........", "........."},
               {".........", ".........", "..#####..", ".#######.", "..#####..", ".........", "........."}},
        // Radius 2: the disc's rows reach 2, 1 and 0 pixels sideways.
        Worked{"OnePixelLineByTwo", 2,
               {"...........", "...........", "...........", "...........", "....###....", "...........",
                "...........", "...........", "..........."},
               {"...........", "...........", "....###....", "...#####...", "..#######..", "...#####...",
                "....###....", "...........", "..........."}},
        // The darkest value in reach wins; the frame ring is neither read nor written.
        Worked{"DarkestShadeWinsAndTheFrameStays", 1,
               {"#######", "#.....#", "#..3..#", "#...7.#", "#.....#", "#######"},
               {"#######", "#..3..#", "#.333.#", "#..377#", "#...7.#", "#######"}},
        Worked{"ClippedAtTheInteriorEdge", 1,
               {"......", ".#....", "......", "......", "....#.", "......"},
               {"......", ".##...", ".#....", "....#.", "...##.", "......"}},
        Worked{"RadiusZeroLeavesThePlane", 0, {".....", ".#3..", ".....", "....."},
               {".....", ".#3..", ".....", "....."}}),
    [](const auto& info) { return std::string(info.param.name); });

class Specks : public testing::TestWithParam<Worked> {};

TEST_P(Specks, RemovesSmallGroupsOnly) {
    const Worked& c = GetParam();
    const int w = static_cast<int>(c.before[0].size()), h = static_cast<int>(c.before.size());
    EXPECT_TRUE(SameInterior(Draw(c.after), Despeckled(Draw(c.before), w, h, c.parameter), w, h, true));
}

// Area 4 (step 1): groups of 1..3 pixels go, 4 and more stay.
INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, Specks,
    testing::Values(
        Worked{"OneBelowTheAreaGoes", 4, {"........", ".##.....", ".#......", "........"},
               {"........", "........", "........", "........"}},
        Worked{"AtTheAreaStays", 4, {"........", ".##.....", ".##.....", "........"},
               {"........", ".##.....", ".##.....", "........"}},
        Worked{"OneAboveTheAreaStays", 4, {"........", ".###....", ".##.....", "........"},
               {"........", ".###....", ".##.....", "........"}},
        // Diagonal neighbours join a group: these four pixels are one group.
        Worked{"DiagonalsJoin", 4, {"........", ".#......", "..#.....", "...#....", "....#...", "........"},
               {"........", ".#......", "..#.....", "...#....", "....#...", "........"}},
        // A one-pixel speck touching a long line is part of the line.
        Worked{"SpeckTouchingALineStays", 4,
               {"..........", "..#.......", ".########.", "..........", "......#...", ".........."},
               {"..........", "..#.......", ".########.", "..........", "..........", ".........."}},
        // Shades at or above the level are no line pixels: they neither join
        // groups nor go with them. 8 * 28 = 224 is the level; 7 * 28 is a
        // line pixel and joins the group above it.
        Worked{"ShadesAtTheLevelNeitherJoinNorGo", 4,
               {"..........", ".#8#8#....", ".7........", "..........", ".....8....", ".........."},
               {"..........", "..8.8.....", "..........", "..........", ".....8....", ".........."}},
        // Groups are counted inside the frame only: the dark ring joins nothing.
        Worked{"TheFrameJoinsNothing", 4, {"#######", "##....#", "#.....#", "#.....#", "#######"},
               {"#######", "#.....#", "#.....#", "#.....#", "#######"}},
        // A U whose arms meet only in a later row: both arms are one group of 5.
        Worked{"ArmsJoinedBelow", 5, {".......", ".#...#.", ".#...#.", ".#####.", "......."},
               {".......", ".#...#.", ".#...#.", ".#####.", "......."}},
        Worked{"OffLeavesThePlane", 0, {".....", ".#...", "....."}, {".....", ".#...", "....."}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpeckArea, DoublesEachStepFromFourToTwoThousand) {
    EXPECT_EQ(SpeckAreaForStep(0), 0);
    EXPECT_EQ(SpeckAreaForStep(1), 4);
    EXPECT_EQ(SpeckAreaForStep(2), 8);
    EXPECT_EQ(SpeckAreaForStep(10), 2048);
}

struct RandomCase {
    Size size;
    Texture texture;
};

class FinishingMatchesDefinition : public testing::TestWithParam<RandomCase> {};

// Random planes pulled towards paper so that groups of every size occur.
Plane SparsePlane(const RandomCase& c, unsigned seed) {
    Plane p = MakePlane(c.size.width, c.size.height, c.texture, seed);
    for (std::uint8_t& v : p) v = v > 150 ? 255 : v;
    return p;
}

TEST_P(FinishingMatchesDefinition, ThickeningAtEveryRadius) {
    const RandomCase& c = GetParam();
    const int w = c.size.width, h = c.size.height;
    for (int radius = 0; radius <= kMaxThickenRadius; ++radius) {
        const Plane in = SparsePlane(c, 7 + radius);
        Plane expected = in;
        reference::ThickenLines(expected.data(), w, h, radius);
        EXPECT_TRUE(SameInterior(expected, Thickened(in, w, h, radius), w, h, true)) << "radius " << radius;
    }
}

TEST_P(FinishingMatchesDefinition, SpeckRemovalAtEveryStep) {
    const RandomCase& c = GetParam();
    const int w = c.size.width, h = c.size.height;
    for (int step = 0; step <= 10; ++step) {
        const Plane in = SparsePlane(c, 40 + step);
        Plane expected = in;
        reference::RemoveSpecks(expected.data(), w, h, SpeckAreaForStep(step));
        EXPECT_TRUE(SameInterior(expected, Despeckled(in, w, h, SpeckAreaForStep(step)), w, h, true))
            << "step " << step;
    }
}

// Widths around the 8-pixel words of the run scan and tiny planes whose
// interior is a single row, column or pixel, or nothing.
INSTANTIATE_TEST_SUITE_P(Sizes, FinishingMatchesDefinition,
                         testing::Values(RandomCase{{1, 1}, Texture::Uniform}, RandomCase{{2, 5}, Texture::Uniform},
                                         RandomCase{{3, 3}, Texture::FewLevels},
                                         RandomCase{{3, 40}, Texture::Uniform},
                                         RandomCase{{40, 3}, Texture::FewLevels},
                                         RandomCase{{9, 9}, Texture::Smooth}, RandomCase{{10, 17}, Texture::Uniform},
                                         RandomCase{{17, 10}, Texture::FewLevels},
                                         RandomCase{{66, 31}, Texture::Smooth},
                                         RandomCase{{131, 97}, Texture::Uniform},
                                         RandomCase{{257, 120}, Texture::FewLevels}));

}  // namespace
