// Feeds arbitrary bytes to the decoders and reads every pixel of whatever
// comes back, so that a row left uninitialised or a short buffer shows.
#include <cstddef>
#include <cstdint>

#include "imaging/codecs/Decode.h"
#include "imaging/codecs/DecodeLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Legitimate pictures up to the real limit would only trip the RSS limit;
    // 4 Mpixels keeps every path reachable and each input fast.
    imaging::Picture picture = imaging::DecodeMemory(data, size, {std::uint64_t{1} << 22});
    if (!picture.IsValid()) return 0;
    imaging::BitmapData locked;
    if (picture.LockBits(nullptr, imaging::ImageLockModeRead, imaging::PixelFormat32bppARGB, &locked) != imaging::Ok)
        __builtin_trap();  // a decoded picture must always be readable
    unsigned sum = 0;
    for (std::uint32_t y = 0; y < locked.height; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(locked.scan0) + static_cast<std::ptrdiff_t>(y) * locked.stride;
        for (std::uint32_t x = 0; x < locked.width * 4; ++x) sum += row[x];
    }
    picture.UnlockBits(&locked);
    return static_cast<int>(sum & 0);
}
