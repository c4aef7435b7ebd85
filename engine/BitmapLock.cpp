#include "engine/BitmapLock.h"

std::int32_t CBitmapLock::Lock(imaging::Picture* pic, bool read, bool write, imaging::PixelFormat format) {
    Unlock();
    picture = pic;
    data = imaging::BitmapData{};
    lowestRow = nullptr;
    rowSize = 0;
    if (pic == nullptr) {
        status = imaging::InvalidParameter;
        return status;
    }
    const imaging::Rect whole{0, 0, static_cast<int>(pic->Width()), static_cast<int>(pic->Height())};
    const std::uint32_t mode = (read ? imaging::ImageLockModeRead : 0u) | (write ? imaging::ImageLockModeWrite : 0u);
    imaging::BitmapData locked{};
    const imaging::Status s = pic->LockBits(&whole, mode, format, &locked);
    if (s != imaging::Ok) {
        status = static_cast<std::int32_t>(s);
        return status;
    }
    status = 0;
    data = locked;
    rowSize = static_cast<std::uint32_t>(data.stride < 0 ? -static_cast<std::int64_t>(data.stride) : data.stride);
    lowestRow = data.stride > 0
        ? FirstRow()
        : FirstRow() + static_cast<std::ptrdiff_t>(data.height - 1) * data.stride;
    return status;
}

void CBitmapLock::Unlock() {
    if (status == 0 && picture != nullptr) picture->UnlockBits(&data);
    status = 1;
}
