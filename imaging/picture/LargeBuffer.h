// Zeroed memory for picture-sized buffers. Blocks of several megabytes come
// straight from the system as 2 MiB-aligned mappings that ask for transparent
// huge pages: a 12-megapixel plane then costs a few dozen page faults instead
// of thousands, which on virtual machines is most of the time a fresh buffer
// takes. Smaller blocks come from calloc.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging {

class LargeBuffer {
public:
    LargeBuffer() = default;
    // `bytes` zeroed bytes, or an empty buffer when memory runs out.
    static LargeBuffer Allocate(std::size_t bytes) noexcept;

    LargeBuffer(LargeBuffer&& other) noexcept { *this = static_cast<LargeBuffer&&>(other); }
    LargeBuffer& operator=(LargeBuffer&& other) noexcept;
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;
    ~LargeBuffer() { reset(); }

    void reset() noexcept;
    std::uint8_t* get() const { return data_; }
    std::uint8_t& operator[](std::size_t i) const { return data_[i]; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    std::uint8_t* data_ = nullptr;
    void* mapping_ = nullptr;  // null for calloc'd blocks
    std::size_t mapped_ = 0;
};

}  // namespace imaging
