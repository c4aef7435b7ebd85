// Decoding picture files by their content, never by their name.
//
// Recognised: PNG, JPEG, GIF (first frame), TIFF (first page), BMP, WebP,
// HEIF/HEIC and AVIF (the primary image).
// A decoded picture comes back in the format closest to the file's own:
// 1/4/8-bit indexed (grey pictures as 8-bit indexed with a grey palette),
// 16-bit grey, 24-bit BGR, 32-bit RGB, 48-bit RGB, or an ARGB format whenever
// the file carries any transparency, so that the alpha survives a copy.
// A JPEG whose EXIF orientation says the camera was turned comes back upright;
// so does a HEIF or AVIF picture by its own rotation and mirror boxes (its EXIF
// orientation says the same and is not applied again).
//
// Failures come back as an invalid picture whose LastStatus() says why:
// FileNotFound / AccessDenied / Win32Error for the file, UnknownImageFormat
// for content that is no picture (or is damaged beyond use), OutOfMemory for
// a picture larger than the caller's DecodeLimits allow. A truncated or damaged file
// whose size is known decodes to a full-size picture from what could be
// recovered, rows never decoded white and opaque; one holding far too few
// bytes for the size it declares counts as damaged beyond use. A cut HEIF or
// AVIF file is refused instead: libheif gives no part of a picture.
// No input crashes, hangs or exhausts memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "imaging/codecs/DecodeLimits.h"
#include "imaging/picture/Picture.h"

namespace imaging {

Picture DecodeFile(const std::filesystem::path& path, const DecodeLimits& limits = {});
Picture DecodeMemory(const std::uint8_t* data, std::size_t size, const DecodeLimits& limits = {});

}  // namespace imaging
