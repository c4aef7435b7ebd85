// A 24-bit picture as an 8-bit palette picture when it has at most 256
// colours: the same pixels in a third of the bytes (a sketch has white, its
// frame colour and the shades of its line colour). Palette entries are in
// the order the colours first appear, row by row.
#pragma once

#include <optional>

#include "imaging/picture/Picture.h"

namespace imaging {

// Empty when `picture` is not 24-bit RGB, has more than 256 colours, or the
// palette picture cannot be allocated.
std::optional<Picture> ToPaletteIfItFits(Picture& picture);

}  // namespace imaging
