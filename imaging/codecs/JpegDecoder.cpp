// JPEG through libjpeg. Its errors arrive by longjmp, so every call into the
// library sits in RunJpeg and the plain functions it calls; the canvas and
// everything with a destructor live in DecodeJpeg.
#include <cstdio>  // jpeglib.h needs FILE
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>

#include "imaging/codecs/DecodeLimits.h"
#include "imaging/codecs/DecodeCanvas.h"
#include "imaging/codecs/Decoders.h"
#include "imaging/codecs/ExifOrientation.h"

namespace imaging::detail {
namespace {

// Progressive files may hold any number of scans, each a pass over the whole
// picture; real encoders write about ten to twenty. Large pictures get fewer.
int MaxScans(std::uint64_t pixels) {
    return static_cast<int>(std::clamp<std::uint64_t>((std::uint64_t{1} << 32) / std::max<std::uint64_t>(pixels, 1), 20, 100));
}

// Every 8 x 8 block costs at least one bit of entropy-coded data, so no whole
// file holds more than 512 pixels a byte; far beyond that it is a few bytes
// of header in front of a gigantic empty picture, not worth the memory.
constexpr std::uint64_t kMaxPixelsPerByte = 1024;

struct JpegJob {
    Bytes file;
    Canvas* canvas = nullptr;
    std::vector<Argb>* palette = nullptr;  // owned by the caller
    Status status = UnknownImageFormat;
    bool sourceDry = false;  // the decoder asked for bytes past the end
    int maxScans = 20;
    int orientation = 1;
    std::uint64_t rowsRead = 0;  // rows decoded from data the file holds
};

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }
void OnJpegMessage(j_common_ptr, int) {}
void OnJpegOutput(j_common_ptr) {}

void OnJpegProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > static_cast<JpegJob*>(d->client_data)->maxScans) cinfo->err->error_exit(cinfo);
}

void OnSourceInit(j_decompress_ptr) {}
void OnSourceTerm(j_decompress_ptr) {}

// Past the end the decoder gets an end-of-image marker, as for a cut file.
boolean OnSourceFill(j_decompress_ptr cinfo) {
    static const JOCTET kEoi[2] = {0xFF, JPEG_EOI};
    static_cast<JpegJob*>(cinfo->client_data)->sourceDry = true;
    cinfo->src->next_input_byte = kEoi;
    cinfo->src->bytes_in_buffer = 2;
    return TRUE;
}

void OnSourceSkip(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<std::size_t>(count) > src->bytes_in_buffer) {
        OnSourceFill(cinfo);
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

// Adobe writes CMYK inverted (and YCCK converts to inverted CMYK).
void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, std::uint32_t width, bool inverted) {
    for (std::uint32_t x = 0; x < width; ++x) {
        unsigned c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
        if (!inverted) {
            c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
        }
        bgr[3 * x] = static_cast<std::uint8_t>((y * k + 127) / 255);
        bgr[3 * x + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        bgr[3 * x + 2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

// Decodes into job->canvas. Called only under RunJpeg's setjmp.
void ReadJpeg(j_decompress_ptr cinfo, JpegJob* job) {
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && job->orientation == 1)
            job->orientation = ExifOrientation(m->data, m->data_length);

    PixelFormat format = PixelFormat24bppRGB;
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    if (cinfo->jpeg_color_space == JCS_GRAYSCALE) {
        cinfo->out_color_space = JCS_GRAYSCALE;
        format = PixelFormat8bppIndexed;
        for (unsigned i = 0; i < 256; ++i) job->palette->push_back(0xFF000000u | i << 16 | i << 8 | i);
    } else if (cmyk) {
        cinfo->out_color_space = JCS_CMYK;
    } else {
        cinfo->out_color_space = JCS_EXT_BGR;
    }
    if (!DecodeSizeAllowed(cinfo->image_width, cinfo->image_height, job->file.maxPixels)) {
        job->status = OutOfMemory;
        return;
    }
    const std::uint64_t pixels = std::uint64_t{cinfo->image_width} * cinfo->image_height;
    if (pixels / kMaxPixelsPerByte > job->file.size) return;  // damaged beyond use
    job->maxScans = MaxScans(pixels);
    // Coefficient buffers of a progressive file: 2 bytes a sample, bounded by
    // the pixel limit; a file asking beyond that is refused, not obeyed.
    cinfo->mem->max_memory_to_use = static_cast<long>(
        std::uint64_t{cinfo->image_width} * cinfo->image_height * 2 * std::max(cinfo->num_components, 1) + (64 << 20));
    const bool multiScan = jpeg_has_multiple_scans(cinfo);
    jpeg_start_decompress(cinfo);
    job->status = job->canvas->Allocate(cinfo->output_width, cinfo->output_height, format, *job->palette);
    if (job->status != Ok) return;

    JSAMPARRAY cmykRow = cmyk ? (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                            cinfo->output_width * 4, 1)
                              : nullptr;
    const std::size_t rowBytes = std::size_t{cinfo->output_width} * (BitsPerPixel(format) / 8);
    while (cinfo->output_scanline < cinfo->output_height) {
        const JDIMENSION y = cinfo->output_scanline;
        JSAMPROW row = job->canvas->Row(y);
        if (jpeg_read_scanlines(cinfo, cmyk ? cmykRow : &row, 1) != 1) break;
        if (cmyk) CmykToBgr(cmykRow[0], row, cinfo->output_width, cinfo->saw_Adobe_marker);
        // A single-scan file decodes as it reads: rows from past the end are
        // not the picture, so they stay blank. A progressive one keeps the
        // coarse picture its early scans gave.
        if (job->sourceDry && !multiScan)
            std::fill_n(row, rowBytes, 0xFF);
        else if (!job->sourceDry || cinfo->input_scan_number > 1)
            ++job->rowsRead;
    }
}

void RunJpeg(JpegJob* job) {
    jpeg_decompress_struct cinfo{};
    JpegError err{};
    jpeg_progress_mgr progress{};
    jpeg_source_mgr source{};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = OnJpegError;
    err.mgr.emit_message = OnJpegMessage;
    err.mgr.output_message = OnJpegOutput;
    if (setjmp(err.jump) == 0) {
        jpeg_create_decompress(&cinfo);
        cinfo.client_data = job;
        progress.progress_monitor = OnJpegProgress;
        cinfo.progress = &progress;
        source.next_input_byte = job->file.data;
        source.bytes_in_buffer = job->file.size;
        source.init_source = OnSourceInit;
        source.fill_input_buffer = OnSourceFill;
        source.skip_input_data = OnSourceSkip;
        source.resync_to_restart = jpeg_resync_to_restart;
        source.term_source = OnSourceTerm;
        cinfo.src = &source;
        ReadJpeg(&cinfo, job);
    }
    jpeg_destroy_decompress(&cinfo);
}

}  // namespace

Picture DecodeJpeg(Bytes file) {
    Canvas canvas(file.maxPixels);
    std::vector<Argb> palette;
    JpegJob job;
    job.file = file;
    job.canvas = &canvas;
    job.palette = &palette;
    RunJpeg(&job);
    if (!canvas.Allocated()) return Picture::Failed(job.status == Ok ? UnknownImageFormat : job.status);
    // Not one row of pixels: there is no picture to show, only blank paper.
    if (job.rowsRead == 0) return Picture::Failed(UnknownImageFormat);
    return ApplyOrientation(canvas.Finish(), job.orientation);
}

}  // namespace imaging::detail
