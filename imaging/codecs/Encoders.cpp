#include "imaging/codecs/Encoders.h"

#include <cstring>
#include <new>

#include "imaging/files/AtomicFile.h"
#include "imaging/codecs/EncoderList.h"

namespace imaging {

namespace detail {

namespace {

// Class ids of this layer's own encoders; the format ids name the file format
// whichever encoder writes it.
constexpr EncoderEntry kEncoders[] = {
    {{{0x82, 0x70, 0x14, 0x1b, 0xcf, 0x55, 0x41, 0xc5, 0xb5, 0xfa, 0xe9, 0x1a, 0x79, 0x68, 0x46, 0x8e}},
     {{0x41, 0x53, 0x1c, 0x04, 0x10, 0xa2, 0x4e, 0x81, 0xb9, 0x4b, 0x6e, 0x92, 0x61, 0xc3, 0xbf, 0x35}},
     "Built-in BMP Codec", "BMP", "*.BMP;*.DIB;*.RLE", "image/bmp", EncodeBmp},
    {{{0xdd, 0x13, 0x88, 0x4d, 0x62, 0x5e, 0x44, 0x23, 0xaa, 0x3f, 0x06, 0xde, 0x79, 0xb2, 0x73, 0xb8}},
     {{0xb9, 0xc0, 0x83, 0xaa, 0x79, 0xfe, 0x46, 0x47, 0xa5, 0x62, 0x83, 0xba, 0xd8, 0x7c, 0xd2, 0x04}},
     "Built-in JPEG Codec", "JPEG", "*.JPG;*.JPEG;*.JPE;*.JFIF", "image/jpeg", EncodeJpeg},
    {{{0x78, 0x15, 0x7c, 0xf2, 0x17, 0xd8, 0x46, 0x58, 0xb8, 0xaf, 0x25, 0xe4, 0x5a, 0xf8, 0x44, 0xdd}},
     {{0x7d, 0x67, 0x37, 0xcb, 0xae, 0xe4, 0x40, 0x9d, 0x82, 0x05, 0x7c, 0x6b, 0x09, 0xd7, 0xf9, 0x55}},
     "Built-in PNG Codec", "PNG", "*.PNG", "image/png", EncodePng},
    {{{0xa7, 0x26, 0x16, 0xde, 0x6f, 0x69, 0x4e, 0xa0, 0x9a, 0x20, 0x49, 0xa3, 0x9c, 0x88, 0x20, 0x0c}},
     {{0xd1, 0x15, 0xa5, 0x0a, 0x77, 0xed, 0x42, 0xfa, 0xa3, 0x1d, 0x43, 0xb9, 0xb1, 0x00, 0xe7, 0x61}},
     "Built-in GIF Codec", "GIF", "*.GIF", "image/gif", EncodeGif},
    {{{0xb0, 0xa2, 0x58, 0xf5, 0xda, 0xc9, 0x47, 0xfe, 0x99, 0x99, 0xc0, 0x28, 0x3b, 0xa2, 0xd5, 0xf8}},
     {{0xc8, 0x23, 0x7c, 0xee, 0x02, 0xc6, 0x45, 0x08, 0xbb, 0x22, 0x0d, 0x90, 0xca, 0xb5, 0x0f, 0x4f}},
     "Built-in TIFF Codec", "TIFF", "*.TIF;*.TIFF", "image/tiff", EncodeTiff},
};

constexpr std::uint32_t kEncoderCount = sizeof kEncoders / sizeof kEncoders[0];

std::uint32_t TotalSize() {
    std::size_t size = kEncoderCount * sizeof(ImageCodecInfo);
    for (const EncoderEntry& e : kEncoders)
        for (const char* text : {e.codecName, e.formatDescription, e.filenameExtension, e.mimeType})
            size += std::strlen(text) + 1;
    return static_cast<std::uint32_t>(size);
}

const EncoderEntry* FindEncoder(const Clsid& clsid) {
    for (const EncoderEntry& e : kEncoders)
        if (e.clsid == clsid) return &e;
    return nullptr;
}

// Runs an encoder behind the no-throw promise of the public calls.
Status Encode(Picture& picture, const Clsid& clsid, std::vector<std::uint8_t>& out) {
    if (!picture.IsValid()) return InvalidParameter;
    const EncoderEntry* encoder = FindEncoder(clsid);
    if (encoder == nullptr) return UnknownImageFormat;
    Status status;
    try {
        out.clear();
        status = encoder->encode(picture, out);
    } catch (const std::bad_alloc&) {
        status = OutOfMemory;
    } catch (...) {
        status = GenericError;
    }
    if (status != Ok) out.clear();  // never hand out half a file
    return status;
}

}  // namespace

std::span<const EncoderEntry> EncoderList() { return kEncoders; }

}  // namespace detail

Status GetImageEncodersSize(std::uint32_t* numEncoders, std::uint32_t* size) {
    if (numEncoders == nullptr || size == nullptr) return InvalidParameter;
    *numEncoders = detail::kEncoderCount;
    *size = detail::TotalSize();
    return Ok;
}

Status GetImageEncoders(std::uint32_t numEncoders, std::uint32_t size, ImageCodecInfo* buffer) {
    if (buffer == nullptr || numEncoders != detail::kEncoderCount || size != detail::TotalSize())
        return InvalidParameter;
    // The strings follow the last record, in record order.
    char* text = reinterpret_cast<char*>(buffer + numEncoders);
    auto place = [&text](const char* s) {
        const std::size_t n = std::strlen(s) + 1;
        std::memcpy(text, s, n);
        const char* placed = text;
        text += n;
        return placed;
    };
    for (std::uint32_t i = 0; i < numEncoders; ++i) {
        const detail::EncoderEntry& e = detail::kEncoders[i];
        ImageCodecInfo info{};
        info.clsid = e.clsid;
        info.formatId = e.formatId;
        info.codecName = place(e.codecName);
        info.formatDescription = place(e.formatDescription);
        info.filenameExtension = place(e.filenameExtension);
        info.mimeType = place(e.mimeType);
        info.flags = kImageCodecFlagsEncoder | kImageCodecFlagsSupportBitmap | kImageCodecFlagsBuiltin;
        info.version = 1;
        std::memcpy(static_cast<void*>(buffer + i), &info, sizeof info);
    }
    return Ok;
}

Status SaveImageToMemory(Picture& picture, const Clsid& clsid, std::vector<std::uint8_t>* out) {
    if (out == nullptr) return InvalidParameter;
    return detail::Encode(picture, clsid, *out);
}

Status SaveImageToFile(Picture& picture, const std::filesystem::path& path, const Clsid& clsid) {
    std::vector<std::uint8_t> bytes;
    const Status encoded = detail::Encode(picture, clsid, bytes);
    if (encoded != Ok) return encoded;
    return WriteFileAtomically(path, bytes);
}

}  // namespace imaging
