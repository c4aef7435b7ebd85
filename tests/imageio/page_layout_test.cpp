// The page layout: margins kept, centred, never cut, turned only to grow,
// on both papers and in both units the callers use.
#include <gtest/gtest.h>

#include <cmath>

#include "imageio/PageLayout.h"

namespace {

constexpr double kEps = 1e-9;

// Every property the layout promises, for one result.
void ExpectWellPlaced(const PageLayout& l, int w, int h, double margin) {
    const PageRect& a = l.printable;
    const PageRect& p = l.placed;
    // Never cut: inside the printable area less the margin.
    EXPECT_GE(p.x, a.x + margin - kEps);
    EXPECT_GE(p.y, a.y + margin - kEps);
    EXPECT_LE(p.x + p.width, a.x + a.width - margin + kEps);
    EXPECT_LE(p.y + p.height, a.y + a.height - margin + kEps);
    // Centred.
    EXPECT_NEAR(p.x - a.x, a.x + a.width - (p.x + p.width), 1e-6);
    EXPECT_NEAR(p.y - a.y, a.y + a.height - (p.y + p.height), 1e-6);
    // Proportions kept, turned or not, and one side fills the room.
    const double across = l.turned ? h : w, down = l.turned ? w : h;
    EXPECT_NEAR(p.width, across * l.scale, 1e-6 * p.width);
    EXPECT_NEAR(p.height, down * l.scale, 1e-6 * p.height);
    const bool fillsWidth = std::abs(p.width - (a.width - 2 * margin)) < 1e-6;
    const bool fillsHeight = std::abs(p.height - (a.height - 2 * margin)) < 1e-6;
    EXPECT_TRUE(fillsWidth || fillsHeight);
}

TEST(PageLayout, FitsPicturesOnBothPapers) {
    const double margin = FromMillimetres(kPageMarginMm, kPointsPerInch);
    struct Case {
        int w, h;
        bool turned;  // on the portrait page
    };
    const Case cases[] = {
        {3000, 4000, false}, {4000, 3000, true}, {1000, 1000, false},  // a tie stays upright
        {1, 1, false},       {1, 10000, false},  {10000, 1, true},
        {2100, 2970, false}, {2971, 2100, true}, {16384, 3, true},
    };
    for (const PaperSize& paper : kPaperSizes)
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(paper.name) + " " + std::to_string(c.w) + "x" + std::to_string(c.h));
            auto layout = LayOutPicture(c.w, c.h, paper, kPointsPerInch, margin);
            ASSERT_TRUE(layout.has_value());
            EXPECT_EQ(layout->turned, c.turned);
            ExpectWellPlaced(*layout, c.w, c.h, margin);
            // The PDF's view: a landscape page for a turned picture, upright.
            const PageLayout upright = Upright(*layout);
            EXPECT_FALSE(upright.turned);
            EXPECT_EQ(upright.page.width > upright.page.height, c.turned);
            ExpectWellPlaced(upright, c.w, c.h, margin);
        }
}

TEST(PageLayout, PaperSizesInPoints) {
    struct Case {
        const char* name;
        double w, h;
    };
    for (const Case c : {Case{"A4", 595.2756, 841.8898}, Case{"a4", 595.2756, 841.8898}, Case{"LETTER", 612, 792}}) {
        const PaperSize* paper = FindPaperSize(c.name);
        ASSERT_NE(paper, nullptr) << c.name;
        EXPECT_NEAR(FromMillimetres(paper->widthMm, kPointsPerInch), c.w, 1e-3) << c.name;
        EXPECT_NEAR(FromMillimetres(paper->heightMm, kPointsPerInch), c.h, 1e-3) << c.name;
    }
    EXPECT_EQ(FindPaperSize("A3"), nullptr);
    EXPECT_EQ(FindPaperSize(""), nullptr);
}

// A printer: a printable area off the sheet's centre, in 600-dpi pixels.
TEST(PageLayout, PrinterAreaAndFixedOrientation) {
    const PageRect page{0, 0, 4960, 7016};
    const PageRect printable{100, 60, 4700, 6800};
    const double margin = FromMillimetres(kPageMarginMm, 600);
    auto turned = LayOutPicture(4000, 3000, page, printable, margin);
    ASSERT_TRUE(turned);
    EXPECT_TRUE(turned->turned);
    ExpectWellPlaced(*turned, 4000, 3000, margin);
    // The same layout seen on the turned page is the reflection, exactly.
    const PageLayout flipped = TurnPage(TurnPage(*turned));
    EXPECT_DOUBLE_EQ(flipped.placed.x, turned->placed.x);
    EXPECT_DOUBLE_EQ(flipped.placed.height, turned->placed.height);
    ExpectWellPlaced(TurnPage(*turned), 4000, 3000, margin);

    auto upright = LayOutPicture(4000, 3000, page, printable, margin, Turning::Never);
    ASSERT_TRUE(upright);
    EXPECT_FALSE(upright->turned);
    ExpectWellPlaced(*upright, 4000, 3000, margin);
    EXPECT_LT(upright->scale, turned->scale);
}

TEST(PageLayout, RefusesWhatCannotBePlaced) {
    const PageRect page{0, 0, 100, 100};
    EXPECT_FALSE(LayOutPicture(0, 10, page, page, 5));
    EXPECT_FALSE(LayOutPicture(10, -1, page, page, 5));
    EXPECT_FALSE(LayOutPicture(10, 10, page, page, 50));  // the margins meet
    EXPECT_FALSE(LayOutPicture(10, 10, page, page, -1));
    EXPECT_FALSE(LayOutPicture(10, 10, page, PageRect{0, 0, 0, 100}, 0));
    EXPECT_TRUE(LayOutPicture(10, 10, page, page, 0));
}

}  // namespace
