// A raster picture: size, pixel format, pixels and the status of the last
// failing call. Every operation returns a Status and records a failing one in
// LastStatus(); nothing throws. A picture that could not be made reads as
// 0 x 0 with type ImageTypeUnknown, so callers can test it like any other.
//
// Pixels are reached only through LockBits/UnlockBits, in the picture's own
// format or in one of the three lock layouts (24-bit BGR, 32-bit RGB whose
// fourth byte reads as opacity, 32-bit ARGB); the layer converts both ways.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/picture/LargeBuffer.h"
#include "imaging/picture/PixelFormat.h"
#include "imaging/picture/Status.h"

namespace imaging {

enum ImageType : std::uint32_t { ImageTypeUnknown = 0, ImageTypeBitmap = 1 };

enum ImageLockMode : std::uint32_t {
    ImageLockModeRead = 1,
    ImageLockModeWrite = 2,
};

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The locked rows: row y of the rectangle starts at scan0 + y * stride.
// A negative stride means the rows are stored bottom-up.
struct BitmapData {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t stride = 0;
    PixelFormat pixelFormat = 0;
    void* scan0 = nullptr;
    std::uintptr_t reserved = 0;
};

// Colour as 0xAARRGGBB (palette entries).
using Argb = std::uint32_t;

class Picture {
public:
    // An invalid picture (0 x 0, unknown type).
    Picture() = default;

    // A blank picture whose pixels the layer allocates: all bytes zero except
    // the fourth byte of 32-bit RGB, which is 255 (it reads as opacity).
    // On failure the picture is invalid and LastStatus() says why
    // (InvalidParameter for a bad size or format, OutOfMemory).
    Picture(int width, int height, PixelFormat format);

    // A picture over the caller's pixels, which must outlive it. scan0 is the
    // address of the top row; stride may be negative (rows stored bottom-up).
    Picture(int width, int height, int stride, PixelFormat format, std::uint8_t* scan0);

    Picture(Picture&&) noexcept;
    Picture& operator=(Picture&&) noexcept;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture();

    bool IsValid() const { return width_ > 0; }
    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    PixelFormat Format() const { return format_; }
    ImageType Type() const { return IsValid() ? ImageTypeBitmap : ImageTypeUnknown; }
    Status LastStatus() const { return last_; }

    // Palette of an indexed picture (entries 0xAARRGGBB); empty otherwise.
    const std::vector<Argb>& Palette() const { return palette_; }
    Status SetPalette(std::vector<Argb> entries);

    // Locks a rectangle (null: the whole picture) for reading, writing or
    // both (ImageLockMode bits) in `format`: the picture's own format or one of
    // the three lock layouts. One lock at a time (WrongState otherwise).
    // A lock in the picture's own format points at its pixels; any other
    // lock works on a converted copy that UnlockBits writes back after a
    // write lock. Writing back into an indexed picture is NotImplemented.
    Status LockBits(const Rect* rect, std::uint32_t flags, PixelFormat format, BitmapData* data);
    Status UnlockBits(BitmapData* data);

    // Marks an invalid picture's reason (used by decoders and factories).
    static Picture Failed(Status why);

private:
    Status Fail(Status s) { last_ = s; return s; }
    std::uint8_t* Row(int y) const { return top_ + static_cast<std::ptrdiff_t>(y) * stride_; }

    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    PixelFormat format_ = PixelFormatUndefined;
    std::int32_t stride_ = 0;
    std::uint8_t* top_ = nullptr;            // address of row 0
    LargeBuffer owned_;  // when the layer owns the pixels
    std::vector<Argb> palette_;
    Status last_ = Ok;

    // State of the one lock.
    bool locked_ = false;
    std::uint32_t lockFlags_ = 0;
    Rect lockRect_;
    PixelFormat lockFormat_ = 0;
    std::unique_ptr<std::uint8_t[]> lockCopy_;  // converted copy, when not direct
};

// Largest picture the layer will allocate, in pixels (2^28).
inline constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{1} << 28;

}  // namespace imaging
