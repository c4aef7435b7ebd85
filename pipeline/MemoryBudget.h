// How large a picture the program takes on: the decoders get their pixel
// limit from here, worked out from the buffers that loading and sketching
// one picture hold at their peak and the memory the process may use.
#pragma once

#include <cstdint>

#include "imaging/codecs/DecodeLimits.h"

// Bytes a pixel at the peak of one picture's life: the decoded picture (up to
// 8), the copy the sketch reads (4), three colour planes, the grey plane and
// the sketch (3). The work buffers of a run are a few rows only.
inline constexpr std::uint64_t kWorkingSetBytesPerPixel = 8 + 4 + 3 + 1 + 3;

// Bytes the process may hold: physical memory, lowered by any address-space
// or data-segment limit and by the control group's limit.
std::uint64_t UsableMemory();

// The decode limit for one of `sharers` pictures worked on at once (parallel
// jobs): each may use a sharers-th of the usable memory, and none more than
// kMaxPicturePixels.
imaging::DecodeLimits PictureDecodeLimits(unsigned sharers = 1);

// A share's limit once the file's own bytes, read into memory for decoding,
// are counted in it: fewer pixels by the file's size in working sets.
imaging::DecodeLimits WithInputBuffer(imaging::DecodeLimits share, std::uint64_t inputBytes);
