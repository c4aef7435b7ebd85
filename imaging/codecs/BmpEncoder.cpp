// BMP: bottom-up rows padded to 4 bytes. 24-bit by default; 32-bit with an
// alpha mask (BITMAPV4HEADER, BI_BITFIELDS) for pictures with alpha, since
// readers ignore the fourth byte of a plain 32-bit BMP; 8-bit palette for
// indexed pictures.
#include <cstring>

#include "imaging/codecs/EncoderList.h"
#include "imaging/picture/ReadLock.h"

namespace imaging::detail {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::int32_t kPixelsPerMetre = 3780;  // 96 dpi

class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    void U16(std::uint16_t v) { Bytes(&v, 2); }
    void U32(std::uint32_t v) { Bytes(&v, 4); }
    void I32(std::int32_t v) { Bytes(&v, 4); }
    void Bytes(const void* p, std::size_t n) {  // little-endian host
        const auto* b = static_cast<const std::uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }

private:
    std::vector<std::uint8_t>& out_;
};

struct Layout {
    std::uint16_t bitCount;
    std::uint32_t headerSize;
    std::uint32_t paletteEntries;
};

// Writes both headers and the palette; returns false when the file would not
// fit the format's 32-bit sizes.
bool WriteHeaders(ByteWriter& w, const Layout& layout, std::uint32_t width, std::uint32_t height,
                  const std::vector<Argb>& palette) {
    const std::uint64_t rowBytes = ((std::uint64_t{width} * layout.bitCount + 31) / 32) * 4;
    const std::uint64_t imageBytes = rowBytes * height;
    const std::uint64_t offset = kFileHeaderSize + layout.headerSize + 4ull * layout.paletteEntries;
    if (offset + imageBytes > 0xFFFFFFFFull || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;

    w.U16(0x4D42);  // "BM"
    w.U32(static_cast<std::uint32_t>(offset + imageBytes));
    w.U32(0);
    w.U32(static_cast<std::uint32_t>(offset));

    const bool v4 = layout.headerSize == kV4HeaderSize;
    w.U32(layout.headerSize);
    w.I32(static_cast<std::int32_t>(width));
    w.I32(static_cast<std::int32_t>(height));  // positive: bottom-up
    w.U16(1);
    w.U16(layout.bitCount);
    w.U32(v4 ? 3 : 0);  // BI_BITFIELDS or BI_RGB
    w.U32(static_cast<std::uint32_t>(imageBytes));
    w.I32(kPixelsPerMetre);
    w.I32(kPixelsPerMetre);
    w.U32(layout.paletteEntries);
    w.U32(0);
    if (v4) {
        w.U32(0x00FF0000);  // red, green, blue, alpha masks
        w.U32(0x0000FF00);
        w.U32(0x000000FF);
        w.U32(0xFF000000);
        w.U32(0x73524742);  // LCS_sRGB
        const std::uint8_t unused[48] = {};  // end points and gamma
        w.Bytes(unused, sizeof unused);
    }
    for (std::uint32_t i = 0; i < layout.paletteEntries; ++i) {
        const Argb c = i < palette.size() ? palette[i] : 0xFF000000u;
        const std::uint8_t quad[4] = {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                      static_cast<std::uint8_t>(c >> 16), 0};
        w.Bytes(quad, 4);
    }
    return true;
}

}  // namespace

Status EncodeBmp(Picture& picture, std::vector<std::uint8_t>& out) {
    const PixelFormat own = picture.Format();
    const bool indexed = IsIndexed(own);
    const bool alpha = HasAlpha(own);
    const PixelFormat lockFormat = indexed ? own : alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    const Layout layout = indexed ? Layout{8, kInfoHeaderSize, 1u << BitsPerPixel(own)}
                          : alpha ? Layout{32, kV4HeaderSize, 0}
                                  : Layout{24, kInfoHeaderSize, 0};

    ReadLock lock(picture, lockFormat);
    if (lock.status() != Ok) return lock.status();
    const std::uint32_t width = lock.width(), height = lock.height();

    ByteWriter w(out);
    if (!WriteHeaders(w, layout, width, height, picture.Palette())) return InvalidParameter;

    const std::size_t pixelBytes = std::size_t{width} * (layout.bitCount / 8);
    const std::size_t rowBytes = (pixelBytes + 3) & ~std::size_t{3};
    std::size_t at = out.size();
    out.resize(at + rowBytes * height, 0);  // zeros fill the row padding
    for (std::uint32_t i = 0; i < height; ++i, at += rowBytes) {
        const std::uint8_t* src = lock.Row(height - 1 - i);
        if (indexed)
            UnpackIndices(own, src, width, out.data() + at);
        else
            std::memcpy(out.data() + at, src, pixelBytes);  // lock rows are already B,G,R(,A)
    }
    return Ok;
}

}  // namespace imaging::detail
