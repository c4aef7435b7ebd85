#include "cli/SketchFile.h"

#include <memory>
#include <new>

#include "engine/CopyBitmap.h"
#include "imageio/GraphicsStatusText.h"
#include "imageio/SaveImage.h"
#include "imaging/codecs/Decode.h"
#include "pipeline/SketchPipeline.h"

namespace {

constexpr const char* kUnsupportedData = "未対応のデータ形式です。";

// The window's messages span lines; a diagnostic is one.
std::string OneLine(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

SketchOutcome Failed(const std::string& text) { return {false, OneLine(text)}; }

SketchOutcome Run(const std::string& input, const std::string& output, const SketchParameters& parameters,
                  const SketchJob& job) {
    using namespace imaging;
    std::unique_ptr<Picture> original;
    {
        Picture decoded = DecodeFile(input, job.limits);
        if (!decoded.IsValid()) {
            const Status s = decoded.LastStatus();
            // A missing or unreadable file is not a data-format problem.
            if (s == FileNotFound || s == AccessDenied || s == Win32Error) return Failed(GraphicsStatusText(s));
            if (s == OutOfMemory) return Failed(std::string(kUnsupportedData) + " " + GraphicsStatusText(s));
            return Failed(kUnsupportedData);
        }
        original = CopyBitmap(decoded);
    }
    if (original->LastStatus() == OutOfMemory) return Failed(SketchFailureText({SketchStatus::OutOfMemory}));
    if (original->Type() != ImageTypeBitmap) return Failed(kUnsupportedData);

    // The copy goes as soon as the planes exist: the lowest peak.
    SketchPipeline pipeline;
    if (SketchStatus s = pipeline.BuildPlanes(*original); !s) return Failed(SketchFailureText(s));
    original.reset();
    if (SketchStatus s = pipeline.Run(parameters, job.threads); !s) return Failed(SketchFailureText(s));
    if (auto failure = TrySaveImageByExtension(output, *pipeline.Sketch())) return Failed(failure->message);
    return {true, {}};
}

}  // namespace

SketchOutcome SketchFile(const std::string& input, const std::string& output, const SketchParameters& parameters,
                         const SketchJob& job) {
    try {
        return Run(input, output, parameters, job);
    } catch (const std::bad_alloc&) {
        return Failed(SketchFailureText({SketchStatus::OutOfMemory}));
    } catch (...) {
        return Failed(kSketchFailedText);
    }
}
