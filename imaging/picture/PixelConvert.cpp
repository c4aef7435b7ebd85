#include "imaging/picture/PixelConvert.h"

#include <cstring>

namespace imaging {

std::uint64_t RowBytes(PixelFormat format, std::uint64_t count) {
    return (count * BitsPerPixel(format) + 7) / 8;
}

namespace {

void PaletteToBgra(std::uint32_t index, const std::vector<Argb>& palette, std::uint8_t* out) {
    const Argb c = index < palette.size() ? palette[index] : 0xFF000000u;
    out[0] = static_cast<std::uint8_t>(c);
    out[1] = static_cast<std::uint8_t>(c >> 8);
    out[2] = static_cast<std::uint8_t>(c >> 16);
    out[3] = static_cast<std::uint8_t>(c >> 24);
}

std::uint16_t Load16(const std::uint8_t* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

void Store16(std::uint8_t* p, std::uint16_t v) { std::memcpy(p, &v, 2); }

}  // namespace

void RowToBgra(PixelFormat format, const std::uint8_t* row, int x0, int count,
               const std::vector<Argb>& palette, std::uint8_t* bgra) {
    switch (format) {
    case PixelFormat1bppIndexed:
        for (int i = 0; i < count; ++i) {
            const int x = x0 + i;
            PaletteToBgra((row[x >> 3] >> (7 - (x & 7))) & 1u, palette, bgra + 4 * i);
        }
        break;
    case PixelFormat4bppIndexed:
        for (int i = 0; i < count; ++i) {
            const int x = x0 + i;
            PaletteToBgra((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu, palette, bgra + 4 * i);
        }
        break;
    case PixelFormat8bppIndexed:
        for (int i = 0; i < count; ++i) PaletteToBgra(row[x0 + i], palette, bgra + 4 * i);
        break;
    case PixelFormat16bppGrayScale:
        for (int i = 0; i < count; ++i) {
            const auto g = static_cast<std::uint8_t>(Load16(row + 2 * (x0 + i)) >> 8);
            bgra[4 * i] = bgra[4 * i + 1] = bgra[4 * i + 2] = g;
            bgra[4 * i + 3] = 255;
        }
        break;
    case PixelFormat24bppRGB:
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* s = row + 3 * (x0 + i);
            bgra[4 * i] = s[0];
            bgra[4 * i + 1] = s[1];
            bgra[4 * i + 2] = s[2];
            bgra[4 * i + 3] = 255;
        }
        break;
    case PixelFormat32bppRGB:
        for (int i = 0; i < count; ++i) {
            std::memcpy(bgra + 4 * i, row + 4 * (x0 + i), 3);
            bgra[4 * i + 3] = 255;
        }
        break;
    case PixelFormat32bppARGB:
        std::memcpy(bgra, row + 4 * x0, 4 * static_cast<std::size_t>(count));
        break;
    case PixelFormat48bppRGB:
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* s = row + 6 * (x0 + i);
            for (int c = 0; c < 3; ++c) bgra[4 * i + c] = static_cast<std::uint8_t>(Load16(s + 2 * c) >> 8);
            bgra[4 * i + 3] = 255;
        }
        break;
    case PixelFormat64bppARGB:
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* s = row + 8 * (x0 + i);
            for (int c = 0; c < 4; ++c) bgra[4 * i + c] = static_cast<std::uint8_t>(Load16(s + 2 * c) >> 8);
        }
        break;
    default:
        std::memset(bgra, 0, 4 * static_cast<std::size_t>(count));
        break;
    }
}

bool RowFromBgra(PixelFormat format, const std::uint8_t* bgra, std::uint8_t* row, int x0, int count) {
    switch (format) {
    case PixelFormat16bppGrayScale:
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* p = bgra + 4 * i;
            const unsigned y = (117u * p[0] + 601u * p[1] + 306u * p[2]) >> 10;
            Store16(row + 2 * (x0 + i), static_cast<std::uint16_t>(y * 257u));
        }
        return true;
    case PixelFormat24bppRGB:
        for (int i = 0; i < count; ++i) std::memcpy(row + 3 * (x0 + i), bgra + 4 * i, 3);
        return true;
    case PixelFormat32bppRGB:
        for (int i = 0; i < count; ++i) {
            std::memcpy(row + 4 * (x0 + i), bgra + 4 * i, 3);
            row[4 * (x0 + i) + 3] = 255;
        }
        return true;
    case PixelFormat32bppARGB:
        std::memcpy(row + 4 * x0, bgra, 4 * static_cast<std::size_t>(count));
        return true;
    case PixelFormat48bppRGB:
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < 3; ++c)
                Store16(row + 6 * (x0 + i) + 2 * c, static_cast<std::uint16_t>(bgra[4 * i + c] * 257u));
        return true;
    case PixelFormat64bppARGB:
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < 4; ++c)
                Store16(row + 8 * (x0 + i) + 2 * c, static_cast<std::uint16_t>(bgra[4 * i + c] * 257u));
        return true;
    default:
        return false;
    }
}

}  // namespace imaging
