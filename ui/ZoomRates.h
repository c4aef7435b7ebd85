// The eight zoom rates in thousandths, indexed by the zoom box's item; 0 fits
// the whole picture into the view.
#pragma once

#include <array>
#include <cstdint>

inline constexpr std::array<std::uint32_t, 8> ZoomRates = {250, 500, 750, 1000, 2000, 4000, 8000, 0};
inline constexpr int kZoomItem100 = 3;
inline constexpr const char* kZoomFitText = "全体表示";

// The item whose rate equals `rate`, or the 100 % item.
constexpr int ZoomItemForRate(std::uint32_t rate) {
    for (int i = 0; i < static_cast<int>(ZoomRates.size()); ++i)
        if (ZoomRates[i] == rate) return i;
    return kZoomItem100;
}

// The rate of an item; 1000 when no item (or an unknown one) is selected.
constexpr std::uint32_t RateForZoomItem(int item) {
    return item >= 0 && item < static_cast<int>(ZoomRates.size()) ? ZoomRates[item] : 1000;
}
