#include "ui/PanelSettings.h"

#include <algorithm>

namespace {

// Stored numbers are 32-bit patterns; a slider reads them as signed.
int Clamp(std::uint32_t stored, int lo, int hi) {
    return std::clamp(static_cast<int>(static_cast<std::int32_t>(stored)), lo, hi);
}

}  // namespace

PanelSettings PanelSettingsFromStore(std::uint32_t lineStrong, std::uint32_t lineRemove, std::uint32_t denoise,
                                     std::uint32_t lineColor, std::uint32_t frameColor, std::uint32_t viewRate) {
    PanelSettings s;
    s.lineStrong = Clamp(lineStrong, 1, 11);
    s.lineRemove = Clamp(lineRemove / 8, 0, 10);
    s.denoise = denoise != 0;
    s.lineColor = lineColor;
    s.frameColor = frameColor;
    s.viewRate = viewRate;
    return s;
}

StoredPanelSettings PanelSettingsToStore(const PanelSettings& s) {
    return {static_cast<std::uint32_t>(s.lineStrong), static_cast<std::uint32_t>(s.lineRemove * 8),
            s.denoise ? 1u : 0u, s.lineColor, s.frameColor, s.viewRate};
}
