// Scoped read lock for the encoders: the whole picture in one format, unlocked
// on every path out. Indexed rows can be unpacked to one index a byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/picture/Picture.h"

namespace imaging::detail {

class ReadLock {
public:
    ReadLock(Picture& picture, PixelFormat format) : picture_(picture) {
        status_ = picture.LockBits(nullptr, ImageLockModeRead, format, &data_);
    }
    ~ReadLock() {
        if (status_ == Ok) picture_.UnlockBits(&data_);
    }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;

    Status status() const { return status_; }
    std::uint32_t width() const { return data_.width; }
    std::uint32_t height() const { return data_.height; }
    const std::uint8_t* Row(std::uint32_t y) const {
        return static_cast<const std::uint8_t*>(data_.scan0) + static_cast<std::ptrdiff_t>(y) * data_.stride;
    }

private:
    Picture& picture_;
    BitmapData data_;
    Status status_;
};

// Unpacks a row of a 1-, 4- or 8-bit indexed format (most significant bits
// first) into one index a byte.
inline void UnpackIndices(PixelFormat format, const std::uint8_t* row, std::uint32_t width, std::uint8_t* out) {
    switch (BitsPerPixel(format)) {
    case 1:
        for (std::uint32_t x = 0; x < width; ++x) out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1u;
        break;
    case 4:
        for (std::uint32_t x = 0; x < width; ++x) out[x] = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu;
        break;
    default:
        for (std::uint32_t x = 0; x < width; ++x) out[x] = row[x];
        break;
    }
}

}  // namespace imaging::detail
