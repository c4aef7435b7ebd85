// Zoom arithmetic of the view: which rate a picture is shown at, its shown
// size, and the percentage in the status bar. Plain integer functions so
// the rules can be checked without a display.
#pragma once

#include <cstdint>
#include <string>

struct DisplaySize {
    std::uint32_t cx = 0, cy = 0;
    friend bool operator==(const DisplaySize&, const DisplaySize&) = default;
};

// The rate for zoom item `item` (-1: none) of a w x h picture in a view whose
// client area is cw x ch. Fitting never enlarges beyond 100 %.
std::uint32_t EffectiveRate(int item, std::uint32_t w, std::uint32_t h, std::uint32_t cw, std::uint32_t ch);

// The picture's size at `rate`, each side truncated (and at most INT32_MAX).
DisplaySize ScaledSize(std::uint32_t w, std::uint32_t h, std::uint32_t rate);

// The percentage shown for a rate, rounded half up.
constexpr std::uint32_t RatePercent(std::uint32_t rate) { return (rate + 5) / 10; }

// The decimal number at the start of a text, 0 when there is none.
std::uint32_t LeadingNumber(const std::string& text);
