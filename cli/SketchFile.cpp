#include "cli/SketchFile.h"

#include <memory>
#include <new>

#include "engine/BitmapLock.h"
#include "engine/CopyBitmap.h"
#include "engine/SketchGeneration.h"
#include "imageio/GraphicsStatusText.h"
#include "imageio/Messages.h"
#include "imageio/SaveImage.h"
#include "imaging/Decode.h"

namespace {

constexpr const char* kUnsupportedData = "未対応のデータ形式です。";
constexpr const char* kSketchFailed = "下絵を作成できませんでした。";

std::string OneLine(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

// Jobs run on several threads, and the image file services report through
// one process-wide sink: each thread collects its own job's messages.
thread_local std::string* t_captured = nullptr;

class PerThreadSink final : public MessageSink {
public:
    void ShowMessage(const std::string& text) override {
        if (t_captured == nullptr) {
            fallback_.ShowMessage(text);
            return;
        }
        if (!t_captured->empty()) *t_captured += ' ';
        *t_captured += OneLine(text);
    }

private:
    StderrMessageSink fallback_;
};

PerThreadSink g_sink;

std::unique_ptr<std::uint8_t[]> Plane(std::size_t bytes) {
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[bytes]);
}

}  // namespace

void InstallSketchMessageSink() { SetMessageSink(&g_sink); }

SketchOutcome SketchFile(const std::string& input, const std::string& output, const SketchSettings& settings) {
    using namespace imaging;
    std::unique_ptr<Picture> original;
    {
        Picture decoded = DecodeFile(input);
        if (!decoded.IsValid()) {
            const Status s = decoded.LastStatus();
            // A missing or unreadable file is not a data-format problem.
            if (s == FileNotFound || s == AccessDenied || s == Win32Error) return {false, GraphicsStatusText(s)};
            if (s == OutOfMemory) return {false, std::string(kUnsupportedData) + " " + GraphicsStatusText(s)};
            return {false, kUnsupportedData};
        }
        original = CopyBitmap(decoded);
    }
    if (original->LastStatus() == OutOfMemory)
        return {false, std::string(kSketchFailed) + " " + GraphicsStatusText(OutOfMemory)};
    if (original->Type() != ImageTypeBitmap) return {false, kUnsupportedData};

    const int w = static_cast<int>(original->Width());
    const int h = static_cast<int>(original->Height());
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    const std::string outOfMemory = std::string(kSketchFailed) + " " + GraphicsStatusText(OutOfMemory);

    // Buffers come and go in the order that keeps the peak lowest: the copy
    // is gone before the work buffers and the sketch exist.
    auto red = Plane(n), green = Plane(n), blue = Plane(n);
    if (!red || !green || !blue) return {false, outOfMemory};
    {
        CBitmapLock src;
        if (src.Lock(original.get(), true, false, PixelFormat32bppRGB) != 0)
            return {false, std::string(kSketchFailed) + " " + GraphicsStatusText(static_cast<std::uint32_t>(src.status))};
        BuildColourPlanes(src.FirstRow(), src.data.stride, w, h, red.get(), green.get(), blue.get());
    }
    original.reset();

    auto grey = Plane(n), filterInput = Plane(n), redLines = Plane(n), greenLines = Plane(n), blueLines = Plane(n);
    if (!grey || !filterInput || !redLines || !greenLines || !blueLines) return {false, outOfMemory};
    MakeGreyPlane(red.get(), green.get(), blue.get(), w, h, settings.noiseRemoval, settings.strength,
                  settings.removal, filterInput.get(), redLines.get(), greenLines.get(), blueLines.get(), grey.get());
    filterInput.reset();
    redLines.reset();
    greenLines.reset();
    blueLines.reset();
    red.reset();
    green.reset();
    blue.reset();

    Picture sketch(w, h, PixelFormat24bppRGB);
    {
        CBitmapLock dst;
        if (dst.Lock(&sketch, false, true, PixelFormat24bppRGB) != 0)
            return {false, std::string(kSketchFailed) + " " + GraphicsStatusText(static_cast<std::uint32_t>(dst.status))};
        PaintSketch(grey.get(), w, h, settings.lineColour, settings.frameColour, dst.FirstRow(), dst.data.stride);
    }
    grey.reset();

    std::string captured;
    t_captured = &captured;
    const bool saved = SaveImageByExtension(output, sketch);
    t_captured = nullptr;
    if (!saved) return {false, captured};
    return {true, {}};
}
