// CBitmapLock: a scoped lock of a whole picture in one of the three lock
// layouts. Everything that reads or writes picture pixels goes through it.
//
//   CBitmapLock lock;
//   if (lock.Lock(picture, true, false, imaging::PixelFormat32bppRGB) != imaging::Ok) ...
//   row y: lock.Row(y)   (first row + y * stride; the stride may be negative)
//
// status is 0 while locked, the picture layer's status after a failed lock,
// 1 after Unlock. A failed lock leaves data, lowestRow and rowSize zero.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/picture/Picture.h"

class CBitmapLock {
public:
    CBitmapLock() = default;
    ~CBitmapLock() { Unlock(); }
    CBitmapLock(const CBitmapLock&) = delete;
    CBitmapLock& operator=(const CBitmapLock&) = delete;

    // Locks the whole picture for reading and/or writing in `format`.
    std::int32_t Lock(imaging::Picture* picture, bool read, bool write, imaging::PixelFormat format);
    // Ends the lock; does nothing unless locked. Leaves status 1.
    void Unlock();

    bool IsLocked() const { return status == 0; }
    std::uint8_t* FirstRow() const { return static_cast<std::uint8_t*>(data.scan0); }
    std::uint8_t* Row(std::uint32_t y) const {
        return FirstRow() + static_cast<std::ptrdiff_t>(y) * data.stride;
    }

    imaging::Picture* picture = nullptr;  // not owned
    std::int32_t status = 1;
    imaging::BitmapData data{};
    std::uint8_t* lowestRow = nullptr;  // the row with the lowest address
    std::uint32_t rowSize = 0;          // |stride|
};
