#include "imaging/picture/Picture.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "imaging/picture/PixelConvert.h"

namespace imaging {

namespace {

// Rows of the layer's own pictures are padded to 4 bytes, as every consumer
// of device-independent rows expects.
std::uint64_t PaddedStride(PixelFormat format, std::uint64_t width) {
    return (RowBytes(format, width) + 3) & ~std::uint64_t{3};
}

// Whether a picture of this shape can exist at all.
Status CheckShape(int width, int height, PixelFormat format) {
    if (width <= 0 || height <= 0 || !IsSupportedFormat(format)) return InvalidParameter;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPicturePixels)
        return OutOfMemory;
    return Ok;
}

}  // namespace

Picture Picture::Failed(Status why) {
    Picture p;
    p.last_ = why;
    return p;
}

Picture::Picture(int width, int height, PixelFormat format) {
    if (const Status s = CheckShape(width, height, format); s != Ok) {
        last_ = s;
        return;
    }
    const std::uint64_t stride = PaddedStride(format, static_cast<std::uint64_t>(width));
    const std::uint64_t bytes = stride * static_cast<std::uint64_t>(height);
    if (stride > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) ||
        bytes > std::numeric_limits<std::size_t>::max()) {
        last_ = OutOfMemory;
        return;
    }
    // Zeroed by the system, with no pass over them.
    owned_ = LargeBuffer::Allocate(static_cast<std::size_t>(bytes));
    if (!owned_) {
        last_ = OutOfMemory;
        return;
    }
    width_ = static_cast<std::uint32_t>(width);
    height_ = static_cast<std::uint32_t>(height);
    format_ = format;
    stride_ = static_cast<std::int32_t>(stride);
    top_ = owned_.get();
    if (format == PixelFormat32bppRGB) {
        // The fourth byte of 32-bit RGB reads as opacity: a blank picture is opaque.
        for (std::uint64_t i = 3; i < bytes; i += 4) owned_[i] = 255;
    }
    if (IsIndexed(format)) palette_.assign(std::size_t{1} << BitsPerPixel(format), 0xFF000000u);
}

Picture::Picture(int width, int height, int stride, PixelFormat format, std::uint8_t* scan0) {
    const Status s = scan0 == nullptr ? InvalidParameter : CheckShape(width, height, format);
    if (s != Ok) {
        last_ = s;
        return;
    }
    const std::uint64_t need = RowBytes(format, static_cast<std::uint64_t>(width));
    const std::uint64_t have = stride < 0 ? -static_cast<std::int64_t>(stride) : stride;
    if (have < need) {
        last_ = InvalidParameter;
        return;
    }
    width_ = static_cast<std::uint32_t>(width);
    height_ = static_cast<std::uint32_t>(height);
    format_ = format;
    stride_ = stride;
    top_ = scan0;
    if (IsIndexed(format)) palette_.assign(std::size_t{1} << BitsPerPixel(format), 0xFF000000u);
}

Picture::Picture(Picture&& o) noexcept { *this = std::move(o); }

Picture& Picture::operator=(Picture&& o) noexcept {
    if (this != &o) {
        width_ = o.width_;
        height_ = o.height_;
        format_ = o.format_;
        stride_ = o.stride_;
        top_ = o.top_;
        owned_ = std::move(o.owned_);
        palette_ = std::move(o.palette_);
        last_ = o.last_;
        locked_ = o.locked_;
        lockFlags_ = o.lockFlags_;
        lockRect_ = o.lockRect_;
        lockFormat_ = o.lockFormat_;
        lockCopy_ = std::move(o.lockCopy_);
        o.width_ = o.height_ = 0;
        o.format_ = PixelFormatUndefined;
        o.stride_ = 0;
        o.top_ = nullptr;
        o.locked_ = false;
        o.palette_.clear();
    }
    return *this;
}

Picture::~Picture() = default;

Status Picture::SetPalette(std::vector<Argb> entries) {
    if (!IsValid()) return Fail(InvalidParameter);
    if (!IsIndexed(format_) || entries.empty() || entries.size() > (std::size_t{1} << BitsPerPixel(format_)))
        return Fail(InvalidParameter);
    palette_ = std::move(entries);
    return Ok;
}

Status Picture::LockBits(const Rect* rect, std::uint32_t flags, PixelFormat format, BitmapData* data) {
    if (data == nullptr) return Fail(InvalidParameter);
    if (!IsValid()) return Fail(InvalidParameter);
    if (locked_) return Fail(WrongState);
    const std::uint32_t mode = flags & (ImageLockModeRead | ImageLockModeWrite);
    if (mode == 0 || (format != format_ && !IsLockLayout(format))) return Fail(InvalidParameter);

    Rect r{0, 0, static_cast<int>(width_), static_cast<int>(height_)};
    if (rect != nullptr) {
        r = *rect;
        if (r.x < 0 || r.y < 0 || r.width <= 0 || r.height <= 0 ||
            static_cast<std::int64_t>(r.x) + r.width > static_cast<std::int64_t>(width_) ||
            static_cast<std::int64_t>(r.y) + r.height > static_cast<std::int64_t>(height_))
            return Fail(InvalidParameter);
    }
    if (format != format_ && (mode & ImageLockModeWrite) && IsIndexed(format_)) return Fail(NotImplemented);

    // Rows of 1- and 4-bit pixels can only be handed out from a byte boundary.
    if (format == format_ && BitsPerPixel(format) % 8 != 0 && r.x != 0) return Fail(InvalidParameter);
    const bool direct = format == format_;
    if (direct) {
        data->width = static_cast<std::uint32_t>(r.width);
        data->height = static_cast<std::uint32_t>(r.height);
        data->stride = stride_;
        data->pixelFormat = format;
        data->scan0 = Row(r.y) + RowBytes(format, static_cast<std::uint64_t>(r.x));
        data->reserved = 0;
    } else {
        const std::uint64_t stride = PaddedStride(format, static_cast<std::uint64_t>(r.width));
        const std::uint64_t bytes = stride * static_cast<std::uint64_t>(r.height);
        std::unique_ptr<std::uint8_t[]> copy(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]);
        if (!copy) return Fail(OutOfMemory);
        if (mode & ImageLockModeRead) {
            std::unique_ptr<std::uint8_t[]> bgra;
            if (format == PixelFormat24bppRGB) {
                bgra.reset(new (std::nothrow) std::uint8_t[4 * static_cast<std::size_t>(r.width)]);
                if (!bgra) return Fail(OutOfMemory);
            }
            for (int y = 0; y < r.height; ++y) {
                std::uint8_t* dst = copy.get() + static_cast<std::size_t>(y) * stride;
                if (format == PixelFormat24bppRGB) {
                    RowToBgra(format_, Row(r.y + y), r.x, r.width, palette_, bgra.get());
                    for (int x = 0; x < r.width; ++x) std::memcpy(dst + 3 * x, bgra.get() + 4 * x, 3);
                } else {
                    RowToBgra(format_, Row(r.y + y), r.x, r.width, palette_, dst);
                }
            }
        } else {
            std::memset(copy.get(), 0, static_cast<std::size_t>(bytes));
        }
        lockCopy_ = std::move(copy);
        data->width = static_cast<std::uint32_t>(r.width);
        data->height = static_cast<std::uint32_t>(r.height);
        data->stride = static_cast<std::int32_t>(stride);
        data->pixelFormat = format;
        data->scan0 = lockCopy_.get();
        data->reserved = 0;
    }
    locked_ = true;
    lockFlags_ = mode;
    lockRect_ = r;
    lockFormat_ = format;
    return Ok;
}

Status Picture::UnlockBits(BitmapData* data) {
    if (data == nullptr) return Fail(InvalidParameter);
    if (!locked_) return Fail(WrongState);
    Status result = Ok;
    if (lockCopy_ && (lockFlags_ & ImageLockModeWrite)) {
        const Rect& r = lockRect_;
        std::unique_ptr<std::uint8_t[]> bgra(new (std::nothrow) std::uint8_t[4 * static_cast<std::size_t>(r.width)]);
        if (!bgra) {
            result = OutOfMemory;
        } else {
            const auto* base = static_cast<const std::uint8_t*>(data->scan0);
            for (int y = 0; y < r.height; ++y) {
                const std::uint8_t* src = base + static_cast<std::ptrdiff_t>(y) * data->stride;
                const std::uint8_t* row = src;
                if (lockFormat_ == PixelFormat24bppRGB) {
                    for (int x = 0; x < r.width; ++x) {
                        std::memcpy(bgra.get() + 4 * x, src + 3 * x, 3);
                        bgra[4 * x + 3] = 255;
                    }
                    row = bgra.get();
                }
                RowFromBgra(format_, row, Row(r.y + y), r.x, r.width);
            }
        }
    }
    lockCopy_.reset();
    locked_ = false;
    lockFlags_ = 0;
    *data = BitmapData{};
    return result == Ok ? Ok : Fail(result);
}

}  // namespace imaging
