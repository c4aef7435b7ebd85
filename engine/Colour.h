// A colour as the settings and the colour buttons hold it: red in the low
// byte, green in the second, blue in the third; all bits set means "none".
#pragma once

#include <cstdint>

using Colour = std::uint32_t;

inline constexpr Colour kNoColour = 0xFFFFFFFF;

constexpr std::uint8_t RedOf(Colour c) { return static_cast<std::uint8_t>(c); }
constexpr std::uint8_t GreenOf(Colour c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t BlueOf(Colour c) { return static_cast<std::uint8_t>(c >> 16); }
