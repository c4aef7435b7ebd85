// TIFF through libtiff: one page, LZW, horizontal prediction for continuous
// tone, strips of about 8 KB. Opaque indexed pictures stay palette TIFFs;
// alpha is written as unassociated alpha (extra sample 2).
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "imaging/codecs/EncoderList.h"
#include "imaging/picture/ReadLock.h"

namespace imaging::detail {

namespace {

struct TiffJob {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bitsPerSample = 8;
    std::uint16_t samplesPerPixel = 3;
    std::uint16_t photometric = PHOTOMETRIC_RGB;
    bool alpha = false;
    bool predictor = true;
    std::vector<std::uint16_t> colourMap;  // red, green, blue runs, palette only
};

// Turns lock rows into TIFF rows: B,G,R(,x) pixels to R,G,B(,A) with
// `inChannels` samples in and `outChannels` out, or rows copied as they are.
struct RowSource {
    const ReadLock* lock;
    unsigned inChannels = 0, outChannels = 0, sampleBytes = 1;
    bool reorder = false;

    void Fill(std::uint32_t y, std::uint32_t width, std::uint8_t* dst, std::size_t rowBytes) const {
        const std::uint8_t* src = lock->Row(y);
        if (!reorder) {
            std::memcpy(dst, src, rowBytes);
            return;
        }
        const unsigned b = sampleBytes, in = inChannels * b, out = outChannels * b;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t* s = src + std::size_t{x} * in;
            std::uint8_t* d = dst + std::size_t{x} * out;
            std::memcpy(d, s + 2 * b, b);  // R
            std::memcpy(d + b, s + b, b);  // G
            std::memcpy(d + 2 * b, s, b);  // B
            if (outChannels == 4) std::memcpy(d + 3 * b, s + 3 * b, b);
        }
    }
};

// In-memory file for TIFFClientOpen; libtiff seeks back to patch offsets.
struct MemoryFile {
    std::vector<std::uint8_t>* out;
    std::uint64_t position = 0;
};

tmsize_t ReadProc(thandle_t, void*, tmsize_t) { return -1; }

tmsize_t WriteProc(thandle_t handle, void* data, tmsize_t size) {
    auto* file = static_cast<MemoryFile*>(handle);
    try {
        const std::uint64_t end = file->position + static_cast<std::uint64_t>(size);
        if (end > file->out->size()) file->out->resize(end);
        std::memcpy(file->out->data() + file->position, data, static_cast<std::size_t>(size));
        file->position = end;
        return size;
    } catch (...) {
        return -1;
    }
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) base = file->position;
    if (whence == SEEK_END) base = file->out->size();
    file->position = base + offset;
    return file->position;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return static_cast<MemoryFile*>(handle)->out->size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

int Silence(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// Closes the handle on every path out of WriteTiff.
struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
struct OptionsFreer {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

// The one function that calls libtiff; its messages go nowhere (a failure
// shows as a false return).
Status WriteTiff(const TiffJob& job, const RowSource& rows, MemoryFile* file) {
    std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
    if (!options) return OutOfMemory;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Silence, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Silence, nullptr);
    std::unique_ptr<TIFF, TiffCloser> tif(TIFFClientOpenExt("memory", "w", file, ReadProc, WriteProc, SeekProc,
                                                            CloseProc, SizeProc, MapProc, UnmapProc,
                                                            options.get()));
    if (!tif) return OutOfMemory;
    TIFF* t = tif.get();
    bool ok = TIFFSetField(t, TIFFTAG_IMAGEWIDTH, job.width) && TIFFSetField(t, TIFFTAG_IMAGELENGTH, job.height) &&
              TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, job.bitsPerSample) &&
              TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, job.samplesPerPixel) &&
              TIFFSetField(t, TIFFTAG_PHOTOMETRIC, job.photometric) &&
              TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW) &&
              TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
              TIFFSetField(t, TIFFTAG_XRESOLUTION, 96.0) && TIFFSetField(t, TIFFTAG_YRESOLUTION, 96.0);
    if (ok && job.predictor) ok = TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (ok && job.alpha) {
        const std::uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        ok = TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (ok && !job.colourMap.empty()) {
        const std::size_t n = job.colourMap.size() / 3;
        ok = TIFFSetField(t, TIFFTAG_COLORMAP, job.colourMap.data(), job.colourMap.data() + n,
                          job.colourMap.data() + 2 * n);
    }
    const tmsize_t rowBytes = TIFFScanlineSize(t);
    if (ok) ok = rowBytes > 0 && TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
    if (!ok) return GenericError;

    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    for (std::uint32_t y = 0; y < job.height; ++y) {
        rows.Fill(y, job.width, row.data(), row.size());
        if (TIFFWriteScanline(t, row.data(), y, 0) < 0) return GenericError;
    }
    if (!TIFFWriteDirectory(t)) return GenericError;
    return Ok;
}

}  // namespace

Status EncodeTiff(Picture& picture, std::vector<std::uint8_t>& out) {
    const PixelFormat own = picture.Format();
    TiffJob job;
    RowSource rows;
    PixelFormat lockFormat = own;

    bool paletteAlpha = false;
    for (Argb c : picture.Palette()) paletteAlpha |= (c >> 24) != 0xFF;

    if (IsIndexed(own) && !paletteAlpha) {
        job.bitsPerSample = static_cast<std::uint16_t>(BitsPerPixel(own));
        job.samplesPerPixel = 1;
        job.photometric = PHOTOMETRIC_PALETTE;
        job.predictor = false;
        const std::size_t n = std::size_t{1} << job.bitsPerSample;
        const std::vector<Argb>& palette = picture.Palette();
        job.colourMap.assign(3 * n, 0);
        for (std::size_t i = 0; i < n && i < palette.size(); ++i) {
            job.colourMap[i] = static_cast<std::uint16_t>(((palette[i] >> 16) & 0xFF) * 257);
            job.colourMap[n + i] = static_cast<std::uint16_t>(((palette[i] >> 8) & 0xFF) * 257);
            job.colourMap[2 * n + i] = static_cast<std::uint16_t>((palette[i] & 0xFF) * 257);
        }
    } else if (own == PixelFormat16bppGrayScale) {
        job.bitsPerSample = 16;
        job.samplesPerPixel = 1;
        job.photometric = PHOTOMETRIC_MINISBLACK;
    } else {
        // Colour: 8-bit through a lock layout, 16-bit from the picture's own rows.
        const bool wide = own == PixelFormat48bppRGB || own == PixelFormat64bppARGB;
        job.alpha = HasAlpha(own) || IsIndexed(own);
        lockFormat = wide ? own : job.alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
        job.bitsPerSample = wide ? 16 : 8;
        job.samplesPerPixel = job.alpha ? 4 : 3;
        rows.reorder = true;
        rows.sampleBytes = wide ? 2 : 1;
        rows.inChannels = BitsPerPixel(lockFormat) / job.bitsPerSample;
        rows.outChannels = job.samplesPerPixel;
    }

    ReadLock lock(picture, lockFormat);
    if (lock.status() != Ok) return lock.status();
    job.width = lock.width();
    job.height = lock.height();
    rows.lock = &lock;

    MemoryFile file{&out};
    return WriteTiff(job, rows, &file);
}

}  // namespace imaging::detail
