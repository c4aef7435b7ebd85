#include "imaging/codecs/ExifOrientation.h"

#include <cstring>

namespace imaging::detail {

int ExifOrientation(const std::uint8_t* app1, std::size_t size) {
    if (size < 6 + 8 || std::memcmp(app1, "Exif\0\0", 6) != 0) return 1;
    const std::uint8_t* t = app1 + 6;  // TIFF header; offsets count from here
    const std::size_t n = size - 6;
    const bool little = t[0] == 'I' && t[1] == 'I';
    if (!little && !(t[0] == 'M' && t[1] == 'M')) return 1;
    auto u16 = [&](std::size_t at) -> unsigned {
        return little ? t[at] | t[at + 1] << 8 : t[at] << 8 | t[at + 1];
    };
    auto u32 = [&](std::size_t at) -> std::uint32_t {
        return little ? u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16
                      : static_cast<std::uint32_t>(u16(at)) << 16 | u16(at + 2);
    };
    if (u16(2) != 42) return 1;
    const std::uint32_t ifd = u32(4);
    if (ifd > n || n - ifd < 2) return 1;
    const unsigned count = u16(ifd);
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t e = ifd + 2 + std::size_t{12} * i;
        if (e + 12 > n) break;
        if (u16(e) != 0x0112) continue;
        const unsigned type = u16(e + 2);
        const unsigned value = type == 3 ? u16(e + 8) : type == 4 ? u32(e + 8) : 0;
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

Picture ApplyOrientation(Picture picture, int orientation) {
    const PixelFormat format = picture.Format();
    const unsigned bytes = BitsPerPixel(format) / 8;
    if (orientation <= 1 || orientation > 8 || !picture.IsValid() || BitsPerPixel(format) % 8 != 0)
        return picture;
    const std::uint32_t w = picture.Width(), h = picture.Height();
    const bool swap = orientation >= 5;
    Picture out(static_cast<int>(swap ? h : w), static_cast<int>(swap ? w : h), format);
    if (!out.IsValid()) return picture;
    if (IsIndexed(format)) out.SetPalette(picture.Palette());
    BitmapData src, dst;
    if (picture.LockBits(nullptr, ImageLockModeRead, format, &src) != Ok) return picture;
    if (out.LockBits(nullptr, ImageLockModeWrite, format, &dst) != Ok) {
        picture.UnlockBits(&src);
        return picture;
    }
    // Source pixel of output (x, y), written as source = base + x * dx + y * dy
    // over source coordinates, so each case is one line.
    const auto* s0 = static_cast<const std::uint8_t*>(src.scan0);
    const std::ptrdiff_t col = bytes, row = src.stride;
    const std::ptrdiff_t right = static_cast<std::ptrdiff_t>(w - 1) * col;
    const std::ptrdiff_t bottom = static_cast<std::ptrdiff_t>(h - 1) * row;
    std::ptrdiff_t base = 0, dx = col, dy = row;
    switch (orientation) {
    case 2: base = right; dx = -col; dy = row; break;             // mirrored
    case 3: base = right + bottom; dx = -col; dy = -row; break;   // upside down
    case 4: base = bottom; dx = col; dy = -row; break;            // mirrored upside down
    case 5: base = 0; dx = row; dy = col; break;                  // transposed
    case 6: base = bottom; dx = -row; dy = col; break;            // turned left: rotate right
    case 7: base = right + bottom; dx = -row; dy = -col; break;   // transversed
    case 8: base = right; dx = row; dy = -col; break;             // turned right: rotate left
    }
    for (std::uint32_t y = 0; y < dst.height; ++y) {
        std::uint8_t* d = static_cast<std::uint8_t*>(dst.scan0) + static_cast<std::ptrdiff_t>(y) * dst.stride;
        const std::uint8_t* s = s0 + base + static_cast<std::ptrdiff_t>(y) * dy;
        for (std::uint32_t x = 0; x < dst.width; ++x, s += dx, d += bytes) std::memcpy(d, s, bytes);
    }
    out.UnlockBits(&dst);
    picture.UnlockBits(&src);
    return out;
}

}  // namespace imaging::detail
