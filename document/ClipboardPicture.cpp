#include "document/ClipboardPicture.h"

#include <new>

#include "engine/BitmapLock.h"

std::unique_ptr<imaging::Picture> PictureFromImage(const wxImage& image) {
    if (!image.IsOk() || image.GetWidth() <= 0 || image.GetHeight() <= 0) return nullptr;
    const int w = image.GetWidth(), h = image.GetHeight();
    const unsigned char* rgb = image.GetData();
    const unsigned char* alpha = image.HasAlpha() ? image.GetAlpha() : nullptr;
    bool transparent = false;
    if (alpha != nullptr)
        for (std::size_t i = 0, n = static_cast<std::size_t>(w) * h; i < n && !transparent; ++i)
            transparent = alpha[i] != 255;

    const imaging::PixelFormat format = transparent ? imaging::PixelFormat32bppARGB : imaging::PixelFormat24bppRGB;
    auto picture = std::unique_ptr<imaging::Picture>(new (std::nothrow) imaging::Picture(w, h, format));
    if (!picture || !picture->IsValid()) return nullptr;
    CBitmapLock lock;
    if (lock.Lock(picture.get(), false, true, format) != 0) return nullptr;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = lock.Row(static_cast<std::uint32_t>(y));
        const unsigned char* src = rgb + static_cast<std::size_t>(y) * w * 3;
        if (transparent) {
            const unsigned char* a = alpha + static_cast<std::size_t>(y) * w;
            for (int x = 0; x < w; ++x) {
                row[4 * x] = src[3 * x + 2];
                row[4 * x + 1] = src[3 * x + 1];
                row[4 * x + 2] = src[3 * x];
                row[4 * x + 3] = a[x];
            }
        } else {
            for (int x = 0; x < w; ++x) {
                row[3 * x] = src[3 * x + 2];
                row[3 * x + 1] = src[3 * x + 1];
                row[3 * x + 2] = src[3 * x];
            }
        }
    }
    return picture;
}
