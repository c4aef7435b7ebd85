// Pixel format values. The numbers are the published ones (bits 8..15 hold the
// bits per pixel, the high bits the flags), so stored or logged values keep
// their meaning.
#pragma once

#include <cstdint>

namespace imaging {

using PixelFormat = std::uint32_t;

inline constexpr PixelFormat PixelFormatIndexed = 0x00010000;
inline constexpr PixelFormat PixelFormatGDI = 0x00020000;
inline constexpr PixelFormat PixelFormatAlpha = 0x00040000;
inline constexpr PixelFormat PixelFormatPAlpha = 0x00080000;
inline constexpr PixelFormat PixelFormatExtended = 0x00100000;
inline constexpr PixelFormat PixelFormatCanonical = 0x00200000;

inline constexpr PixelFormat PixelFormatUndefined = 0;
inline constexpr PixelFormat PixelFormat1bppIndexed = 0x00030101;
inline constexpr PixelFormat PixelFormat4bppIndexed = 0x00030402;
inline constexpr PixelFormat PixelFormat8bppIndexed = 0x00030803;
inline constexpr PixelFormat PixelFormat16bppGrayScale = 0x00101004;
inline constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
inline constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
inline constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
inline constexpr PixelFormat PixelFormat48bppRGB = 0x0010300C;
inline constexpr PixelFormat PixelFormat64bppARGB = 0x0034400D;

// Bits a pixel of a format; 0 for an unknown value.
constexpr unsigned BitsPerPixel(PixelFormat f) { return (f >> 8) & 0xFF; }
constexpr bool HasAlpha(PixelFormat f) { return (f & PixelFormatAlpha) != 0; }
constexpr bool IsIndexed(PixelFormat f) { return (f & PixelFormatIndexed) != 0; }

// The formats a picture of this layer can hold.
constexpr bool IsSupportedFormat(PixelFormat f) {
    switch (f) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
    case PixelFormat16bppGrayScale:
    case PixelFormat24bppRGB:
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat48bppRGB:
    case PixelFormat64bppARGB:
        return true;
    default:
        return false;
    }
}

// The three layouts a picture can be locked in.
constexpr bool IsLockLayout(PixelFormat f) {
    return f == PixelFormat24bppRGB || f == PixelFormat32bppRGB || f == PixelFormat32bppARGB;
}

}  // namespace imaging
