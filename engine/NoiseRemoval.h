// Noise removal: a 3 x 3 median filter. Each interior output pixel is the
// median (fifth smallest) of the nine input samples around it; the outer ring
// is copied from the input, so W or H <= 2 copies the whole plane. Removes
// specks and one-pixel lines; edges between wider areas stay where they are.
// in and out must not overlap.
#pragma once

#include <cstdint>

void RemoveNoise(const std::uint8_t* in, std::uint8_t* out, int width, int height);
