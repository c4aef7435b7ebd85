// CopyBitmap: a fresh picture, owned by the caller, holding a copy of any
// picture in a layout the sketch code can read: 32-bit ARGB for pictures with
// alpha and for 32-bit RGB (whose fourth byte becomes the alpha), 24-bit BGR
// for everything else. After a failed step the copy reads as invalid
// (0 x 0, not a raster picture) and callers reject it.
#pragma once

#include <memory>

#include "imaging/picture/Picture.h"

std::unique_ptr<imaging::Picture> CopyBitmap(imaging::Picture& source);
