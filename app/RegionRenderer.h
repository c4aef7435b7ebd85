// Produces the visible part of a picture scaled to its display size, as an
// opaque wxImage: pixels with transparency are composited onto `background`.
// Only the region is ever produced, so 800 % of a large photo costs what the
// window shows, not what the whole scaled picture would.
#pragma once

#include <cstdint>

#include <wx/colour.h>
#include <wx/image.h>

#include "imaging/picture/Picture.h"

// False when the picture cannot be read or memory runs out.
bool RenderRegion(imaging::Picture& picture, std::uint32_t scaledWidth, std::uint32_t scaledHeight,
                  const wxRect& region, const wxColour& background, wxImage* out);
