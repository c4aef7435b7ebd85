// Reduction of a 32-bit B,G,R,A picture to at most 256 palette colours, for
// formats that only hold indexed pixels (GIF).
//
// Pixels with alpha below 128 all become one transparent entry (colour 0,
// alpha 0), appended after the opaque colours. Opaque pixels keep their exact
// colour whenever there are few enough distinct colours (256, or 255 beside a
// transparent entry): line drawings and most sketches come out unchanged, and
// the palette is in order of first appearance. Otherwise the palette is made
// by median cut over a 6-6-6-bit histogram (each entry the mean of its box)
// and pixels are mapped to the nearest entry, optionally with Floyd-Steinberg
// error diffusion on serpentine rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/picture/Picture.h"

namespace imaging {

struct IndexedPixels {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> indices;  // width * height, top row first
    std::vector<Argb> palette;          // 1 to 256 entries, 0xAARRGGBB
    int transparentIndex = -1;          // -1 when no pixel is transparent
    bool exact = false;                 // every opaque pixel kept its colour
};

// `top` is the address of row 0; rows are `stride` bytes apart.
IndexedPixels QuantizeColours(const std::uint8_t* top, std::ptrdiff_t stride, std::uint32_t width,
                              std::uint32_t height, bool dither);

}  // namespace imaging
