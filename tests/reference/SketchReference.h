// Literal transcriptions of the sketch arithmetic: plain divisions, the
// eight-pass compare-exchange sort for the median, every stage through the
// work buffers. Slow on purpose; the engine is tested and measured against it.
// Same contracts as engine/SketchGeneration.h, LineExtraction.h and
// NoiseRemoval.h, except that MakeGreyPlane fills the work buffers as the
// stages define them and merges every index.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/Colour.h"

namespace reference {

void BuildColourPlanes(const std::uint8_t* srcFirstRow, std::ptrdiff_t srcStride, int width, int height,
                       std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue);

void MakeGreyPlane(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue,
                   int width, int height, bool noiseRemoval, int strength, int removal,
                   std::uint8_t* filterInput, std::uint8_t* redLines, std::uint8_t* greenLines,
                   std::uint8_t* blueLines, std::uint8_t* grey);

void PaintSketch(const std::uint8_t* grey, int width, int height, Colour lineColour, Colour frameColour,
                 std::uint8_t* dstFirstRow, std::ptrdiff_t dstStride);

void ExtractLines(const std::uint8_t* in, std::uint8_t* out, int width, int height, int strength, int threshold);

void RemoveNoise(const std::uint8_t* in, std::uint8_t* out, int width, int height);

// The finishing stages as defined, pixel by pixel: the minimum over the disc
// (engine/LineThickening.h) and a flood fill of each group
// (engine/SpeckRemoval.h). In place, interior only.
void ThickenLines(std::uint8_t* grey, int width, int height, int radius);
void RemoveSpecks(std::uint8_t* grey, int width, int height, int minArea);

}  // namespace reference
