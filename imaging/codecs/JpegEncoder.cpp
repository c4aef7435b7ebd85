// JPEG through libjpeg-turbo at quality 75 with its default 4:2:0 sampling.
// Colour rows go in as B,G,R straight from a 24-bit lock; grey pictures
// (16-bit grey, or indexed with an all-grey palette) as one channel.
#include <cstdio>  // jpeglib.h needs FILE
#include <memory>
#include <cstring>
#include <csetjmp>

#include <jpeglib.h>
#include <jerror.h>

#include "imaging/codecs/EncoderList.h"
#include "imaging/picture/ReadLock.h"

namespace imaging::detail {

namespace {

constexpr int kQuality = 75;
constexpr std::uint32_t kMaxDimension = JPEG_MAX_DIMENSION;

struct JpegJob {
    JDIMENSION width = 0, height = 0;
    bool grey = false;
    std::vector<JSAMPROW> rows;
};

// Error state reached from the library's error callback.
struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

// Destination that appends to the output vector. Growing the vector is the
// only thing that can fail; that failure is raised as the library's own
// out-of-memory error so that it unwinds like any other.
struct VectorDestination {
    jpeg_destination_mgr pub;
    std::vector<std::uint8_t>* out;
    JOCTET buffer[16384];
};

bool Append(VectorDestination* dest, std::size_t bytes) {
    try {
        dest->out->insert(dest->out->end(), dest->buffer, dest->buffer + bytes);
        return true;
    } catch (...) {
        return false;
    }
}

void FailOutOfMemory(j_compress_ptr cinfo) {
    cinfo->err->msg_code = JERR_OUT_OF_MEMORY;
    cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
}

void InitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = sizeof dest->buffer;
}

boolean EmptyBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    if (!Append(dest, sizeof dest->buffer)) FailOutOfMemory(cinfo);
    InitDestination(cinfo);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    if (!Append(dest, sizeof dest->buffer - dest->pub.free_in_buffer)) FailOutOfMemory(cinfo);
}

void OnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}
void OnMessage(j_common_ptr) {}

// The one function that calls libjpeg; its errors end here.
Status WriteJpeg(const JpegJob& job, VectorDestination* dest, JpegErrors* errors) {
    jpeg_compress_struct cinfo;
    cinfo.err = jpeg_std_error(&errors->mgr);
    errors->mgr.error_exit = OnError;
    errors->mgr.output_message = OnMessage;
    if (setjmp(errors->jump)) {
        const bool outOfMemory = errors->mgr.msg_code == JERR_OUT_OF_MEMORY;
        jpeg_destroy_compress(&cinfo);
        return outOfMemory ? OutOfMemory : GenericError;
    }
    jpeg_create_compress(&cinfo);
    dest->pub.init_destination = InitDestination;
    dest->pub.empty_output_buffer = EmptyBuffer;
    dest->pub.term_destination = TermDestination;
    cinfo.dest = &dest->pub;
    cinfo.image_width = job.width;
    cinfo.image_height = job.height;
    cinfo.input_components = job.grey ? 1 : 3;
    cinfo.in_color_space = job.grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kQuality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height)
        jpeg_write_scanlines(&cinfo, const_cast<JSAMPARRAY>(job.rows.data()) + cinfo.next_scanline,
                             cinfo.image_height - cinfo.next_scanline);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return Ok;
}

bool IsGrey(const Picture& picture) {
    const PixelFormat f = picture.Format();
    if (f == PixelFormat16bppGrayScale) return true;
    if (!IsIndexed(f)) return false;
    const std::vector<Argb>& palette = picture.Palette();
    for (std::size_t i = 0; i < (std::size_t{1} << BitsPerPixel(f)); ++i) {
        const Argb c = i < palette.size() ? palette[i] : 0xFF000000u;
        if (((c >> 16) & 0xFF) != (c & 0xFF) || ((c >> 8) & 0xFF) != (c & 0xFF)) return false;
    }
    return true;
}

}  // namespace

Status EncodeJpeg(Picture& picture, std::vector<std::uint8_t>& out) {
    if (picture.Width() > kMaxDimension || picture.Height() > kMaxDimension) return InvalidParameter;
    JpegJob job;
    job.grey = IsGrey(picture);

    ReadLock lock(picture, PixelFormat24bppRGB);
    if (lock.status() != Ok) return lock.status();
    job.width = lock.width();
    job.height = lock.height();
    job.rows.resize(job.height);

    std::vector<std::uint8_t> grey;
    if (job.grey) {
        // B = G = R: the blue byte is the grey level.
        grey.resize(std::size_t{job.width} * job.height);
        for (std::uint32_t y = 0; y < job.height; ++y) {
            const std::uint8_t* src = lock.Row(y);
            std::uint8_t* dst = grey.data() + std::size_t{y} * job.width;
            for (std::uint32_t x = 0; x < job.width; ++x) dst[x] = src[3 * x];
            job.rows[y] = dst;
        }
    } else {
        for (std::uint32_t y = 0; y < job.height; ++y) job.rows[y] = const_cast<JSAMPROW>(lock.Row(y));
    }

    auto dest = std::make_unique<VectorDestination>();
    dest->out = &out;
    JpegErrors errors;
    return WriteJpeg(job, dest.get(), &errors);
}

}  // namespace imaging::detail
