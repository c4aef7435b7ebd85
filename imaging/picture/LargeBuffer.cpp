#include "imaging/picture/LargeBuffer.h"

#include <sys/mman.h>

#include <cstdlib>

namespace imaging {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a mapping of its own saves nothing.
constexpr std::size_t kMapFrom = 4 * kHugePage;

}  // namespace

LargeBuffer LargeBuffer::Allocate(std::size_t bytes) noexcept {
    LargeBuffer b;
    if (bytes < kMapFrom) {
        b.data_ = static_cast<std::uint8_t*>(std::calloc(bytes ? bytes : 1, 1));
        return b;
    }
    // Map a huge page more than needed, so an aligned start exists inside.
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    if (rounded < bytes || rounded + kHugePage < rounded) return b;
    const std::size_t mapped = rounded + kHugePage;
    void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return b;
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    // Huge pages are a request the kernel may decline; the memory is good either way.
    madvise(reinterpret_cast<void*>(aligned), rounded, MADV_HUGEPAGE);
    b.mapping_ = p;
    b.mapped_ = mapped;
    b.data_ = reinterpret_cast<std::uint8_t*>(aligned);
    return b;
}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept {
    if (this != &other) {
        reset();
        data_ = other.data_;
        mapping_ = other.mapping_;
        mapped_ = other.mapped_;
        other.data_ = nullptr;
        other.mapping_ = nullptr;
        other.mapped_ = 0;
    }
    return *this;
}

void LargeBuffer::reset() noexcept {
    if (mapping_ != nullptr)
        munmap(mapping_, mapped_);
    else
        std::free(data_);
    data_ = nullptr;
    mapping_ = nullptr;
    mapped_ = 0;
}

}  // namespace imaging
