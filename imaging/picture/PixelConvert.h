// Row conversion between a picture's own format and 32-bit B,G,R,A (not
// premultiplied), the hub every lock conversion goes through.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/picture/Picture.h"

namespace imaging {

// Bytes of `count` pixels of `format` starting at pixel 0 of a row.
std::uint64_t RowBytes(PixelFormat format, std::uint64_t count);

// Reads pixels x0 .. x0+count-1 of a row in `format` into `bgra` (4 bytes a
// pixel). Formats without alpha give 255; indices outside the palette give
// opaque black.
void RowToBgra(PixelFormat format, const std::uint8_t* row, int x0, int count,
               const std::vector<Argb>& palette, std::uint8_t* bgra);

// Writes `count` BGRA pixels into pixels x0 .. of a row in `format`.
// Indexed formats are not writable this way (false).
bool RowFromBgra(PixelFormat format, const std::uint8_t* bgra, std::uint8_t* row, int x0, int count);

}  // namespace imaging
