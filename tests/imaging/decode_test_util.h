// Helpers shared by the decoder tests: fixture bytes, pixel reads, colours.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/codecs/Decode.h"

namespace decode_test {

using Bytes = std::vector<std::uint8_t>;

// The fixtures' pattern colours (0xAARRGGBB).
inline constexpr std::uint32_t kRed = 0xFFFF0000, kLime = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF,
                               kBlack = 0xFF000000;

inline std::filesystem::path FixturePath(const std::string& name) {
    return std::filesystem::path(VELMOR_TEST_DATA) / "decode" / name;
}

inline Bytes ReadFixture(const std::string& name) {
    std::ifstream in(FixturePath(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline imaging::Picture Decode(const Bytes& b) { return imaging::DecodeMemory(b.data(), b.size()); }

// Pixel (x, y) as 0xAARRGGBB, read through a 32-bit ARGB lock.
inline std::uint32_t ArgbAt(imaging::Picture& p, int x, int y) {
    imaging::Rect r{x, y, 1, 1};
    imaging::BitmapData d;
    if (p.LockBits(&r, imaging::ImageLockModeRead, imaging::PixelFormat32bppARGB, &d) != imaging::Ok) return 0xDEADBEEF;
    const auto* px = static_cast<const std::uint8_t*>(d.scan0);
    const std::uint32_t v = px[3] << 24 | px[2] << 16 | px[1] << 8 | px[0];
    p.UnlockBits(&d);
    return v;
}

// Channels within `tolerance`; colour ignored where both are fully transparent.
inline bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    if ((a >> 24) == 0 && (b >> 24) == 0) return true;
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

inline std::uint32_t Grey(unsigned v, unsigned alpha = 255) { return alpha << 24 | v << 16 | v << 8 | v; }

inline void PutBe16(Bytes& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}
inline void PutBe32(Bytes& b, std::size_t at, std::uint32_t v) {
    PutBe16(b, at, v >> 16);
    PutBe16(b, at + 2, v & 0xFFFF);
}
inline void PutLe16(Bytes& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutLe32(Bytes& b, std::size_t at, std::uint32_t v) {
    PutLe16(b, at, v & 0xFFFF);
    PutLe16(b, at + 2, v >> 16);
}

// Offset of the first `marker` (two bytes) at or after `from`; npos if none.
inline std::size_t Find(const Bytes& b, std::initializer_list<std::uint8_t> marker, std::size_t from = 0) {
    for (std::size_t i = from; i + marker.size() <= b.size(); ++i)
        if (std::equal(marker.begin(), marker.end(), b.begin() + static_cast<std::ptrdiff_t>(i))) return i;
    return std::string::npos;
}

}  // namespace decode_test
