// CBitmapLock and CopyBitmap: the one way the program reaches picture pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/BitmapLock.h"
#include "engine/CopyBitmap.h"

using namespace imaging;

namespace {

TEST(BitmapLock, LockFillsRecordAndUnlockEndsIt) {
    struct Case {
        int stride;
        int rowsBelowTop;  // where row 0 sits in the buffer, in rows
    };
    for (const Case c : {Case{8, 0}, Case{-8, 2}}) {
        SCOPED_TRACE(c.stride);
        std::vector<std::uint8_t> buf(3 * 8);
        Picture p(2, 3, c.stride, PixelFormat24bppRGB, buf.data() + c.rowsBelowTop * 8);
        CBitmapLock lock;
        ASSERT_EQ(lock.Lock(&p, true, false, PixelFormat24bppRGB), 0);
        EXPECT_EQ(lock.status, 0);
        EXPECT_EQ(lock.rowSize, 8u);
        EXPECT_EQ(lock.data.stride, c.stride);
        EXPECT_EQ(lock.lowestRow, buf.data());  // top row when stride > 0, last row otherwise
        EXPECT_EQ(lock.Row(2), lock.FirstRow() + 2 * c.stride);
        lock.Unlock();
        EXPECT_EQ(lock.status, 1);
        lock.Unlock();  // twice is harmless
        EXPECT_EQ(lock.status, 1);
        // The picture is free again.
        CBitmapLock again;
        EXPECT_EQ(again.Lock(&p, true, true, PixelFormat24bppRGB), 0);
    }
}

TEST(BitmapLock, FailedLockLeavesEverythingZeroAndUnlockMakesNoCall) {
    Picture invalid;
    CBitmapLock lock;
    EXPECT_EQ(lock.Lock(&invalid, true, false, PixelFormat24bppRGB), static_cast<std::int32_t>(InvalidParameter));
    EXPECT_EQ(lock.lowestRow, nullptr);
    EXPECT_EQ(lock.rowSize, 0u);
    EXPECT_EQ(lock.data.scan0, nullptr);
    EXPECT_EQ(lock.data.width, 0u);

    // A second lock of a locked picture fails; unlocking that one must not
    // end the first lock.
    Picture p(2, 2, PixelFormat24bppRGB);
    CBitmapLock first, second;
    ASSERT_EQ(first.Lock(&p, true, false, PixelFormat24bppRGB), 0);
    EXPECT_EQ(second.Lock(&p, true, false, PixelFormat24bppRGB), static_cast<std::int32_t>(WrongState));
    second.Unlock();
    BitmapData d;
    EXPECT_EQ(p.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &d), WrongState);
}

TEST(BitmapLock, ScopeExitWritesBack) {
    Picture p(1, 1, PixelFormat32bppARGB);
    {
        CBitmapLock lock;
        ASSERT_EQ(lock.Lock(&p, false, true, PixelFormat24bppRGB), 0);
        std::memcpy(lock.FirstRow(), "\x01\x02\x03", 3);
    }
    CBitmapLock lock;
    ASSERT_EQ(lock.Lock(&p, true, false, PixelFormat32bppARGB), 0);
    EXPECT_EQ(0, std::memcmp(lock.FirstRow(), "\x01\x02\x03\xFF", 4));
}

std::vector<std::uint8_t> ReadArgb(Picture& p) {
    CBitmapLock lock;
    EXPECT_EQ(lock.Lock(&p, true, false, PixelFormat32bppARGB), 0);
    std::vector<std::uint8_t> out;
    for (std::uint32_t y = 0; y < lock.data.height; ++y)
        out.insert(out.end(), lock.Row(y), lock.Row(y) + 4 * lock.data.width);
    return out;
}

TEST(CopyBitmap, ChoosesTheLayoutByTheSourceFormat) {
    struct Case {
        PixelFormat source;
        PixelFormat copy;
    };
    const Case cases[] = {
        {PixelFormat24bppRGB, PixelFormat24bppRGB},   {PixelFormat8bppIndexed, PixelFormat24bppRGB},
        {PixelFormat1bppIndexed, PixelFormat24bppRGB}, {PixelFormat16bppGrayScale, PixelFormat24bppRGB},
        {PixelFormat48bppRGB, PixelFormat24bppRGB},   {PixelFormat32bppARGB, PixelFormat32bppARGB},
        {PixelFormat64bppARGB, PixelFormat32bppARGB}, {PixelFormat32bppRGB, PixelFormat32bppARGB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.source);
        Picture src(3, 2, c.source);
        {
            CBitmapLock w;
            if (!IsIndexed(c.source)) {
                ASSERT_EQ(w.Lock(&src, false, true, PixelFormat32bppARGB), 0);
                for (std::uint32_t y = 0; y < 2; ++y)
                    for (int i = 0; i < 12; ++i) w.Row(y)[i] = static_cast<std::uint8_t>(y * 12 + i + 100);
            }
        }
        const auto before = ReadArgb(src);
        auto copy = CopyBitmap(src);
        ASSERT_EQ(copy->LastStatus(), Ok);
        EXPECT_EQ(copy->Format(), c.copy);
        EXPECT_EQ(copy->Width(), 3u);
        EXPECT_EQ(copy->Height(), 2u);
        EXPECT_EQ(ReadArgb(*copy), before);
    }
}

TEST(CopyBitmap, ThirtyTwoBitRgbFourthByteBecomesAlpha) {
    std::vector<std::uint8_t> buf = {1, 2, 3, 77, 4, 5, 6, 0};
    Picture src(2, 1, 8, PixelFormat32bppRGB, buf.data());
    auto copy = CopyBitmap(src);
    EXPECT_EQ(copy->Format(), PixelFormat32bppARGB);
    EXPECT_EQ(ReadArgb(*copy), buf);
}

TEST(CopyBitmap, BottomUpAndPaddedRowsCopyInOrderWithPadding) {
    // Width 1, 24-bit: three bytes of pixel in a four-byte row, rows bottom-up.
    std::vector<std::uint8_t> buf = {30, 31, 32, 0xEE, 20, 21, 22, 0xDD, 10, 11, 12, 0xCC};
    Picture src(1, 3, -4, PixelFormat24bppRGB, buf.data() + 8);
    auto copy = CopyBitmap(src);
    ASSERT_EQ(copy->Format(), PixelFormat24bppRGB);
    CBitmapLock lock;
    ASSERT_EQ(lock.Lock(copy.get(), true, false, PixelFormat24bppRGB), 0);
    ASSERT_EQ(lock.data.stride, 4);
    const std::uint8_t expected[3][4] = {{10, 11, 12, 0xCC}, {20, 21, 22, 0xDD}, {30, 31, 32, 0xEE}};
    for (int y = 0; y < 3; ++y) EXPECT_EQ(0, std::memcmp(lock.Row(y), expected[y], 4)) << y;
}

TEST(CopyBitmap, InvalidSourceGivesInvalidCopy) {
    Picture invalid;
    auto copy = CopyBitmap(invalid);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Width(), 0u);
    EXPECT_EQ(copy->Type(), ImageTypeUnknown);
    EXPECT_NE(copy->LastStatus(), Ok);
}

}  // namespace
