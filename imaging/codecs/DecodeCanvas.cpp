#include "imaging/codecs/DecodeCanvas.h"

#include <algorithm>
#include <cstring>

#include "imaging/codecs/DecodeLimits.h"

namespace imaging::detail {
namespace {

constexpr Argb kWhite = 0xFFFFFFFFu;

// The byte that repeated over a row paints it white: every direct-colour
// format reads all-ones as white and opaque; indexed ones repeat the index.
std::uint8_t WhiteByte(PixelFormat format, const std::vector<Argb>& palette) {
    if (!IsIndexed(format))
        return 0xFF;
    const auto it = std::find(palette.begin(), palette.end(), kWhite);
    const unsigned index = it == palette.end() ? 0 : static_cast<unsigned>(it - palette.begin());
    switch (BitsPerPixel(format)) {
    case 1: return index ? 0xFF : 0x00;
    case 4: return static_cast<std::uint8_t>(index << 4 | index);
    default: return static_cast<std::uint8_t>(index);
    }
}

bool AlphaAllOpaque(const Canvas& c, unsigned bytesPerPixel) {
    const std::uint32_t w = c.Width();
    for (std::uint32_t y = 0; y < c.Height(); ++y) {
        const std::uint8_t* row = c.Row(y);
        unsigned all = 0xFF;
        // 64-bit pixels keep alpha in bytes 6 and 7; 32-bit ones in byte 3.
        if (bytesPerPixel == 8) {
            for (std::uint32_t x = 0; x < w; ++x) all &= row[8 * x + 6] & row[8 * x + 7];
        } else {
            for (std::uint32_t x = 0; x < w; ++x) all &= row[4 * x + 3];
        }
        if (all != 0xFF)
            return false;
    }
    return true;
}

}  // namespace

Canvas::~Canvas() {
    if (Allocated())
        picture_.UnlockBits(&data_);
}

Status Canvas::Allocate(std::uint64_t width, std::uint64_t height, PixelFormat format,
                        std::vector<Argb> palette) {
    if (Allocated())
        return WrongState;
    if (width == 0 || height == 0)
        return UnknownImageFormat;  // a header of no picture
    if (!DecodeSizeAllowed(width, height, maxPixels_))
        return OutOfMemory;
    Picture picture(static_cast<int>(width), static_cast<int>(height), format);
    if (!picture.IsValid())
        return picture.LastStatus();
    if (IsIndexed(format)) {
        const std::size_t capacity = std::size_t{1} << BitsPerPixel(format);
        if (palette.size() > capacity)
            palette.resize(capacity);
        if (std::find(palette.begin(), palette.end(), kWhite) == palette.end() && palette.size() < capacity)
            palette.push_back(kWhite);
        if (const Status s = picture.SetPalette(palette); s != Ok)
            return s;
    }
    BitmapData data;
    if (const Status s = picture.LockBits(nullptr, ImageLockModeRead | ImageLockModeWrite, format, &data); s != Ok)
        return s;
    picture_ = std::move(picture);
    data_ = data;
    const std::uint8_t white = WhiteByte(format, picture_.Palette());
    const std::size_t rowBytes = static_cast<std::size_t>(data_.stride < 0 ? -data_.stride : data_.stride);
    for (std::uint32_t y = 0; y < data_.height; ++y) std::memset(Row(y), white, rowBytes);
    return Ok;
}

Picture Canvas::Finish(PixelFormat opaqueFormat) {
    if (!Allocated())
        return Picture::Failed(WrongState);
    const PixelFormat format = data_.pixelFormat;
    const bool wide = format == PixelFormat64bppARGB;
    if (opaqueFormat == PixelFormatUndefined || (format != PixelFormat32bppARGB && !wide) ||
        !AlphaAllOpaque(*this, wide ? 8 : 4)) {
        picture_.UnlockBits(&data_);
        data_ = BitmapData{};
        return std::move(picture_);
    }
    // Opaque after all: move the colour into a picture without alpha.
    Picture opaque(static_cast<int>(data_.width), static_cast<int>(data_.height), opaqueFormat);
    BitmapData out;
    if (!opaque.IsValid() || opaque.LockBits(nullptr, ImageLockModeWrite, opaqueFormat, &out) != Ok) {
        picture_.UnlockBits(&data_);
        data_ = BitmapData{};
        return std::move(picture_);
    }
    const unsigned outBytes = BitsPerPixel(opaqueFormat) / 8;
    const unsigned inBytes = wide ? 8 : 4;
    const unsigned copyBytes = std::min(outBytes, inBytes);
    for (std::uint32_t y = 0; y < data_.height; ++y) {
        const std::uint8_t* src = Row(y);
        std::uint8_t* dst = static_cast<std::uint8_t*>(out.scan0) + static_cast<std::ptrdiff_t>(y) * out.stride;
        if (outBytes == inBytes) {
            std::memcpy(dst, src, std::size_t{data_.width} * inBytes);
        } else {
            for (std::uint32_t x = 0; x < data_.width; ++x)
                std::memcpy(dst + std::size_t{x} * outBytes, src + std::size_t{x} * inBytes, copyBytes);
        }
    }
    opaque.UnlockBits(&out);
    picture_.UnlockBits(&data_);
    data_ = BitmapData{};
    picture_ = Picture();
    return opaque;
}

}  // namespace imaging::detail
