// The panel's stored values and the controls' states, mapped both ways:
// LineRemove is stored as eight times the slider position and read back
// divided by eight; positions outside a slider's range are clamped.
#pragma once

#include <cstdint>

#include "pipeline/SketchParameters.h"

struct PanelSettings {
    SketchParameters sketch;
    std::uint32_t viewRate = 1000;
};

struct StoredPanelSettings {
    std::uint32_t lineStrong, lineRemove, denoise, lineColor, frameColor, viewRate;
    std::uint32_t lineThicken = 0, speckRemove = 0;  // slider positions
};

// What the store holds on a first run.
StoredPanelSettings DefaultStoredPanelSettings();

PanelSettings PanelSettingsFromStore(const StoredPanelSettings& stored);
StoredPanelSettings PanelSettingsToStore(const PanelSettings& s);
