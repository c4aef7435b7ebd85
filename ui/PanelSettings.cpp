#include "ui/PanelSettings.h"

namespace {

// Stored numbers are 32-bit patterns; a slider reads them as signed.
int Clamp(std::uint32_t stored, const IntParameter& range) {
    return range.Clamp(static_cast<int>(static_cast<std::int32_t>(stored)));
}

constexpr std::uint32_t kRemovalScale = 8;

}  // namespace

StoredPanelSettings DefaultStoredPanelSettings() { return PanelSettingsToStore(PanelSettings{}); }

PanelSettings PanelSettingsFromStore(const StoredPanelSettings& stored) {
    PanelSettings s;
    s.sketch.strength = Clamp(stored.lineStrong, kLineStrength);
    s.sketch.removal = Clamp(stored.lineRemove / kRemovalScale, kLineRemoval);
    s.sketch.noiseRemoval = stored.denoise != 0;
    s.sketch.lineColour = stored.lineColor;
    s.sketch.frameColour = stored.frameColor;
    s.viewRate = stored.viewRate;
    s.sketch.thicken = Clamp(stored.lineThicken, kLineThicken);
    s.sketch.despeckle = Clamp(stored.speckRemove, kSpeckRemoval);
    return s;
}

StoredPanelSettings PanelSettingsToStore(const PanelSettings& s) {
    return {static_cast<std::uint32_t>(s.sketch.strength), static_cast<std::uint32_t>(s.sketch.removal) * kRemovalScale,
            s.sketch.noiseRemoval ? 1u : 0u, s.sketch.lineColour, s.sketch.frameColour, s.viewRate,
            static_cast<std::uint32_t>(s.sketch.thicken), static_cast<std::uint32_t>(s.sketch.despeckle)};
}
