// The view's zoom arithmetic and the panel's stored settings: plain
// functions, checked on the documented examples.
#include <gtest/gtest.h>

#include "app/DisplayZoom.h"
#include "app/ScrollSteps.h"
#include "ui/PanelSettings.h"
#include "ui/ZoomRates.h"

namespace {

TEST(DisplayZoom, RateAndSize) {
    struct Case {
        int item;
        std::uint32_t w, h, cw, ch;
        std::uint32_t rate;
        DisplaySize size;
        std::uint32_t percent;
    };
    const Case cases[] = {
        {7, 4000, 3000, 1000, 700, 233, {932, 699}, 23},  // fit: the smaller of 250 and 233
        {7, 300, 200, 1000, 700, 1000, {300, 200}, 100},  // fit never enlarges
        {7, 1000, 700, 1000, 700, 1000, {1000, 700}, 100},
        {7, 1001, 10, 1000, 700, 999, {999, 9}, 100},
        {2, 333, 100, 50, 50, 750, {249, 75}, 75},        // truncated, not rounded
        {-1, 640, 480, 10, 10, 1000, {640, 480}, 100},    // no selection: 100 %
        {8, 640, 480, 10, 10, 1000, {640, 480}, 100},
        {6, 640, 480, 10, 10, 8000, {5120, 3840}, 800},
        {0, 3, 3, 10, 10, 250, {0, 0}, 25},
        {7, 100000, 100, 10, 700, 0, {0, 0}, 0},          // rounds to 0 %
        {6, 1u << 28, 1, 10, 10, 8000, {INT32_MAX, 8}, 800},  // no overflow, at most an int
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "item " << c.item << " " << c.w << "x" << c.h);
        const std::uint32_t rate = EffectiveRate(c.item, c.w, c.h, c.cw, c.ch);
        EXPECT_EQ(rate, c.rate);
        EXPECT_EQ(ScaledSize(c.w, c.h, rate), c.size);
        EXPECT_EQ(RatePercent(rate), c.percent);
    }
}

TEST(DisplayZoom, PercentRoundsHalfUpAndPaneNumberIsRead) {
    EXPECT_EQ(RatePercent(233), 23u);
    EXPECT_EQ(RatePercent(235), 24u);
    EXPECT_EQ(RatePercent(4), 0u);
    EXPECT_EQ(LeadingNumber("75%"), 75u);
    EXPECT_EQ(LeadingNumber(""), 0u);
    EXPECT_EQ(LeadingNumber("x5"), 0u);
}

TEST(ZoomRates, ItemsAndRates) {
    EXPECT_EQ(ZoomItemForRate(0), 7);
    EXPECT_EQ(ZoomItemForRate(250), 0);
    EXPECT_EQ(ZoomItemForRate(8000), 6);
    EXPECT_EQ(ZoomItemForRate(1500), kZoomItem100);
    EXPECT_EQ(ZoomItemForRate(300), kZoomItem100);
    EXPECT_EQ(RateForZoomItem(-1), 1000u);
    EXPECT_EQ(RateForZoomItem(7), 0u);
}

TEST(ScrollSteps, PagesAndLinesOfTheDisplayedSize) {
    const struct {
        std::uint32_t cx, cy;
        ScrollSteps steps;
    } cases[] = {
        {48000, 32000, {480, 320, 4800, 3200}},  // 6000 x 4000 at 800 %
        {451, 300, {4, 3, 45, 30}},
        {9, 5, {1, 1, 1, 1}},  // never a step of nothing
        {0, 0, {1, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        const ScrollSteps s = ScrollStepsFor(c.cx, c.cy);
        EXPECT_EQ(s.lineX, c.steps.lineX) << c.cx;
        EXPECT_EQ(s.lineY, c.steps.lineY) << c.cy;
        EXPECT_EQ(s.pageX, c.steps.pageX) << c.cx;
        EXPECT_EQ(s.pageY, c.steps.pageY) << c.cy;
    }
}

// The position stays between the top and the last full view: the far end
// shows the picture's last pixels and nothing beyond.
TEST(ScrollSteps, PositionStopsAtTheFarEnd) {
    const struct {
        int position;
        long long delta;
        std::uint32_t range;
        int view;
        int expected;
    } cases[] = {
        {0, 3200, 32000, 700, 3200},        {31000, 3200, 32000, 700, 31300}, {31300, 1, 32000, 700, 31300},
        {100, -3200, 32000, 700, 0},        {0, 5, 500, 700, 0},              {0, -5, 500, 700, 0},
        {0, 1LL << 40, 48000, 1000, 47000}, {47000, -(1LL << 40), 48000, 1000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScrolledPosition(c.position, c.delta, c.range, c.view), c.expected)
            << c.position << " + " << c.delta << " in " << c.range << " / " << c.view;
}

TEST(PanelSettings, StoredValuesMapToControlsAndBack) {
    struct Case {
        std::uint32_t strong, remove;
        int expectStrong, expectRemove;
        std::uint32_t writtenStrong, writtenRemove;
    };
    const Case cases[] = {
        {3, 0, 3, 0, 3, 0},
        {40, 44, 11, 5, 11, 40},           // clamped; 44 / 8 = 5, written back as 40
        {0, 80, 1, 10, 1, 80},
        {0xFFFFFFFFu, 7, 1, 0, 1, 0},      // -1 clamps to the low end
        {5, 0xFFFFFFF8u, 5, 10, 5, 80},    // divided as unsigned, then clamped
    };
    for (const auto& c : cases) {
        const PanelSettings s = PanelSettingsFromStore({c.strong, c.remove, 2, 0x123456, 0, 300});
        EXPECT_EQ(s.sketch.strength, c.expectStrong);
        EXPECT_EQ(s.sketch.removal, c.expectRemove);
        EXPECT_TRUE(s.sketch.noiseRemoval);
        const StoredPanelSettings stored = PanelSettingsToStore(s);
        EXPECT_EQ(stored.lineStrong, c.writtenStrong);
        EXPECT_EQ(stored.lineRemove, c.writtenRemove);
        EXPECT_EQ(stored.denoise, 1u);
        EXPECT_EQ(stored.lineColor, 0x123456u);
    }
    // A first run stores the sketch defaults.
    const StoredPanelSettings first = DefaultStoredPanelSettings();
    EXPECT_EQ(first.lineStrong, 3u);
    EXPECT_EQ(first.lineRemove, 0u);
    EXPECT_EQ(first.denoise, 0u);
    EXPECT_EQ(first.lineColor, 0x800000u);
    EXPECT_EQ(first.frameColor, 0xFFFFFFu);
    EXPECT_EQ(first.viewRate, 1000u);
    EXPECT_EQ(first.lineThicken, 0u);
    EXPECT_EQ(first.speckRemove, 0u);
    // The finishing positions are stored as they are, clamped on the way in.
    StoredPanelSettings finishing = first;
    finishing.lineThicken = 7;
    finishing.speckRemove = 0xFFFFFFFFu;
    const PanelSettings read = PanelSettingsFromStore(finishing);
    EXPECT_EQ(read.sketch.thicken, 4);
    EXPECT_EQ(read.sketch.despeckle, 0);
    EXPECT_EQ(PanelSettingsToStore(read).lineThicken, 4u);
}

}  // namespace
