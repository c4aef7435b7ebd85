// GIF through giflib: the first image only. giflib reports errors by return
// value, so no jump crosses this file.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "imaging/codecs/DecodeCanvas.h"
#include "imaging/codecs/Decoders.h"

namespace imaging::detail {
namespace {

// Extension sub-blocks read before the first image; a file made of nothing
// but extensions is refused after this many.
constexpr int kMaxExtensionBlocks = 1 << 16;

struct GifSource {
    Bytes file;
    std::size_t pos = 0;
};

int OnGifRead(GifFileType* gif, GifByteType* out, int length) {
    auto* src = static_cast<GifSource*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), src->file.size - src->pos);
    std::memcpy(out, src->file.data + src->pos, n);
    src->pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

std::vector<Argb> Palette(const ColorMapObject* map) {
    std::vector<Argb> palette;
    if (map && map->Colors) {
        for (int i = 0; i < std::min(map->ColorCount, 256); ++i) {
            const GifColorType& c = map->Colors[i];
            palette.push_back(0xFF000000u | c.Red << 16 | c.Green << 8 | c.Blue);
        }
    } else {
        for (unsigned i = 0; i < 256; ++i) palette.push_back(0xFF000000u | i << 16 | i << 8 | i);
    }
    return palette;
}

// Reads the first image's rows (deinterlaced) into the canvas at its offset.
void ReadFrame(GifFileType* gif, Canvas& canvas, const std::vector<Argb>& palette, int transparent) {
    const GifImageDesc& d = gif->Image;
    if (d.Width <= 0 || d.Height <= 0) return;
    std::vector<GifPixelType> line(static_cast<std::size_t>(d.Width));
    const bool argb = canvas.Format() == PixelFormat32bppARGB;
    static const int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    const int passes = d.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = d.Interlace ? kStart[pass] : 0, step = d.Interlace ? kStep[pass] : 1;
        for (int y = start; y < d.Height; y += step) {
            if (DGifGetLine(gif, line.data(), d.Width) != GIF_OK) return;  // keep what came
            const std::int64_t outY = std::int64_t{d.Top} + y;
            if (outY < 0 || outY >= canvas.Height()) continue;
            std::uint8_t* row = canvas.Row(static_cast<std::uint32_t>(outY));
            const int x0 = std::max(d.Left, 0);
            const int x1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{d.Left} + d.Width, canvas.Width()));
            for (int x = x0; x < x1; ++x) {
                const GifPixelType index = line[static_cast<std::size_t>(x - d.Left)];
                if (!argb) {
                    row[x] = index;
                    continue;
                }
                const Argb c = index < palette.size() ? palette[index] : 0xFF000000u;
                const std::uint8_t px[4] = {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                            static_cast<std::uint8_t>(c >> 16),
                                            static_cast<std::uint8_t>(index == transparent ? 0 : 255)};
                std::memcpy(row + 4 * x, px, 4);
            }
        }
    }
}

}  // namespace

Picture DecodeGif(Bytes file) {
    GifSource source{file};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, OnGifRead, &error));
    if (!gif) return Picture::Failed(error == D_GIF_ERR_NOT_ENOUGH_MEM ? OutOfMemory : UnknownImageFormat);

    int transparent = -1;
    int blocks = 0;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) != GIF_OK || type == TERMINATE_RECORD_TYPE)
            return Picture::Failed(UnknownImageFormat);  // no image at all
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) return Picture::Failed(UnknownImageFormat);
            while (block) {
                if (++blocks > kMaxExtensionBlocks) return Picture::Failed(UnknownImageFormat);
                GraphicsControlBlock gcb;
                if (code == GRAPHICS_EXT_FUNC_CODE && block[0] >= 4 && DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
                    transparent = gcb.TransparentColor;
                if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK) return Picture::Failed(UnknownImageFormat);
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif.get()) != GIF_OK) return Picture::Failed(UnknownImageFormat);
        break;
    }

    const GifImageDesc& d = gif->Image;
    // A screen of 0 x 0 (seen in the wild) takes the image's own size.
    const std::uint64_t width = gif->SWidth > 0 ? gif->SWidth : std::max(d.Width + d.Left, 0);
    const std::uint64_t height = gif->SHeight > 0 ? gif->SHeight : std::max(d.Height + d.Top, 0);
    const std::vector<Argb> palette = Palette(d.ColorMap ? d.ColorMap : gif->SColorMap);
    const bool argb = transparent >= 0;
    Canvas canvas(file.maxPixels);
    if (const Status s = canvas.Allocate(width, height, argb ? PixelFormat32bppARGB : PixelFormat8bppIndexed, palette);
        s != Ok)
        return Picture::Failed(s == InvalidParameter ? UnknownImageFormat : s);
    ReadFrame(gif.get(), canvas, palette, transparent);
    return canvas.Finish();
}

}  // namespace imaging::detail
