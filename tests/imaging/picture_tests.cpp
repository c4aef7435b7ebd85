// The picture core: blank pictures, pictures over a caller's rows, and locks
// with conversion both ways.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/picture/PaletteConversion.h"
#include "imaging/picture/Picture.h"

using namespace imaging;

namespace {

struct BlankCase {
    int w, h;
    PixelFormat format;
    Status expected;
    std::int32_t stride;
};

TEST(Picture, BlankPicturesHaveSizeStrideAndStatus) {
    const BlankCase cases[] = {
        {1, 1, PixelFormat24bppRGB, Ok, 4},  // padded to 4 bytes
        {3, 2, PixelFormat24bppRGB, Ok, 12},
        {5, 1, PixelFormat32bppARGB, Ok, 20},
        {9, 1, PixelFormat1bppIndexed, Ok, 4},
        {3, 1, PixelFormat4bppIndexed, Ok, 4},
        {2, 2, PixelFormat48bppRGB, Ok, 12},
        {0, 5, PixelFormat24bppRGB, InvalidParameter, 0},
        {5, -1, PixelFormat24bppRGB, InvalidParameter, 0},
        {5, 5, 0x12345, InvalidParameter, 0},
        {1 << 15, 1 << 14, PixelFormat24bppRGB, OutOfMemory, 0},  // 2^29 pixels
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " fmt " << std::hex << c.format);
        Picture p(c.w, c.h, c.format);
        EXPECT_EQ(p.LastStatus(), c.expected);
        if (c.expected != Ok) {
            EXPECT_EQ(p.Width(), 0u);
            EXPECT_EQ(p.Height(), 0u);
            EXPECT_EQ(p.Type(), ImageTypeUnknown);
            continue;
        }
        EXPECT_EQ(p.Type(), ImageTypeBitmap);
        BitmapData d;
        ASSERT_EQ(p.LockBits(nullptr, ImageLockModeRead, c.format, &d), Ok);
        EXPECT_EQ(d.stride, c.stride);
        EXPECT_EQ(d.width, static_cast<std::uint32_t>(c.w));
        EXPECT_EQ(p.UnlockBits(&d), Ok);
    }
}

TEST(Picture, BlankThirtyTwoBitRgbReadsOpaque) {
    Picture p(2, 2, PixelFormat32bppRGB);
    BitmapData d;
    ASSERT_EQ(p.LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &d), Ok);
    const auto* px = static_cast<const std::uint8_t*>(d.scan0);
    EXPECT_EQ(px[3], 255);
    p.UnlockBits(&d);
}

// One pixel of each source format, read in each of the three layouts.
TEST(Picture, LockConvertsEveryFormatToTheThreeLayouts) {
    struct Case {
        PixelFormat format;
        std::vector<std::uint8_t> pixel;  // one pixel in the source format
        std::vector<Argb> palette;
        std::uint8_t b, g, r, a;
    };
    const Case cases[] = {
        {PixelFormat24bppRGB, {10, 20, 30}, {}, 10, 20, 30, 255},
        {PixelFormat32bppRGB, {10, 20, 30, 255}, {}, 10, 20, 30, 255},
        {PixelFormat32bppARGB, {10, 20, 30, 40}, {}, 10, 20, 30, 40},
        {PixelFormat8bppIndexed, {1}, {0xFF000000u, 0x80112233u}, 0x33, 0x22, 0x11, 0x80},
        {PixelFormat4bppIndexed, {0x10}, {0xFF000000u, 0xFF445566u}, 0x66, 0x55, 0x44, 255},
        {PixelFormat1bppIndexed, {0x80}, {0xFF000000u, 0xFFFFFFFFu}, 255, 255, 255, 255},
        {PixelFormat16bppGrayScale, {0x00, 0x7F}, {}, 0x7F, 0x7F, 0x7F, 255},
        {PixelFormat48bppRGB, {0xFF, 0x10, 0xFF, 0x20, 0xFF, 0x30}, {}, 0x10, 0x20, 0x30, 255},
        {PixelFormat64bppARGB, {0, 1, 0, 2, 0, 3, 0, 4}, {}, 1, 2, 3, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.format);
        std::vector<std::uint8_t> row = c.pixel;
        row.resize(8, 0);
        Picture p(1, 1, 8, c.format, row.data());
        ASSERT_EQ(p.LastStatus(), Ok);
        if (!c.palette.empty()) {
            ASSERT_EQ(p.SetPalette(c.palette), Ok);
        }
        for (PixelFormat layout : {PixelFormat24bppRGB, PixelFormat32bppRGB, PixelFormat32bppARGB}) {
            BitmapData d;
            ASSERT_EQ(p.LockBits(nullptr, ImageLockModeRead, layout, &d), Ok);
            const auto* px = static_cast<const std::uint8_t*>(d.scan0);
            EXPECT_EQ(px[0], c.b);
            EXPECT_EQ(px[1], c.g);
            EXPECT_EQ(px[2], c.r);
            if (layout != PixelFormat24bppRGB) {
                // The fourth byte of 32-bit RGB carries the opacity too.
                EXPECT_EQ(px[3], c.a);
            }
            EXPECT_EQ(p.UnlockBits(&d), Ok);
        }
    }
}

TEST(Picture, WriteLockConvertsBackOnUnlock) {
    const PixelFormat natives[] = {PixelFormat24bppRGB, PixelFormat32bppRGB, PixelFormat32bppARGB,
                                   PixelFormat48bppRGB, PixelFormat64bppARGB};
    for (PixelFormat native : natives) {
        SCOPED_TRACE(testing::Message() << std::hex << native);
        Picture p(3, 2, native);
        BitmapData d;
        ASSERT_EQ(p.LockBits(nullptr, ImageLockModeWrite, PixelFormat32bppARGB, &d), Ok);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                auto* px = static_cast<std::uint8_t*>(d.scan0) + y * d.stride + 4 * x;
                px[0] = static_cast<std::uint8_t>(x * 40);
                px[1] = static_cast<std::uint8_t>(y * 90);
                px[2] = 7;
                px[3] = 200;
            }
        ASSERT_EQ(p.UnlockBits(&d), Ok);
        ASSERT_EQ(p.LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &d), Ok);
        const auto* px = static_cast<const std::uint8_t*>(d.scan0) + 1 * d.stride + 4 * 2;
        EXPECT_EQ(px[0], 80);
        EXPECT_EQ(px[1], 90);
        EXPECT_EQ(px[2], 7);
        EXPECT_EQ(px[3], HasAlpha(native) ? 200 : 255);
        p.UnlockBits(&d);
    }
}

TEST(Picture, NegativeStrideRowsStayInOrder) {
    // Rows stored bottom-up: row 0 (top) sits at the highest address.
    std::vector<std::uint8_t> buf(3 * 4, 0);
    for (int y = 0; y < 3; ++y) buf[(2 - y) * 4] = static_cast<std::uint8_t>(10 * (y + 1));
    Picture p(1, 3, -4, PixelFormat24bppRGB, buf.data() + 8);
    ASSERT_EQ(p.LastStatus(), Ok);
    BitmapData d;
    ASSERT_EQ(p.LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &d), Ok);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(static_cast<const std::uint8_t*>(d.scan0)[y * d.stride], 10 * (y + 1));
    p.UnlockBits(&d);
}

TEST(Picture, LockMisuseIsRefusedWithAStatus) {
    Picture p(4, 4, PixelFormat24bppRGB);
    BitmapData d, d2;
    const Rect outside{2, 2, 3, 1};
    EXPECT_EQ(p.LockBits(&outside, ImageLockModeRead, PixelFormat24bppRGB, &d), InvalidParameter);
    EXPECT_EQ(p.LockBits(nullptr, 0, PixelFormat24bppRGB, &d), InvalidParameter);
    EXPECT_EQ(p.LockBits(nullptr, ImageLockModeRead, PixelFormat48bppRGB, &d), InvalidParameter);
    ASSERT_EQ(p.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &d), Ok);
    EXPECT_EQ(p.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &d2), WrongState);
    EXPECT_EQ(p.LastStatus(), WrongState);
    EXPECT_EQ(p.UnlockBits(&d), Ok);
    EXPECT_EQ(p.UnlockBits(&d), WrongState);

    Picture indexed(2, 2, PixelFormat8bppIndexed);
    EXPECT_EQ(indexed.LockBits(nullptr, ImageLockModeWrite, PixelFormat24bppRGB, &d), NotImplemented);

    Picture invalid;
    EXPECT_EQ(invalid.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &d), InvalidParameter);
}

TEST(Picture, SubRectangleLockReadsAndWritesOnlyThatPart) {
    Picture p(4, 3, PixelFormat24bppRGB);
    const Rect r{1, 1, 2, 2};
    BitmapData d;
    ASSERT_EQ(p.LockBits(&r, ImageLockModeWrite, PixelFormat32bppARGB, &d), Ok);
    for (int y = 0; y < 2; ++y) std::memset(static_cast<std::uint8_t*>(d.scan0) + y * d.stride, 0xAB, 8);
    ASSERT_EQ(p.UnlockBits(&d), Ok);
    ASSERT_EQ(p.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &d), Ok);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool inside = x >= 1 && x <= 2 && y >= 1;
            EXPECT_EQ(static_cast<const std::uint8_t*>(d.scan0)[y * d.stride + 3 * x], inside ? 0xAB : 0)
                << x << "," << y;
        }
    p.UnlockBits(&d);
}

}  // namespace

namespace {

// Small blocks from the heap, large ones mapped: both zeroed, writable to
// the last byte, and handed over by moves.
TEST(LargeBuffer, ZeroedWritableAndMovable) {
    for (std::size_t bytes : {std::size_t{2}, std::size_t{4096}, std::size_t{8} << 20, (std::size_t{12} << 20) + 3}) {
        SCOPED_TRACE(bytes);
        LargeBuffer b = LargeBuffer::Allocate(bytes);
        ASSERT_TRUE(b);
        for (std::size_t i = 0; i < bytes; i += 4093) ASSERT_EQ(b[i], 0);
        EXPECT_EQ(b[bytes - 1], 0);
        b[0] = 1;
        b[bytes - 1] = 2;
        LargeBuffer moved = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(moved[0], 1);
        EXPECT_EQ(moved[bytes - 1], 2);
        moved.reset();
        EXPECT_FALSE(moved);
    }
    EXPECT_FALSE(LargeBuffer::Allocate(SIZE_MAX - 10));
}

// 24-bit to palette: exactly when there are at most 256 colours, with the
// same colour at every pixel.
TEST(PaletteConversion, FitsUpTo256ColoursAndKeepsEveryPixel) {
    struct Case {
        int colours;
        bool fits;
    };
    for (const Case c : {Case{1, true}, Case{3, true}, Case{256, true}, Case{257, false}, Case{4000, false}}) {
        Picture rgb(64, 70, PixelFormat24bppRGB);
        BitmapData d;
        ASSERT_EQ(rgb.LockBits(nullptr, ImageLockModeWrite, PixelFormat24bppRGB, &d), Ok);
        for (std::uint32_t y = 0; y < d.height; ++y)
            for (std::uint32_t x = 0; x < d.width; ++x) {
                // Colours that differ in one channel only, spread over the picture.
                const std::uint32_t k = (y * d.width + x) % static_cast<std::uint32_t>(c.colours);
                std::uint8_t* px = static_cast<std::uint8_t*>(d.scan0) + y * d.stride + 3 * x;
                px[0] = static_cast<std::uint8_t>(k), px[1] = static_cast<std::uint8_t>(k >> 8), px[2] = 0x5A;
            }
        rgb.UnlockBits(&d);
        std::optional<Picture> indexed = ToPaletteIfItFits(rgb);
        ASSERT_EQ(indexed.has_value(), c.fits) << c.colours;
        if (!indexed) continue;
        EXPECT_EQ(indexed->Palette().size(), static_cast<std::size_t>(c.colours));
        BitmapData a, b;
        ASSERT_EQ(rgb.LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &a), Ok);
        ASSERT_EQ(indexed->LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &b), Ok);
        for (std::uint32_t y = 0; y < a.height; ++y)
            ASSERT_EQ(std::memcmp(static_cast<std::uint8_t*>(a.scan0) + y * a.stride,
                                  static_cast<std::uint8_t*>(b.scan0) + y * b.stride, 4 * a.width), 0)
                << c.colours << " colours, row " << y;
        rgb.UnlockBits(&a);
        indexed->UnlockBits(&b);
    }
    Picture argb(4, 4, PixelFormat32bppARGB);
    EXPECT_FALSE(ToPaletteIfItFits(argb).has_value());  // only 24-bit pictures
}

}  // namespace
