// The per-format decoders behind DecodeMemory.
// Each decoder gets the whole file in memory, already recognised by its
// signature, and returns a picture or an invalid one whose LastStatus() says
// why. Library error handling (setjmp, callbacks) stays inside each decoder's
// one adapter function.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/picture/Picture.h"

namespace imaging::detail {

struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
    std::uint64_t maxPixels;  // the caller's DecodeLimits
};

Picture DecodePng(Bytes file);
Picture DecodeJpeg(Bytes file);
Picture DecodeGif(Bytes file);
Picture DecodeTiff(Bytes file);
Picture DecodeBmp(Bytes file);
Picture DecodeWebp(Bytes file);
Picture DecodeHeif(Bytes file);  // HEIC and AVIF

}  // namespace imaging::detail
