#include "imaging/picture/PaletteConversion.h"

#include <array>
#include <cstdint>
#include <vector>

namespace imaging {

namespace {

// Open addressing over 512 slots for at most 256 colours: never more than
// half full, so probes stay short. Key 0xFFFFFFFF marks an empty slot (a
// 24-bit colour never has its top byte set).
class ColourIndex {
public:
    ColourIndex() { keys_.fill(kEmpty); }
    // The colour's index; -1 once a 257th colour appears.
    int Find(std::uint32_t rgb) {
        std::uint32_t slot = (rgb * 0x9E3779B1u) >> 23;
        for (;; slot = (slot + 1) & 511) {
            if (keys_[slot] == rgb) return values_[slot];
            if (keys_[slot] != kEmpty) continue;
            if (colours_.size() == 256) return -1;
            keys_[slot] = rgb;
            values_[slot] = static_cast<std::uint8_t>(colours_.size());
            colours_.push_back(rgb);
            return values_[slot];
        }
    }
    const std::vector<std::uint32_t>& Colours() const { return colours_; }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    std::array<std::uint32_t, 512> keys_;
    std::array<std::uint8_t, 512> values_{};
    std::vector<std::uint32_t> colours_;
};

}  // namespace

std::optional<Picture> ToPaletteIfItFits(Picture& picture) {
    if (!picture.IsValid() || picture.Format() != PixelFormat24bppRGB) return std::nullopt;
    const int width = static_cast<int>(picture.Width()), height = static_cast<int>(picture.Height());
    BitmapData source;
    if (picture.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &source) != Ok) return std::nullopt;
    Picture indexed(width, height, PixelFormat8bppIndexed);
    BitmapData target;
    bool fits = indexed.IsValid() &&
                indexed.LockBits(nullptr, ImageLockModeWrite, PixelFormat8bppIndexed, &target) == Ok;
    ColourIndex index;
    for (int y = 0; fits && y < height; ++y) {
        const auto* in = static_cast<const std::uint8_t*>(source.scan0) + static_cast<std::ptrdiff_t>(y) * source.stride;
        auto* out = static_cast<std::uint8_t*>(target.scan0) + static_cast<std::ptrdiff_t>(y) * target.stride;
        // Runs of one colour are the rule in a sketch: look up only changes.
        std::uint32_t last = 0xFFFFFFFFu;
        int lastIndex = 0;
        for (int x = 0; x < width; ++x, in += 3) {
            const std::uint32_t rgb = std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16;
            if (rgb != last) {
                lastIndex = index.Find(rgb);
                if (lastIndex < 0) {
                    fits = false;
                    break;
                }
                last = rgb;
            }
            out[x] = static_cast<std::uint8_t>(lastIndex);
        }
    }
    picture.UnlockBits(&source);
    if (indexed.IsValid() && target.scan0 != nullptr) indexed.UnlockBits(&target);
    if (!fits) return std::nullopt;
    // The keys are the bytes blue, green, red as a little-endian number: 0x00RRGGBB.
    std::vector<Argb> palette;
    for (std::uint32_t rgb : index.Colours()) palette.push_back(0xFF000000u | rgb);
    if (indexed.SetPalette(std::move(palette)) != Ok) return std::nullopt;
    return indexed;
}

}  // namespace imaging
