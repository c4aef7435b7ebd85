// The panel's stored values and the controls' states, mapped both ways:
// LineRemove is stored as eight times the slider position and read back
// divided by eight; positions outside a slider's range are clamped.
#pragma once

#include <cstdint>

struct PanelSettings {
    int lineStrong = 3;  // 1..11
    int lineRemove = 0;  // 0..10
    bool denoise = false;
    std::uint32_t lineColor = 0x800000;
    std::uint32_t frameColor = 0xFFFFFF;
    std::uint32_t viewRate = 1000;
};

struct StoredPanelSettings {
    std::uint32_t lineStrong, lineRemove, denoise, lineColor, frameColor, viewRate;
};

PanelSettings PanelSettingsFromStore(std::uint32_t lineStrong, std::uint32_t lineRemove, std::uint32_t denoise,
                                     std::uint32_t lineColor, std::uint32_t frameColor, std::uint32_t viewRate);
StoredPanelSettings PanelSettingsToStore(const PanelSettings& s);
