// Line thickening: a finishing stage on the grey plane, between the grey
// stage and the paint. Every line grows by `radius` pixels in every
// direction: each interior pixel becomes the minimum of the interior pixels
// within the disc dx^2 + dy^2 <= radius^2 around it (the plane's outer ring
// holds the frame, not lines, and is neither read nor written). Radius 0
// leaves the plane untouched.
//
// The disc is taken as rows of horizontal minima: row dy contributes the
// minimum over |dx| <= floor(sqrt(radius^2 - dy^2)), and those minima are
// built up one pixel of half-width at a time, so the cost grows with the
// radius, not its square.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int kMaxThickenRadius = 4;

// Scratch bytes ThickenLines needs for this width and radius (0..4).
std::size_t LineThickeningScratchBytes(int width, int radius);

// In place on the W x H grey plane; radius is clamped to 0..4. Scratch
// contents before and after the call are meaningless.
void ThickenLines(std::uint8_t* grey, int width, int height, int radius, std::uint8_t* scratch);
