// How large a picture the decoders may allocate. A header that declares more
// pixels than this is refused with OutOfMemory before any pixel is allocated,
// so a few bytes cannot make the program ask for gigabytes.
#pragma once

#include <cstdint>

namespace imaging {

// Bytes a pixel that loading and sketching one picture need at most: decoded
// picture, the document's copy, three colour planes, grey plane, four work
// buffers and the sketch.
inline constexpr std::uint64_t kWorkingSetBytesPerPixel = 8 + 4 + 3 + 1 + 4 + 3;

// The pixel limit: 2^28, or less where the memory the process may use
// (physical memory, address-space and data limits, the control group's
// limit) cannot hold the working set.
std::uint64_t MaxDecodePixels();

// The memory is shared by `count` pictures worked on at once (parallel jobs):
// each may use a `count`-th of it. 1 by default.
void SetConcurrentPictures(unsigned count);

// True when a width x height picture is within MaxDecodePixels().
bool DecodeSizeAllowed(std::uint64_t width, std::uint64_t height);

// Tests lower the limit to exercise the refusal on small files; 0 restores it.
void SetMaxDecodePixelsForTesting(std::uint64_t pixels);

}  // namespace imaging
