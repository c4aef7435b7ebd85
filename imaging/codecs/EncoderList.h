// Private to the encoders: the list behind GetImageEncoders and the encode
// functions it dispatches to. Each encoder writes the whole file into `out`
// and returns Ok, or a failing Status with `out` in an unspecified state;
// none throws.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/codecs/Encoders.h"

namespace imaging::detail {

using EncodeFunction = Status (*)(Picture& picture, std::vector<std::uint8_t>& out);

struct EncoderEntry {
    Clsid clsid;
    Clsid formatId;
    const char* codecName;
    const char* formatDescription;
    const char* filenameExtension;
    const char* mimeType;
    EncodeFunction encode;
};

std::span<const EncoderEntry> EncoderList();

Status EncodeBmp(Picture& picture, std::vector<std::uint8_t>& out);
Status EncodeJpeg(Picture& picture, std::vector<std::uint8_t>& out);
Status EncodePng(Picture& picture, std::vector<std::uint8_t>& out);
Status EncodeGif(Picture& picture, std::vector<std::uint8_t>& out);
Status EncodeTiff(Picture& picture, std::vector<std::uint8_t>& out);

}  // namespace imaging::detail
