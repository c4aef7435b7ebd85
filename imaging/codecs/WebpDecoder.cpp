// WebP through libwebp's incremental decoder, so that a cut file keeps the
// rows that arrived. Errors come back as values.
#include <webp/decode.h>

#include <memory>

#include "imaging/codecs/DecodeCanvas.h"
#include "imaging/codecs/Decoders.h"

namespace imaging::detail {
namespace {

struct IDecoderDelete {
    void operator()(WebPIDecoder* d) const { WebPIDelete(d); }
};

}  // namespace

Picture DecodeWebp(Bytes file) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return Picture::Failed(GenericError);
    if (WebPGetFeatures(file.data, file.size, &config.input) != VP8_STATUS_OK || config.input.has_animation)
        return Picture::Failed(UnknownImageFormat);
    const bool alpha = config.input.has_alpha != 0;
    Canvas canvas(file.maxPixels);
    if (const Status s = canvas.Allocate(static_cast<std::uint32_t>(config.input.width),
                                         static_cast<std::uint32_t>(config.input.height),
                                         alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB);
        s != Ok)
        return Picture::Failed(s);

    const int rowStride = canvas.Stride();  // the layer's own pictures are top-down
    config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = canvas.Row(0);
    config.output.u.RGBA.stride = rowStride;
    config.output.u.RGBA.size = static_cast<std::size_t>(rowStride) * canvas.Height();
    std::unique_ptr<WebPIDecoder, IDecoderDelete> decoder(WebPIDecode(nullptr, 0, &config));
    if (!decoder) return Picture::Failed(OutOfMemory);
    const VP8StatusCode status = WebPIUpdate(decoder.get(), file.data, file.size);
    // Suspended or damaged: the rows decoded so far stay, if there are any.
    if (status != VP8_STATUS_OK) {
        int lastRow = 0;
        if (!WebPIDecGetRGB(decoder.get(), &lastRow, nullptr, nullptr, nullptr) || lastRow == 0)
            return Picture::Failed(UnknownImageFormat);
    }
    decoder.reset();
    WebPFreeDecBuffer(&config.output);
    return canvas.Finish(PixelFormat24bppRGB);
}

}  // namespace imaging::detail
