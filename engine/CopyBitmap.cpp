#include "engine/CopyBitmap.h"

#include <algorithm>
#include <cstring>

#include "engine/BitmapLock.h"

std::unique_ptr<imaging::Picture> CopyBitmap(imaging::Picture& source) {
    using namespace imaging;
    const PixelFormat format = source.Format();
    PixelFormat lockFormat = PixelFormat24bppRGB;
    PixelFormat copyFormat = PixelFormat24bppRGB;
    if (HasAlpha(format)) {
        lockFormat = copyFormat = PixelFormat32bppARGB;
    } else if (format == PixelFormat32bppRGB) {
        lockFormat = PixelFormat32bppRGB;
        copyFormat = PixelFormat32bppARGB;
    }

    CBitmapLock src;
    src.Lock(&source, true, false, lockFormat);
    auto copy = std::make_unique<Picture>(static_cast<int>(src.data.width), static_cast<int>(src.data.height), copyFormat);
    CBitmapLock dst;
    dst.Lock(copy.get(), false, true, copyFormat);
    if (src.IsLocked() && dst.IsLocked()) {
        // Whole rows, padding included, but never past the end of the copy's rows.
        const std::size_t bytes = std::min(src.rowSize, dst.rowSize);
        for (std::uint32_t i = 0; i < src.data.height; ++i) std::memcpy(dst.Row(i), src.Row(i), bytes);
    }
    dst.Unlock();
    src.Unlock();
    return copy;
}
