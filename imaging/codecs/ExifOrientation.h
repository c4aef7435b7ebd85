// The EXIF orientation of a camera picture, and turning a picture upright.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/picture/Picture.h"

namespace imaging::detail {

// Orientation 1..8 (tag 0x0112 of the first IFD) from the body of an APP1
// segment starting with "Exif\0\0"; 1 when absent or unreadable.
int ExifOrientation(const std::uint8_t* app1, std::size_t size);

// The picture turned and mirrored so that it shows upright for the given
// orientation (1 returns it as it is). Needs a whole-byte pixel format; on
// failure the picture comes back unturned.
Picture ApplyOrientation(Picture picture, int orientation);

}  // namespace imaging::detail
