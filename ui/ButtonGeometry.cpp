#include "ui/ButtonGeometry.h"

#include <algorithm>

namespace buttons {

namespace {

constexpr int kSwatchInset = 3;
constexpr int kIconGap = 2;  // space between the face's left edge and the icon
constexpr unsigned kDarkSumLimit = 382;
constexpr std::uint32_t kGreyCap = 246;

}  // namespace

Rect SwatchRect(Rect face) {
    return {face.left + kSwatchInset, face.top + kSwatchInset, face.right - kSwatchInset,
            face.bottom - kSwatchInset};
}

bool ShowsSwatch(bool enabled, std::uint32_t color) {
    return enabled && color != kNoColor;
}

Ink ColorCaptionInk(bool enabled, std::uint32_t color) {
    if (!enabled) return Ink::GrayText;
    if (color == kNoColor) return Ink::ButtonText;
    const unsigned sum = (color & 0xFF) + ((color >> 8) & 0xFF) + ((color >> 16) & 0xFF);
    return sum <= kDarkSumLimit ? Ink::White : Ink::Black;
}

Point ColorCaptionOrigin(Rect swatch, Size text) {
    return {swatch.left + (swatch.right - text.width - swatch.left + 1) / 2,
            swatch.top + (swatch.bottom - text.height - swatch.top + 1) / 2};
}

IconTextLayout LayoutIconText(Size client, Size icon, Size text) {
    const int margin = (client.height - icon.height) / 2;
    const int iconRight = margin + kIconGap + icon.width;
    return {{margin + kIconGap, margin},
            {iconRight + (client.width - iconRight - text.width) / 2,
             (client.height - text.height) / 2}};
}

Ink IconCaptionInk(bool enabled) {
    return enabled ? Ink::ButtonText : Ink::GrayText;
}

void GreyForDisabled(std::span<std::uint8_t> bgra, std::uint32_t faceColor) {
    const std::uint32_t faceR = faceColor & 0xFF;
    const std::uint32_t faceG = (faceColor >> 8) & 0xFF;
    const std::uint32_t faceB = (faceColor >> 16) & 0xFF;
    std::uint8_t* p = bgra.data();
    const std::size_t count = bgra.size() / 4;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t b = p[4 * i];
        const std::uint32_t g = p[4 * i + 1];
        const std::uint32_t r = p[4 * i + 2];
        const std::uint32_t grey = g * 59 / 100 + r * 30 / 100 + b * 11 / 100;
        // Unsigned on purpose: a face channel below the grey wraps to a huge
        // value and the cap turns it into 246.
        p[4 * i] = static_cast<std::uint8_t>(std::min(grey + 2 * (faceB - grey) / 3, kGreyCap));
        p[4 * i + 1] = static_cast<std::uint8_t>(std::min(grey + 2 * (faceG - grey) / 3, kGreyCap));
        p[4 * i + 2] = static_cast<std::uint8_t>(std::min(grey + 2 * (faceR - grey) / 3, kGreyCap));
    }
}

}  // namespace buttons
