// PNG through libpng. libpng reports errors by longjmp, so everything that
// calls it sits in RunPng, whose frame (and the frames between) hold nothing
// with a destructor; the canvas lives in the caller.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "imaging/codecs/DecodeLimits.h"
#include "imaging/codecs/DecodeCanvas.h"
#include "imaging/codecs/Decoders.h"

namespace imaging::detail {
namespace {

struct PngJob {
    Bytes file;
    std::size_t pos = 0;
    Canvas* canvas = nullptr;
    std::vector<Argb>* palette = nullptr;  // owned by the caller
    Status status = UnknownImageFormat;
    PixelFormat opaqueFormat = PixelFormatUndefined;
    std::uint64_t rowsRead = 0;  // rows the decoder delivered
};

void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

void OnPngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (job->file.size - job->pos < length) png_error(png, "truncated");
    std::memcpy(out, job->file.data + job->pos, length);
    job->pos += length;
}

// Ancillary chunks the picture does not need; skipping them keeps text and
// profile floods from being inflated.
constexpr png_byte kIgnoredChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";

// Chooses the output format and the libpng transformations that produce it.
PixelFormat SetUpTransforms(png_structp png, png_infop info, PngJob* job) {
    const int colorType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    const bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool wide = depth == 16;
    if (wide) png_set_swap(png);
    png_set_bgr(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE && !trns) {
        png_set_packing(png);
        png_colorp entries = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &entries, &count) == 0) count = 0;
        for (int i = 0; i < count; ++i)
            job->palette->push_back(0xFF000000u | entries[i].red << 16 | entries[i].green << 8 | entries[i].blue);
        return PixelFormat8bppIndexed;
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && !trns) {
        if (wide) return PixelFormat16bppGrayScale;
        png_set_expand_gray_1_2_4_to_8(png);
        for (unsigned i = 0; i < 256; ++i) job->palette->push_back(0xFF000000u | i << 16 | i << 8 | i);
        return PixelFormat8bppIndexed;
    }
    if (colorType == PNG_COLOR_TYPE_RGB && !trns) return wide ? PixelFormat48bppRGB : PixelFormat24bppRGB;
    // Everything else carries transparency: expand to B,G,R,A.
    png_set_expand(png);  // palette to RGB, tRNS to alpha, low grey depths to 8
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, wide ? 0xFFFF : 0xFF, PNG_FILLER_AFTER);
    // An alpha channel that is all opaque is no transparency; tRNS always is.
    if (!trns) job->opaqueFormat = wide ? PixelFormat48bppRGB : PixelFormat24bppRGB;
    return wide ? PixelFormat64bppARGB : PixelFormat32bppARGB;
}

// Reads the picture into job->canvas. Called only under RunPng's setjmp.
void ReadPng(png_structp png, png_infop info, PngJob* job) {
    png_set_read_fn(png, job, OnPngRead);
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_chunk_cache_max(png, 128);
    png_set_chunk_malloc_max(png, 8u << 20);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks, sizeof kIgnoredChunks / 5);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    // Deflate packs at most about 1032 bytes into one, and a 1-bit row is 8
    // pixels a byte: beyond twice that, the file cannot hold the picture.
    if (!DecodeSizeAllowed(width, height, job->file.maxPixels)) {
        job->status = OutOfMemory;
        return;
    }
    if (std::uint64_t{width} * height / (2 * 8 * 1032) > job->file.size) return;
    const PixelFormat format = SetUpTransforms(png, info, job);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    job->status = job->canvas->Allocate(width, height, format, *job->palette);
    if (job->status != Ok) return;
    if (png_get_rowbytes(png, info) > (std::uint64_t{width} * BitsPerPixel(format) + 7) / 8) {
        job->status = UnknownImageFormat;  // transformations disagree with the format
        return;
    }
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, job->canvas->Row(y), nullptr);
            ++job->rowsRead;
        }
}

void RunPng(PngJob* job) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info && setjmp(png_jmpbuf(png)) == 0) ReadPng(png, info, job);
    png_destroy_read_struct(&png, &info, nullptr);
}

}  // namespace

Picture DecodePng(Bytes file) {
    Canvas canvas(file.maxPixels);
    std::vector<Argb> palette;
    PngJob job;
    job.file = file;
    job.canvas = &canvas;
    job.palette = &palette;
    RunPng(&job);
    // A failure after the canvas was made leaves the rows recovered so far.
    if (!canvas.Allocated()) return Picture::Failed(job.status == Ok ? UnknownImageFormat : job.status);
    // Not one row of pixels: there is no picture to show, only blank paper.
    if (job.rowsRead == 0) return Picture::Failed(UnknownImageFormat);
    return canvas.Finish(job.opaqueFormat);
}

}  // namespace imaging::detail
