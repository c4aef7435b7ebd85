// Layout, ink and greying rules of the panel's two drawn buttons, kept free
// of any toolkit type so they can be checked without a display.
//
// Rectangles use half-open edges (right and bottom lie just outside), and
// every division truncates toward zero, so captions wider than their space
// start left of centre by the same pixel as on the other platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace buttons {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Colour value: red in the low byte, then green, then blue.
inline constexpr std::uint32_t kNoColor = 0xFFFFFFFF;

// Which ink a caption is drawn with; the toolkit maps the system ones.
enum class Ink { ButtonText, GrayText, White, Black };

// Colour button: the area inside the face that shows the colour.
Rect SwatchRect(Rect face);

// Colour button: whether the swatch is filled at all.
bool ShowsSwatch(bool enabled, std::uint32_t color);

// Colour button: white on dark colours (r + g + b <= 382), black on light
// ones; the system inks when disabled or without a colour.
Ink ColorCaptionInk(bool enabled, std::uint32_t color);

// Colour button: top-left corner of a caption of the given extent, centred
// on the swatch (rounding toward the bottom right).
Point ColorCaptionOrigin(Rect swatch, Size text);

// Image-text button: the icon sits at the left, vertically centred; the
// caption is centred in the space right of the icon.
struct IconTextLayout {
    Point icon;
    Point text;
};
IconTextLayout LayoutIconText(Size client, Size icon, Size text);

// Image-text button: caption ink for the enabled and disabled states.
Ink IconCaptionInk(bool enabled);

// Disabled look of an icon, in place on B,G,R,A bytes: each pixel's grey
// moves two thirds toward the face colour's channel, capped at 246 (a grey
// above the face channel wraps and lands on the cap). Alpha is kept.
void GreyForDisabled(std::span<std::uint8_t> bgra, std::uint32_t faceColor);

}  // namespace buttons
