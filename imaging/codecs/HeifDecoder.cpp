// HEIF (HEVC) and AVIF (AV1) through libheif: the primary image, turned and
// mirrored by its irot/imir boxes as the camera meant it. Such files may also
// carry an EXIF orientation; it describes the same turn, so it is not read.
// libheif reports errors as values; nothing jumps.
#include <libheif/heif.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "imaging/codecs/DecodeCanvas.h"
#include "imaging/codecs/DecodeLimits.h"
#include "imaging/codecs/Decoders.h"

namespace imaging::detail {
namespace {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageRelease {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

// heif_init once for the process: it registers the built-in codecs, and
// the matching heif_deinit at exit frees them.
class Libheif {
public:
    Libheif() : ready_(heif_init(nullptr).code == heif_error_Ok) {}
    Libheif(const Libheif&) = delete;
    Libheif& operator=(const Libheif&) = delete;
    ~Libheif() {
        if (ready_) heif_deinit();
    }
    bool Ready() const { return ready_; }

private:
    bool ready_;
};

// A size over a security limit is a picture too large; everything else is
// content libheif cannot make a picture of.
Status StatusOf(const heif_error& e) {
    return e.code == heif_error_Memory_allocation_error ? OutOfMemory : UnknownImageFormat;
}

// Both the picture's size and the coded size before a crop (clap) are
// decoded into memory, so both must fit the limit; a picture without a size
// is damaged.
Status SizeStatus(const heif_image_handle* handle, std::uint64_t maxPixels) {
    const int width = heif_image_handle_get_width(handle), height = heif_image_handle_get_height(handle);
    if (width <= 0 || height <= 0) return UnknownImageFormat;
    if (!DecodeSizeAllowed(width, height, maxPixels)) return OutOfMemory;
    const int codedWidth = heif_image_handle_get_ispe_width(handle);
    const int codedHeight = heif_image_handle_get_ispe_height(handle);
    const bool codedFits =
        codedWidth <= 0 || codedHeight <= 0 || DecodeSizeAllowed(codedWidth, codedHeight, maxPixels);
    return codedFits ? Ok : OutOfMemory;
}

// Interleaved R,G,B[,A] rows into the canvas's B,G,R[,A]; premultiplied
// colour is divided back out, as the picture's ARGB is straight.
void CopyRows(const std::uint8_t* plane, int stride, bool alpha, bool premultiplied, Canvas& canvas) {
    const unsigned n = alpha ? 4 : 3;
    for (std::uint32_t y = 0; y < canvas.Height(); ++y) {
        const std::uint8_t* src = plane + static_cast<std::ptrdiff_t>(y) * stride;
        std::uint8_t* dst = canvas.Row(y);
        for (std::uint32_t x = 0; x < canvas.Width(); ++x, src += n, dst += n) {
            unsigned r = src[0], g = src[1], b = src[2];
            if (alpha) {
                const unsigned a = src[3];
                if (premultiplied && a != 0 && a != 255) {
                    r = std::min(255u, (r * 255 + a / 2) / a);
                    g = std::min(255u, (g * 255 + a / 2) / a);
                    b = std::min(255u, (b * 255 + a / 2) / a);
                }
                dst[3] = static_cast<std::uint8_t>(a);
            }
            dst[0] = static_cast<std::uint8_t>(b);
            dst[1] = static_cast<std::uint8_t>(g);
            dst[2] = static_cast<std::uint8_t>(r);
        }
    }
}

}  // namespace

Picture DecodeHeif(Bytes file) {
    static const Libheif library;
    if (!library.Ready()) return Picture::Failed(GenericError);
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context) return Picture::Failed(OutOfMemory);
    // libheif's own bound, checked while it reads the boxes: no side can be
    // longer than the limit has pixels.
    const std::uint64_t pixels = std::min(file.maxPixels, kMaxPicturePixels);
    heif_context_set_maximum_image_size_limit(context.get(),
                                              static_cast<int>(std::min<std::uint64_t>(pixels, INT_MAX)));
    // The reader judges the ftyp brands itself, major and compatible alike
    // (heif_check_filetype looks at the major one only). The bytes outlive
    // the context, so libheif need not copy them.
    if (const heif_error e = heif_context_read_from_memory_without_copy(context.get(), file.data, file.size, nullptr);
        e.code != heif_error_Ok)
        return Picture::Failed(StatusOf(e));
    heif_image_handle* rawHandle = nullptr;
    if (const heif_error e = heif_context_get_primary_image_handle(context.get(), &rawHandle); e.code != heif_error_Ok)
        return Picture::Failed(StatusOf(e));
    std::unique_ptr<heif_image_handle, HandleRelease> handle(rawHandle);
    if (const Status s = SizeStatus(handle.get(), file.maxPixels); s != Ok) return Picture::Failed(s);

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(handle.get()) != 0;
    const std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options) return Picture::Failed(OutOfMemory);
    options->ignore_transformations = 0;  // irot, imir and clap make the picture upright
    options->convert_hdr_to_8bit = 1;
    heif_image* rawImage = nullptr;
    if (const heif_error e = heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                                               alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                               options.get());
        e.code != heif_error_Ok)
        return Picture::Failed(StatusOf(e));
    std::unique_ptr<heif_image, ImageRelease> image(rawImage);

    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    const int bits = heif_image_get_bits_per_pixel(image.get(), heif_channel_interleaved);
    // The decoded picture must be the one whose size was checked.
    if (plane == nullptr || width != heif_image_handle_get_width(handle.get()) ||
        height != heif_image_handle_get_height(handle.get()) || bits != (alpha ? 32 : 24) ||
        std::int64_t{stride} < std::int64_t{width} * (alpha ? 4 : 3))
        return Picture::Failed(UnknownImageFormat);
    Canvas canvas(file.maxPixels);
    if (const Status s = canvas.Allocate(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                                         alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB);
        s != Ok)
        return Picture::Failed(s);
    CopyRows(plane, stride, alpha, premultiplied, canvas);
    // libheif's pixels go before Finish, which may copy an opaque picture once more.
    image.reset();
    handle.reset();
    context.reset();
    return canvas.Finish(PixelFormat24bppRGB);
}

}  // namespace imaging::detail
