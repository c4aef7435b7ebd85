// Every 16-bit shortcut against the plain division, over its whole range.
#include "engine/ExactDivision.h"

#include <gtest/gtest.h>

namespace {

using namespace sketch_kernels;

TEST(ExactDivision, Div255MatchesDivisionUpTo65279) {
    for (unsigned x = 0; x <= 65279; ++x) ASSERT_EQ(Div255(static_cast<u16>(x)), x / 255) << x;
}

TEST(ExactDivision, Div255BoundIsTight) {
    // So that nobody widens its use silently.
    EXPECT_NE(Div255(65280), 65280 / 255);
}

TEST(ExactDivision, Div128ProductMatchesForEveryDarknessAndPositiveLaplacian) {
    for (unsigned darkness = 0; darkness <= 255; ++darkness)
        for (unsigned lap = 0; lap <= 1020; ++lap)
            ASSERT_EQ(Div128Product(static_cast<u16>(darkness), static_cast<u16>(lap)), darkness * lap / 128)
                << darkness << " * " << lap;
}

TEST(ExactDivision, Div3MatchesUpTo32767) {
    for (unsigned x = 0; x <= 32767; ++x) ASSERT_EQ(Div3(static_cast<u16>(x)), x / 3) << x;
    EXPECT_NE(Div3(32768), 32768 / 3);  // the bound is tight
}

TEST(ExactDivision, MergeGreyMatchesForEveryTripleOfBytes) {
    for (unsigned r = 0; r <= 255; ++r)
        for (unsigned g = 0; g <= 255; ++g)
            for (unsigned b = 0; b <= 255; ++b)
                ASSERT_EQ(MergeGrey(static_cast<u16>(r), static_cast<u16>(g), static_cast<u16>(b)),
                          (306 * r + 601 * g + 117 * b) >> 10)
                    << r << ", " << g << ", " << b;
}

}  // namespace
