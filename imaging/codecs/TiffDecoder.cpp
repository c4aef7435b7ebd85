// TIFF through libtiff: the first page, through its RGBA reader, which knows
// every photometric, bit depth and strip/tile layout. libtiff reports errors
// through handlers and return values; no jump crosses this file.
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/codecs/DecodeLimits.h"
#include "imaging/codecs/DecodeCanvas.h"
#include "imaging/codecs/Decoders.h"

namespace imaging::detail {
namespace {

// No single strip, tile or table a real file needs comes near this; a small
// file that declares more is refused instead of obeyed.
constexpr tmsize_t kMaxSingleAlloc = tmsize_t{256} << 20;

struct TiffSource {
    Bytes file;
    toff_t pos = 0;
};

tmsize_t OnTiffRead(thandle_t h, void* out, tmsize_t size) {
    auto* src = static_cast<TiffSource*>(h);
    if (size <= 0 || src->pos >= src->file.size) return 0;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), src->file.size - src->pos);
    std::memcpy(out, src->file.data + src->pos, n);
    src->pos += n;
    return static_cast<tmsize_t>(n);
}
tmsize_t OnTiffWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t OnTiffSeek(thandle_t h, toff_t off, int whence) {
    auto* src = static_cast<TiffSource*>(h);
    const toff_t base = whence == SEEK_CUR ? src->pos : whence == SEEK_END ? src->file.size : 0;
    if (off > UINT64_MAX - base) return static_cast<toff_t>(-1);
    src->pos = base + off;
    return src->pos;
}
int OnTiffClose(thandle_t) { return 0; }
toff_t OnTiffSize(thandle_t h) { return static_cast<TiffSource*>(h)->file.size; }
int OnTiffMap(thandle_t, void**, toff_t*) { return 0; }
void OnTiffUnmap(thandle_t, void*, toff_t) {}
int OnTiffMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }  // quiet

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
struct OptionsFree {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};
struct RgbaEnd {
    void operator()(TIFFRGBAImage* img) const { TIFFRGBAImageEnd(img); }
};

// Raster pixels are R,G,B,A in memory.
void RasterRow(const std::uint8_t* rgba, std::uint8_t* row, std::uint32_t width, PixelFormat format,
               bool premultiplied) {
    for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint8_t* s = rgba + 4 * x;
        if (format == PixelFormat8bppIndexed) {
            row[x] = s[0];
        } else if (format == PixelFormat24bppRGB) {
            row[3 * x] = s[2]; row[3 * x + 1] = s[1]; row[3 * x + 2] = s[0];
        } else {
            const unsigned a = s[3];
            for (int c = 0; c < 3; ++c) {
                unsigned v = s[2 - c];
                if (premultiplied) v = a ? std::min(255u, (v * 255 + a / 2) / a) : 0;
                row[4 * x + c] = static_cast<std::uint8_t>(v);
            }
            row[4 * x + 3] = static_cast<std::uint8_t>(a);
        }
    }
}

// Strips or tiles must bring data from within the file: a few bytes of
// directory claiming a gigantic picture whose data lies nowhere (or, without
// compression, far less than its rows need) is refused before any raster.
bool DataPlausible(TIFF* tif, std::uint64_t fileSize, std::uint64_t pixels) {
    const bool tiled = TIFFIsTiled(tif) != 0;
    std::uint64_t* offsets = nullptr;
    std::uint64_t* counts = nullptr;
    if (!TIFFGetField(tif, tiled ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS, &offsets) ||
        !TIFFGetField(tif, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) || !offsets || !counts)
        return false;
    std::uint64_t present = 0;
    const std::uint32_t chunks = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    for (std::uint32_t i = 0; i < chunks; ++i)
        if (offsets[i] < fileSize) present += std::min(counts[i], fileSize - offsets[i]);
    if (present == 0) return false;
    std::uint16_t compression = COMPRESSION_NONE, bits = 1, samples = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    const std::uint64_t needed = pixels * std::max<std::uint16_t>(bits, 1) * std::max<std::uint16_t>(samples, 1) / 8;
    switch (compression) {
    case COMPRESSION_NONE:
        return present >= needed / 64;
    case COMPRESSION_LZW:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_JPEG:
    case COMPRESSION_OJPEG:
        // None of these packs much more than a thousand bytes into one.
        return present >= needed / 4096;
    default:
        // Fax and newer codes pack whole blank rows into bits; a code this
        // build cannot decode yields no pixels at all.
        return TIFFIsCODECConfigured(compression) != 0;
    }
}

}  // namespace

Picture DecodeTiff(Bytes file) {
    TiffSource source{file};
    std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
    if (!options) return Picture::Failed(OutOfMemory);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxSingleAlloc);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnTiffMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnTiffMessage, nullptr);
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFClientOpenExt("memory", "rm", &source, OnTiffRead, OnTiffWrite,
                                                            OnTiffSeek, OnTiffClose, OnTiffSize, OnTiffMap,
                                                            OnTiffUnmap, options.get()));
    if (!tif) return Picture::Failed(UnknownImageFormat);

    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0) return Picture::Failed(UnknownImageFormat);
    if (!DecodeSizeAllowed(width, height, file.maxPixels)) return Picture::Failed(OutOfMemory);

    if (!DataPlausible(tif.get(), file.size, std::uint64_t{width} * height))
        return Picture::Failed(UnknownImageFormat);

    char message[1024] = {};
    TIFFRGBAImage image{};
    // Stop at the first unreadable strip: the rest stays white.
    if (!TIFFRGBAImageOK(tif.get(), message) || !TIFFRGBAImageBegin(&image, tif.get(), 1, message))
        return Picture::Failed(UnknownImageFormat);
    std::unique_ptr<TIFFRGBAImage, RgbaEnd> imageEnd(&image);
    image.req_orientation = ORIENTATION_TOPLEFT;

    std::uint16_t photometric = 0, samples = 1;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    const bool grey = (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) && samples == 1;
    const bool alpha = image.alpha != 0;
    const PixelFormat format = grey ? PixelFormat8bppIndexed : alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;

    std::vector<Argb> ramp;
    if (grey)
        for (unsigned i = 0; i < 256; ++i) ramp.push_back(0xFF000000u | i << 16 | i << 8 | i);
    Canvas canvas(file.maxPixels);
    if (const Status s = canvas.Allocate(width, height, format, ramp); s != Ok) return Picture::Failed(s);
    const std::size_t pixels = std::size_t{width} * height;
    std::unique_ptr<std::uint32_t[]> raster(new (std::nothrow) std::uint32_t[pixels]);
    if (!raster) return Picture::Failed(OutOfMemory);
    // White and opaque where a damaged file delivers nothing.
    std::fill_n(raster.get(), pixels, 0xFFFFFFFFu);
    // Partial on damage: keep what came. Nothing at all is no picture.
    if (!TIFFRGBAImageGet(&image, raster.get(), width, height) &&
        std::all_of(raster.get(), raster.get() + pixels, [](std::uint32_t v) { return v == 0xFFFFFFFFu; }))
        return Picture::Failed(UnknownImageFormat);

    // The RGBA reader hands out premultiplied colour whatever the file holds.
    const bool premultiplied = alpha;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(raster.get());
    for (std::uint32_t y = 0; y < height; ++y)
        RasterRow(bytes + std::size_t{y} * width * 4, canvas.Row(y), width, format, premultiplied);
    return canvas.Finish(PixelFormat24bppRGB);
}

}  // namespace imaging::detail
