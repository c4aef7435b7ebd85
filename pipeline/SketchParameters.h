// The sketch parameters, with their ranges and defaults declared once.
// The control panel, the settings store, velmor-sketch's options and the
// tests all read them from here.
#pragma once

#include "engine/Colour.h"

struct IntParameter {
    int min, max, defaultValue;
    constexpr int Clamp(int v) const { return v < min ? min : v > max ? max : v; }
    constexpr bool Contains(int v) const { return v >= min && v <= max; }
};

// Line strength: slider "線の濃さ".
inline constexpr IntParameter kLineStrength{1, 11, 3};
// Faint-line removal: slider "薄い線を除去"; the line filter's threshold is
// the position times 16.
inline constexpr IntParameter kLineRemoval{0, 10, 0};
inline constexpr bool kDefaultNoiseRemoval = false;
// Finishing, on the grey plane before the paint; 0 leaves the sketch as it is.
// Line thickening: slider "線を太く"; lines grow by this many pixels.
inline constexpr IntParameter kLineThicken{0, 4, 0};
// Speck removal: slider "小さな点を除去"; specks under 2^(n+1) pixels go.
inline constexpr IntParameter kSpeckRemoval{0, 10, 0};
inline constexpr Colour kDefaultLineColour = 0x800000;   // dark blue
inline constexpr Colour kDefaultFrameColour = 0xFFFFFF;  // white

struct SketchParameters {
    int strength = kLineStrength.defaultValue;
    int removal = kLineRemoval.defaultValue;
    bool noiseRemoval = kDefaultNoiseRemoval;
    Colour lineColour = kDefaultLineColour;
    Colour frameColour = kDefaultFrameColour;
    int thicken = kLineThicken.defaultValue;
    int despeckle = kSpeckRemoval.defaultValue;

    friend bool operator==(const SketchParameters&, const SketchParameters&) = default;
};
