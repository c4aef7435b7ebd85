// BMP, read by hand: every offset and count from the file is checked against
// the bytes actually there, and rows the file lacks stay white.
#include <algorithm>
#include <bit>
#include <cstring>

#include "imaging/codecs/DecodeLimits.h"
#include "imaging/codecs/DecodeCanvas.h"
#include "imaging/codecs/Decoders.h"

namespace imaging::detail {
namespace {

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6 };

std::uint32_t U16(const std::uint8_t* p) { return p[0] | p[1] << 8; }
std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// One colour channel given by a bit mask, scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    unsigned shift = 0;
    std::uint64_t max = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (mask) {
            shift = static_cast<unsigned>(std::countr_zero(mask));
            max = mask >> shift;
        }
    }
    std::uint8_t Get(std::uint32_t px, std::uint8_t absent) const {
        if (!mask) return absent;
        // 64-bit: a mask of 25 bits or more overflows 32 bits when scaled.
        return static_cast<std::uint8_t>(std::uint64_t{(px & mask) >> shift} * 255 / max);
    }
};

struct Header {
    std::int64_t width = 0, height = 0;  // height already made positive
    bool topDown = false;
    unsigned bpp = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // R, G, B, A
    std::vector<Argb> palette;
    std::size_t pixelsAt = 0;
};

// Parses headers and palette; false when the file is no usable BMP.
bool ReadHeader(Bytes f, Header& h) {
    if (f.size < 14 + 12) return false;
    const std::uint8_t* p = f.data;
    const std::size_t infoSize = U32(p + 14);
    // Everything read from the header below lies within its first 56 bytes.
    if (infoSize < 12 || 14 + std::min<std::size_t>(infoSize, 56) > f.size) return false;
    const std::uint8_t* info = p + 14;
    bool core = infoSize < 40;
    std::uint32_t colorsUsed = 0;
    if (core) {
        // The oldest header: 16-bit sizes, three-byte palette entries.
        h.width = U16(info + 4);
        h.height = U16(info + 6);
        h.bpp = U16(info + 10);
    } else {
        h.width = static_cast<std::int32_t>(U32(info + 4));
        h.height = static_cast<std::int32_t>(U32(info + 8));
        h.bpp = U16(info + 14);
        h.compression = U32(info + 16);
        colorsUsed = U32(info + 32);
    }
    if (h.height < 0) {
        h.topDown = true;
        h.height = -h.height;
    }
    if (h.width <= 0 || h.height <= 0) return false;
    switch (h.bpp) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
    }
    const bool fieldsOk = (h.compression == kBitfields || h.compression == kAlphaBitfields) &&
                          (h.bpp == 16 || h.bpp == 32);
    if (!(h.compression == kRgb || (h.compression == kRle8 && h.bpp == 8) ||
          (h.compression == kRle4 && h.bpp == 4) || fieldsOk))
        return false;
    if (h.topDown && (h.compression == kRle8 || h.compression == kRle4)) return false;

    std::size_t at = 14 + infoSize;
    if (fieldsOk) {
        // Masks sit inside the larger headers, else right after the 40-byte one.
        const unsigned count = h.compression == kAlphaBitfields ? 4 : 3;
        std::size_t masksAt = infoSize >= 52 ? 14 + 40 : at;
        if (masksAt + 4 * count > f.size) return false;
        for (unsigned i = 0; i < count; ++i) h.masks[i] = U32(p + masksAt + 4 * i);
        if (infoSize >= 56) h.masks[3] = U32(p + 14 + 52);
        if (infoSize < 52) at += 4 * count;
    } else if (h.bpp == 16) {
        h.masks[0] = 0x7C00; h.masks[1] = 0x03E0; h.masks[2] = 0x001F;
    } else if (h.bpp >= 24) {
        h.masks[0] = 0xFF0000; h.masks[1] = 0xFF00; h.masks[2] = 0xFF;
    }
    if (h.bpp <= 8) {
        const std::size_t full = std::size_t{1} << h.bpp;
        std::size_t count = colorsUsed == 0 || colorsUsed > full ? full : colorsUsed;
        const std::size_t entryBytes = core ? 3 : 4;
        count = std::min(count, at < f.size ? (f.size - at) / entryBytes : 0);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* e = p + at + i * entryBytes;
            h.palette.push_back(0xFF000000u | e[2] << 16 | e[1] << 8 | e[0]);
        }
        at += count * entryBytes;
        if (h.palette.empty()) return false;
    }
    const std::size_t declared = U32(p + 10);
    // A bad pixel offset falls back to right after the palette.
    h.pixelsAt = declared >= 14 + 12 && declared < f.size ? declared : std::min(at, f.size);
    return true;
}

PixelFormat OutputFormat(const Header& h) {
    switch (h.bpp) {
    case 1: return PixelFormat1bppIndexed;
    case 4: return h.compression == kRle4 ? PixelFormat8bppIndexed : PixelFormat4bppIndexed;
    case 8: return PixelFormat8bppIndexed;
    default:
        if (h.masks[3]) return PixelFormat32bppARGB;
        return h.bpp == 32 ? PixelFormat32bppRGB : PixelFormat24bppRGB;
    }
}

std::uint32_t OutputRow(const Header& h, std::uint32_t fileRow) {
    return h.topDown ? fileRow : static_cast<std::uint32_t>(h.height - 1) - fileRow;
}

void DecodeRows(Bytes f, const Header& h, Canvas& c) {
    const std::uint64_t stride = ((static_cast<std::uint64_t>(h.width) * h.bpp + 31) / 32) * 4;
    const std::size_t avail = f.size - h.pixelsAt;
    const std::uint64_t rows = std::min<std::uint64_t>(h.height, avail / stride);
    const std::uint32_t w = c.Width();
    const Channel r(h.masks[0]), g(h.masks[1]), b(h.masks[2]), a(h.masks[3]);
    const bool alpha = h.masks[3] != 0;
    for (std::uint64_t y = 0; y < rows; ++y) {
        const std::uint8_t* src = f.data + h.pixelsAt + y * stride;
        std::uint8_t* dst = c.Row(OutputRow(h, static_cast<std::uint32_t>(y)));
        if (h.bpp <= 8) {
            std::memcpy(dst, src, (std::size_t{w} * h.bpp + 7) / 8);
        } else if (h.bpp == 24) {
            std::memcpy(dst, src, std::size_t{w} * 3);
        } else if (h.bpp == 32 && !alpha && h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF) {
            for (std::uint32_t x = 0; x < w; ++x) {
                std::memcpy(dst + 4 * x, src + 4 * x, 3);
                dst[4 * x + 3] = 255;
            }
        } else {
            const unsigned inBytes = h.bpp / 8;
            const unsigned outBytes = BitsPerPixel(c.Format()) / 8;
            for (std::uint32_t x = 0; x < w; ++x) {
                const std::uint32_t px = inBytes == 2 ? U16(src + 2 * x) : U32(src + 4 * x);
                std::uint8_t* o = dst + std::size_t{x} * outBytes;
                o[0] = b.Get(px, 0);
                o[1] = g.Get(px, 0);
                o[2] = r.Get(px, 0);
                if (outBytes == 4) o[3] = a.Get(px, 255);
            }
        }
    }
}

// RLE8 / RLE4 into an 8-bit canvas. Every write is clipped to the picture.
void DecodeRle(Bytes f, const Header& h, Canvas& c) {
    const bool four = h.compression == kRle4;
    const std::uint8_t* p = f.data + h.pixelsAt;
    const std::uint8_t* end = f.data + f.size;
    const std::uint32_t w = c.Width(), height = c.Height();
    std::uint64_t x = 0, y = 0;
    auto put = [&](std::uint8_t index) {
        if (x < w && y < height) c.Row(OutputRow(h, static_cast<std::uint32_t>(y)))[x] = index;
        ++x;
    };
    while (end - p >= 2 && y < height) {
        const unsigned count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < w; ++i)
                put(four ? static_cast<std::uint8_t>(i & 1 ? value & 15 : value >> 4) : static_cast<std::uint8_t>(value));
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            break;
        } else if (value == 2) {  // delta
            if (end - p < 2) break;
            x += p[0];
            y += p[1];
            p += 2;
        } else {  // literal run, padded to 16 bits
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            const std::size_t padded = (bytes + 1) & ~std::size_t{1};
            if (static_cast<std::size_t>(end - p) < bytes) break;
            for (unsigned i = 0; i < value; ++i)
                put(four ? static_cast<std::uint8_t>(i & 1 ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
            p += std::min<std::size_t>(padded, static_cast<std::size_t>(end - p));
        }
    }
}

}  // namespace

Picture DecodeBmp(Bytes file) {
    Header h;
    if (!ReadHeader(file, h)) return Picture::Failed(UnknownImageFormat);
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(h.width) * h.bpp + 31) / 32) * 4;
    if (!DecodeSizeAllowed(static_cast<std::uint64_t>(h.width), static_cast<std::uint64_t>(h.height), file.maxPixels))
        return Picture::Failed(OutOfMemory);
    // Rows are stored whole: a file holding under 1/64 of them is a header
    // claiming a picture it does not have.
    if (!rle && (file.size - h.pixelsAt) < stride * static_cast<std::uint64_t>(h.height) / 64)
        return Picture::Failed(UnknownImageFormat);
    // A run codes at most 255 pixels in two bytes and a blank row needs a few
    // runs; a file a thousand times smaller than its picture is no picture.
    if (rle && (file.size - h.pixelsAt) <
                   static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height) / 1024)
        return Picture::Failed(UnknownImageFormat);
    Canvas canvas(file.maxPixels);
    if (const Status s = canvas.Allocate(static_cast<std::uint64_t>(h.width), static_cast<std::uint64_t>(h.height),
                                         OutputFormat(h), h.palette);
        s != Ok)
        return Picture::Failed(s);
    if (rle)
        DecodeRle(file, h, canvas);
    else
        DecodeRows(file, h, canvas);
    return canvas.Finish(h.bpp == 32 ? PixelFormat32bppRGB : PixelFormat24bppRGB);
}

}  // namespace imaging::detail
