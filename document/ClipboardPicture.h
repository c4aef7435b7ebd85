// Pictures to and from the platform's bitmaps, for the clipboard.
#pragma once

#include <memory>

#include <wx/image.h>

#include "imaging/picture/Picture.h"

// A picture of the image's pixels: 24-bit, opaque, unless the image carries
// an alpha channel with at least one pixel that is not fully opaque; then
// 32-bit ARGB with that alpha. An image without alpha never becomes
// transparent. Null when memory runs out or the image is empty.
std::unique_ptr<imaging::Picture> PictureFromImage(const wxImage& image);
