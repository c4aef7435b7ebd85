// The three stages that turn a picture's pixels into a sketch. All work on
// plain caller-owned buffers: they allocate nothing, cannot fail and report
// nothing. Planes are W x H bytes, rows packed, row 0 at the top. No buffer
// may overlap another.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/Colour.h"

// Composites 32-bit B,G,R,opacity source rows onto white and splits them into
// three planes: plane = 255 - ((255 - channel) * opacity) / 255.
// Row y of the source starts at srcFirstRow + y * srcStride (stride signed,
// possibly padded). Run once per picture; the planes serve every later sketch.
void BuildColourPlanes(const std::uint8_t* srcFirstRow, std::ptrdiff_t srcStride, int width, int height,
                       std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue);

// The same for opaque 24-bit B,G,R rows: with opacity 255 the composite is
// the channel itself, so the planes are the channels split apart.
void SplitColourPlanes(const std::uint8_t* srcFirstRow, std::ptrdiff_t srcStride, int width, int height,
                       std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue);

// Filters each colour plane (3 x 3 median when noiseRemoval is set, see
// NoiseRemoval.h), extracts its lines (LineExtraction.h, with strength and
// threshold removal * 16) and merges the three line planes into grey:
// (306 red + 601 green + 117 blue) >> 10.
// Only the interior of grey (1 <= x <= W - 2, 1 <= y <= H - 2) is the result;
// its outer ring holds nothing useful. filterInput and the three line buffers
// are scratch: each must hold W * H bytes, and their contents after the call
// are meaningless (the fast path keeps only a few rows in them, or none).
// The colour planes are only read. strength is 1..11, removal 0..10.
void MakeGreyPlane(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue,
                   int width, int height, bool noiseRemoval, int strength, int removal,
                   std::uint8_t* filterInput, std::uint8_t* redLines, std::uint8_t* greenLines,
                   std::uint8_t* blueLines, std::uint8_t* grey);

// Paints the 24-bit B,G,R destination: every interior pixel blends from white
// (grey 255) to lineColour (grey 0) with each byte 255 - (d * (255 - L)) / 255,
// d = 255 - grey; the outermost ring of pixels gets frameColour. Row y starts
// at dstFirstRow + y * dstStride (signed); bytes past 3 * W in a row are never
// written. Only grey's interior is read.
void PaintSketch(const std::uint8_t* grey, int width, int height, Colour lineColour, Colour frameColour,
                 std::uint8_t* dstFirstRow, std::ptrdiff_t dstStride);

// Bands of rows, for running one picture on several threads at once: each
// call touches only rows [rowBegin, rowEnd) of its output (clipped to the
// picture), and any split of 0..H into bands gives exactly the whole-picture
// result.
//
// MakeGreyRows: the interior rows of MakeGreyPlane's grey in the band, with
// scratch of GreyRowsScratchBytes(W) bytes of its own (the median ring); for
// the strengths GreyRowsSupported() accepts (every strength the sketch
// passes), otherwise it does nothing and MakeGreyPlane must be used.
bool GreyRowsSupported(int strength);
std::size_t GreyRowsScratchBytes(int width);
void MakeGreyRows(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, int width,
                  int height, bool noiseRemoval, int strength, int removal, std::uint8_t* scratch, int rowBegin,
                  int rowEnd, std::uint8_t* grey);
// PaintSketchRows: the band's rows of PaintSketch, frame included.
void PaintSketchRows(const std::uint8_t* grey, int width, int height, Colour lineColour, Colour frameColour,
                     std::uint8_t* dstFirstRow, std::ptrdiff_t dstStride, int rowBegin, int rowEnd);
