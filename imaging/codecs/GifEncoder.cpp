// GIF89a through giflib: one frame, a global colour table, and a graphic
// control extension when a colour is transparent. Indexed pictures keep their
// own indices; other pictures go through the colour quantizer.
#include <gif_lib.h>

#include <memory>

#include "imaging/codecs/ColourQuantizer.h"
#include "imaging/codecs/EncoderList.h"
#include "imaging/picture/ReadLock.h"

namespace imaging::detail {

namespace {

constexpr std::uint32_t kMaxDimension = 0xFFFF;
constexpr std::uint8_t kAlphaThreshold = 128;

int Append(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    try {
        out->insert(out->end(), data, data + length);
        return length;
    } catch (...) {
        return 0;  // giflib reports a write failure
    }
}

struct MapFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// The one function that calls giflib. Its failures are write failures (out
// of memory) or allocation failures, both reported as OutOfMemory.
Status WriteGif(const IndexedPixels& image, std::vector<std::uint8_t>* out) {
    int bits = 1;
    while ((std::size_t{1} << bits) < image.palette.size()) ++bits;
    std::vector<GifColorType> colours(std::size_t{1} << bits, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < image.palette.size(); ++i) {
        const Argb c = image.palette[i];
        colours[i] = GifColorType{static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
                                  static_cast<GifByteType>(c)};
    }
    std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(1 << bits, colours.data()));
    if (!map) return OutOfMemory;

    int error = 0;
    GifFileType* gif = EGifOpen(out, Append, &error);
    if (gif == nullptr) return OutOfMemory;
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, static_cast<int>(image.width), static_cast<int>(image.height), bits, 0,
                                map.get()) == GIF_OK;
    if (ok && image.transparentIndex >= 0) {
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, image.transparentIndex};
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&gcb, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK;
    }
    if (ok)
        ok = EGifPutImageDesc(gif, 0, 0, static_cast<int>(image.width), static_cast<int>(image.height), false,
                              nullptr) == GIF_OK;
    for (std::uint32_t y = 0; ok && y < image.height; ++y) {
        auto* row = const_cast<GifPixelType*>(image.indices.data() + std::size_t{y} * image.width);
        ok = EGifPutLine(gif, row, static_cast<int>(image.width)) == GIF_OK;
    }
    // Closing writes the trailer and frees the handle whatever the outcome.
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    return ok ? Ok : OutOfMemory;
}

// An indexed picture as it is: entries with alpha below 128 all become the
// first of them, the transparent index.
Status FromIndexed(Picture& picture, IndexedPixels& image) {
    const PixelFormat own = picture.Format();
    const std::vector<Argb>& palette = picture.Palette();
    const std::size_t entries = std::size_t{1} << BitsPerPixel(own);
    std::uint8_t remap[256];
    for (std::size_t i = 0; i < entries; ++i) {
        const Argb c = i < palette.size() ? palette[i] : 0xFF000000u;
        remap[i] = static_cast<std::uint8_t>(i);
        if ((c >> 24) < kAlphaThreshold) {
            if (image.transparentIndex < 0) image.transparentIndex = static_cast<int>(i);
            remap[i] = static_cast<std::uint8_t>(image.transparentIndex);
        }
        image.palette.push_back(c);
    }

    ReadLock lock(picture, own);
    if (lock.status() != Ok) return lock.status();
    image.width = lock.width();
    image.height = lock.height();
    image.indices.resize(std::size_t{image.width} * image.height);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        std::uint8_t* dst = image.indices.data() + std::size_t{y} * image.width;
        UnpackIndices(own, lock.Row(y), image.width, dst);
        if (image.transparentIndex >= 0)
            for (std::uint32_t x = 0; x < image.width; ++x) dst[x] = remap[dst[x]];
    }
    image.exact = true;
    return Ok;
}

}  // namespace

Status EncodeGif(Picture& picture, std::vector<std::uint8_t>& out) {
    if (picture.Width() > kMaxDimension || picture.Height() > kMaxDimension) return InvalidParameter;
    IndexedPixels image;
    if (IsIndexed(picture.Format())) {
        const Status status = FromIndexed(picture, image);
        if (status != Ok) return status;
    } else {
        ReadLock lock(picture, PixelFormat32bppARGB);
        if (lock.status() != Ok) return lock.status();
        const std::ptrdiff_t stride = lock.height() > 1 ? lock.Row(1) - lock.Row(0) : 0;
        image = QuantizeColours(lock.Row(0), stride, lock.width(), lock.height(), true);
    }
    return WriteGif(image, &out);
}

}  // namespace imaging::detail
