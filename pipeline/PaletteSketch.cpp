#include "pipeline/PaletteSketch.h"

#include <array>
#include <cstring>
#include <vector>

#include "engine/SketchGeneration.h"

std::optional<imaging::Picture> PaletteSketchFromGrey(const std::uint8_t* grey, int width, int height,
                                                       Colour lineColour, Colour frameColour) {
    if (grey == nullptr || width <= 0 || height <= 0) return std::nullopt;
    // The colours come from the paint itself, on a 258 x 3 grey strip whose
    // middle row holds every value: no second copy of its arithmetic.
    constexpr int kStrip = 256 + 2;
    std::array<std::uint8_t, kStrip * 3> strip{};
    for (int g = 0; g < 256; ++g) strip[kStrip + 1 + g] = static_cast<std::uint8_t>(g);
    std::array<std::uint8_t, kStrip * 3 * 3> painted{};
    PaintSketch(strip.data(), kStrip, 3, lineColour, frameColour, painted.data(), 3 * kStrip);
    std::vector<imaging::Argb> palette(256);
    int frameIndex = -1;
    const imaging::Argb frame = 0xFF000000u | (std::uint32_t{RedOf(frameColour)} << 16) |
                                (std::uint32_t{GreenOf(frameColour)} << 8) | BlueOf(frameColour);
    for (int g = 0; g < 256; ++g) {
        const std::uint8_t* px = painted.data() + 3 * kStrip + 3 * (1 + g);  // blue, green, red
        palette[g] = 0xFF000000u | (std::uint32_t{px[2]} << 16) | (std::uint32_t{px[1]} << 8) | px[0];
        if (frameIndex < 0 && palette[g] == frame) frameIndex = g;
    }
    if (frameIndex < 0) return std::nullopt;

    imaging::Picture indexed(width, height, imaging::PixelFormat8bppIndexed);
    if (!indexed.IsValid() || indexed.SetPalette(std::move(palette)) != imaging::Ok) return std::nullopt;
    imaging::BitmapData d;
    if (indexed.LockBits(nullptr, imaging::ImageLockModeWrite, imaging::PixelFormat8bppIndexed, &d) != imaging::Ok)
        return std::nullopt;
    const auto f = static_cast<std::uint8_t>(frameIndex);
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(d.scan0) + static_cast<std::ptrdiff_t>(y) * d.stride;
        if (y == 0 || y == height - 1) {
            std::memset(row, f, static_cast<std::size_t>(width));
        } else {
            std::memcpy(row, grey + static_cast<std::ptrdiff_t>(y) * width, static_cast<std::size_t>(width));
            row[0] = f;
            row[width - 1] = f;
        }
    }
    indexed.UnlockBits(&d);
    return indexed;
}
