#include "app/RegionRenderer.h"

#include <memory>
#include <new>
#include <vector>

#include "engine/BitmapLock.h"
#include "imaging/display/Resample.h"

bool RenderRegion(imaging::Picture& picture, std::uint32_t scaledWidth, std::uint32_t scaledHeight,
                  const wxRect& region, const wxColour& background, wxImage* out) {
    if (region.IsEmpty()) return false;
    // The picture's own rows when the scaler reads them directly: no whole-picture conversion.
    const imaging::PixelFormat format =
        picture.Format() == imaging::PixelFormat24bppRGB ? imaging::PixelFormat24bppRGB : imaging::PixelFormat32bppARGB;
    CBitmapLock lock;
    if (lock.Lock(&picture, true, false, format) != 0) return false;

    const std::size_t stride = 4 * static_cast<std::size_t>(region.width);
    std::unique_ptr<std::uint8_t[]> bgra(new (std::nothrow) std::uint8_t[stride * region.height]);
    if (!bgra) return false;
    const imaging::Rect r{region.x, region.y, region.width, region.height};
    if (imaging::ResampleRegion(lock.FirstRow(), lock.data.stride, static_cast<int>(lock.data.width),
                                static_cast<int>(lock.data.height), static_cast<int>(scaledWidth),
                                static_cast<int>(scaledHeight), r, bgra.get(),
                                static_cast<std::ptrdiff_t>(stride), format) != imaging::Ok)
        return false;

    // Transparent pixels show the window colour.
    if (!out->Create(region.width, region.height, false)) return false;
    unsigned char* rgb = out->GetData();
    const unsigned br = background.Red(), bg = background.Green(), bb = background.Blue();
    const std::size_t n = static_cast<std::size_t>(region.width) * region.height;
    const std::uint8_t* s = bgra.get();
    for (std::size_t i = 0; i < n; ++i, s += 4, rgb += 3) {
        const unsigned a = s[3], na = 255 - a;
        rgb[0] = static_cast<unsigned char>((s[2] * a + br * na + 127) / 255);
        rgb[1] = static_cast<unsigned char>((s[1] * a + bg * na + 127) / 255);
        rgb[2] = static_cast<unsigned char>((s[0] * a + bb * na + 127) / 255);
    }
    return true;
}
