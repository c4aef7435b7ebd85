// The sketch as an 8-bit palette picture made straight from the grey plane:
// every inner pixel's colour depends on its grey value alone and the border
// is the frame colour, so index = grey value and the palette is the 256
// colours the paint gives those values. The pixels are exactly those of the
// painted 24-bit sketch, at a third of the memory and no painting.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/picture/Picture.h"
#include "pipeline/SketchParameters.h"

// Empty when the frame colour is none of the 256 (the sketch then needs a
// 257th colour) or the picture cannot be allocated.
std::optional<imaging::Picture> PaletteSketchFromGrey(const std::uint8_t* grey, int width, int height,
                                                       Colour lineColour, Colour frameColour);
