// High-quality scaling of a picture for display, one visible part at a time.
//
// The view never builds the whole scaled picture: it asks for the rectangle
// it is about to paint, and the work and memory of a call follow that
// rectangle (plus the band of source rows and columns it reads), so 800 % of
// a 24-megapixel photograph costs no more than the window it fills.
//
// Quality: Catmull-Rom bicubic on pixel centres, edges clamped. When
// shrinking, the kernel is widened by the scale factor so every source pixel
// contributes (an antialiasing filter, never point sampling), and its part
// past the picture's edge is left out rather than clamped. Colours are
// weighted by alpha (premultiplied while filtering), so the colour of a
// transparent pixel never bleeds into its neighbours; an output pixel that
// comes out fully transparent is written as 0,0,0,0.
//
// Every output pixel depends only on the scaled size and its own position,
// never on the rectangle asked for: tiles rendered separately and stitched
// together give the same bytes as one call for the whole picture.
//
// Scaling to the source's own size is a plain copy of the rectangle.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/picture/Picture.h"
#include "imaging/picture/Status.h"

namespace imaging {

// Source: a srcW x srcH picture of 32-bit B,G,R,A pixels (not premultiplied;
// srcFormat PixelFormat32bppARGB) or of 24-bit B,G,R pixels (opaque;
// PixelFormat24bppRGB), row y at src + y * srcStride (a negative stride walks
// a bottom-up picture), e.g. the rows of a lock in the picture's own format,
// which needs no conversion.
//
// Writes the pixels [region.x, region.x + region.width) x
// [region.y, region.y + region.height) of the picture scaled to
// scaledW x scaledH into dst as 32-bit B,G,R,A (not premultiplied), row j of
// the region at dst + j * dstStride.
//
// InvalidParameter: another source format, null pointers, a source that is empty or larger than
// kMaxPicturePixels, a scaled size below 1, an empty region or one reaching
// outside the scaled picture, a stride shorter than its row.
// OutOfMemory: the working buffers could not be allocated; dst may then hold
// some rows already. Never throws.
Status ResampleRegion(const std::uint8_t* src, std::ptrdiff_t srcStride, int srcW, int srcH, int scaledW,
                      int scaledH, const Rect& region, std::uint8_t* dst, std::ptrdiff_t dstStride,
                      PixelFormat srcFormat = PixelFormat32bppARGB) noexcept;

}  // namespace imaging
