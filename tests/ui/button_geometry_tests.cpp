// Layout, caption ink and disabled-icon greying of the drawn buttons.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

#include "ui/ButtonGeometry.h"

namespace buttons {
void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
void PrintTo(const Rect& r, std::ostream* os) {
    *os << "[" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
}  // namespace buttons

namespace {

using buttons::Ink;

constexpr std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}

struct Bgra {
    std::uint8_t b, g, r, a;
    friend bool operator==(const Bgra&, const Bgra&) = default;
    friend void PrintTo(const Bgra& p, std::ostream* os) {
        *os << "BGRA(" << +p.b << ", " << +p.g << ", " << +p.r << ", " << +p.a << ")";
    }
};

Bgra Grey(Bgra pixel, std::uint32_t face) {
    std::array<std::uint8_t, 4> bytes{pixel.b, pixel.g, pixel.r, pixel.a};
    buttons::GreyForDisabled(bytes, face);
    return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

TEST(GreyForDisabled, KnownPixels) {
    struct Case {
        const char* what;
        Bgra in;
        std::uint32_t face;
        Bgra out;
    };
    const Case cases[] = {
        {"black on a light face", {0, 0, 0, 255}, Rgb(240, 240, 240), {160, 160, 160, 255}},
        {"grey 240 equals the face", {242, 242, 242, 255}, Rgb(240, 240, 240), {240, 240, 240, 255}},
        {"grey 241 is above the face", {243, 243, 243, 255}, Rgb(240, 240, 240), {246, 246, 246, 255}},
        {"white is grey 254", {255, 255, 255, 255}, Rgb(240, 240, 240), {246, 246, 246, 255}},
        {"black face, grey above 0", {0, 0, 4, 255}, Rgb(0, 0, 0), {246, 246, 246, 255}},
        {"black face, grey 0", {1, 1, 1, 255}, Rgb(0, 0, 0), {0, 0, 0, 255}},
        {"alpha kept", {0, 0, 0, 0}, Rgb(240, 240, 240), {160, 160, 160, 0}},
        {"half alpha kept", {255, 255, 255, 128}, Rgb(240, 240, 240), {246, 246, 246, 128}},
        // Red 200 alone is grey 60; each channel moves toward its own face
        // value, which shows any mix-up of the byte order.
        {"channels kept apart", {0, 0, 200, 255}, Rgb(240, 100, 30), {246, 86, 180, 255}},
        {"blue weighs 11 %", {100, 0, 0, 255}, Rgb(255, 255, 255), {173, 173, 173, 255}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Grey(c.in, c.face), c.out) << c.what;
    }
}

// Every grey against every face value, checked against the signed reading of
// the rule: two thirds toward the face when the face is not below the grey,
// the cap otherwise.
TEST(GreyForDisabled, WrapRuleHoldsForAllGreysAndFaces) {
    std::vector<std::uint8_t> row;
    std::vector<int> greys;
    for (int x = 0; x < 256; ++x) {
        row.insert(row.end(), {std::uint8_t(x), std::uint8_t(x), std::uint8_t(x), 255});
        greys.push_back(x * 59 / 100 + x * 30 / 100 + x * 11 / 100);
    }
    for (int f = 0; f < 256; ++f) {
        std::vector<std::uint8_t> work = row;
        buttons::GreyForDisabled(work, Rgb(f, f, f));
        for (int x = 0; x < 256; ++x) {
            const int g = greys[x];
            const int expected = f >= g ? std::min(g + 2 * (f - g) / 3, 246) : 246;
            ASSERT_EQ(work[4 * x], expected) << "pixel " << x << " face " << f;
            ASSERT_EQ(work[4 * x + 1], expected) << "pixel " << x << " face " << f;
            ASSERT_EQ(work[4 * x + 2], expected) << "pixel " << x << " face " << f;
            ASSERT_EQ(work[4 * x + 3], 255);
        }
    }
}

TEST(GreyForDisabled, IgnoresATrailingPartialPixel) {
    std::vector<std::uint8_t> bytes{0, 0, 0, 255, 7, 7};
    buttons::GreyForDisabled(bytes, Rgb(240, 240, 240));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{160, 160, 160, 255, 7, 7}));
}

TEST(ColorButtonRules, CaptionInkAndSwatch) {
    struct Case {
        const char* what;
        bool enabled;
        std::uint32_t color;
        Ink ink;
        bool swatch;
    };
    const Case cases[] = {
        {"default line colour, sum 128", true, 0x800000, Ink::White, true},
        {"default frame colour, sum 765", true, 0xFFFFFF, Ink::Black, true},
        {"sum 382 is still dark", true, Rgb(127, 127, 128), Ink::White, true},
        {"sum 383 is light", true, Rgb(128, 127, 128), Ink::Black, true},
        {"black", true, 0, Ink::White, true},
        {"high byte alone is not 'no colour'", true, 0xFF000000, Ink::White, true},
        {"no colour", true, buttons::kNoColor, Ink::ButtonText, false},
        {"disabled hides the colour", false, 0xFFFFFF, Ink::GrayText, false},
        {"disabled without colour", false, buttons::kNoColor, Ink::GrayText, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(buttons::ColorCaptionInk(c.enabled, c.color), c.ink) << c.what;
        EXPECT_EQ(buttons::ShowsSwatch(c.enabled, c.color), c.swatch) << c.what;
    }
}

TEST(ColorButtonRules, CaptionCentredOnSwatch) {
    struct Case {
        const char* what;
        buttons::Rect face;
        buttons::Size text;
        buttons::Point origin;
    };
    const Case cases[] = {
        // Swatch 3..97 x 3..21.
        {"fits", {0, 0, 100, 24}, {40, 13}, {30, 6}},
        {"odd slack rounds toward the bottom right", {0, 0, 100, 24}, {41, 12}, {30, 6}},
        {"wider than the swatch truncates toward zero", {0, 0, 100, 24}, {100, 13}, {1, 6}},
        {"taller than the swatch", {0, 0, 100, 12}, {40, 14}, {30, 0}},
        {"offset face", {10, 20, 110, 44}, {40, 13}, {40, 26}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(buttons::SwatchRect(c.face),
                  (buttons::Rect{c.face.left + 3, c.face.top + 3, c.face.right - 3, c.face.bottom - 3}))
            << c.what;
        EXPECT_EQ(buttons::ColorCaptionOrigin(buttons::SwatchRect(c.face), c.text), c.origin) << c.what;
    }
}

TEST(ImageTextButtonRules, IconAtLeftCaptionCentredInTheRest) {
    struct Case {
        const char* what;
        buttons::Size client, icon, text;
        buttons::Point iconAt, textAt;
    };
    const Case cases[] = {
        {"18 high, 16 icon", {100, 18}, {16, 16}, {40, 13}, {3, 1}, {39, 2}},
        {"odd slack", {101, 19}, {16, 16}, {41, 14}, {3, 1}, {39, 2}},
        {"tall button", {100, 30}, {16, 16}, {40, 13}, {9, 7}, {42, 8}},
        {"caption overlaps the icon", {100, 18}, {16, 16}, {100, 13}, {3, 1}, {10, 2}},
        {"button lower than the icon", {100, 14}, {16, 16}, {40, 13}, {1, -1}, {38, 0}},
        {"no icon", {100, 18}, {0, 0}, {40, 13}, {11, 9}, {35, 2}},
    };
    for (const auto& c : cases) {
        const auto layout = buttons::LayoutIconText(c.client, c.icon, c.text);
        EXPECT_EQ(layout.icon, c.iconAt) << c.what;
        EXPECT_EQ(layout.text, c.textAt) << c.what;
    }
    EXPECT_EQ(buttons::IconCaptionInk(true), Ink::ButtonText);
    EXPECT_EQ(buttons::IconCaptionInk(false), Ink::GrayText);
}

}  // namespace
