#include "cli/SketchFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "engine/CopyBitmap.h"
#include "imageio/GraphicsStatusText.h"
#include "imageio/PdfPages.h"
#include "imageio/SaveImage.h"
#include "imaging/codecs/Decode.h"
#include "imaging/picture/PaletteConversion.h"
#include "pipeline/MemoryBudget.h"
#include "pipeline/PaletteSketch.h"
#include "pipeline/SketchPipeline.h"

namespace {

constexpr const char* kUnsupportedData = "未対応のデータ形式です。";

SketchOutcome Failed(const std::string& text) { return {false, OneLine(text)}; }

// Standard input, whole, up to the largest file a picture could need.
bool ReadStandardInput(std::vector<std::uint8_t>& bytes) {
    constexpr std::size_t kMaxBytes = std::size_t{1} << 31;
    std::uint8_t chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (bytes.size() + static_cast<std::size_t>(n) > kMaxBytes) return false;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

// The sketch in the format of extension `type` on standard output.
std::optional<std::string> WriteStandardOutput(imaging::Picture& sketch, const std::string& type) {
    std::vector<std::uint8_t> bytes;
    if (auto failure = TryEncodeImageByExtension("." + type, sketch, &bytes)) return failure->message;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return "cannot write the sketch to standard output";
        done += static_cast<std::size_t>(n);
    }
    return std::nullopt;
}

bool IsPngExtension(std::string_view extension) {
    const char* mime = MimeTypeForExtension(extension);
    return mime != nullptr && std::string_view(mime) == "image/png";
}

// Decoded and reduced to the grey plane: everything but the paint.
SketchOutcome MakeGrey(const std::string& input, const SketchParameters& parameters, const SketchJob& job,
                       SketchPipeline& pipeline) {
    using namespace imaging;
    std::unique_ptr<Picture> original;
    {
        std::vector<std::uint8_t> piped;
        if (input == "-" && !ReadStandardInput(piped)) return Failed("cannot read standard input");
        // The file's bytes are held while it decodes: they count in this job's share.
        std::uint64_t inputBytes = piped.size();
        if (struct stat st {}; input != "-" && ::stat(input.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            inputBytes = static_cast<std::uint64_t>(st.st_size);
        const DecodeLimits limits = WithInputBuffer(job.limits, inputBytes);
        Picture decoded =
            input == "-" ? DecodeMemory(piped.data(), piped.size(), limits) : DecodeFile(input, limits);
        if (!decoded.IsValid()) {
            const Status s = decoded.LastStatus();
            // A missing or unreadable file is not a data-format problem.
            if (s == FileNotFound || s == AccessDenied || s == Win32Error) return Failed(GraphicsStatusText(s));
            if (s == OutOfMemory) return Failed(std::string(kUnsupportedData) + " " + GraphicsStatusText(s));
            return Failed(kUnsupportedData);
        }
        // A 24-bit picture's copy would be the same bytes: the planes are
        // read from the decoded picture itself, one picture-sized buffer less.
        if (decoded.Format() == PixelFormat24bppRGB)
            original = std::make_unique<Picture>(std::move(decoded));
        else
            original = CopyBitmap(decoded);
    }
    if (original->LastStatus() == OutOfMemory) return Failed(SketchFailureText({SketchStatus::OutOfMemory}));
    if (original->Type() != ImageTypeBitmap) return Failed(kUnsupportedData);

    // The copy goes as soon as the planes exist: the lowest peak.
    if (SketchStatus s = pipeline.BuildPlanes(*original); !s) return Failed(SketchFailureText(s));
    original.reset();
    if (SketchStatus s = pipeline.RunGrey(parameters, job.threads); !s) return Failed(SketchFailureText(s));
    return {true, {}};
}

// The painted 24-bit sketch, the work buffers freed.
SketchOutcome MakeSketch(const std::string& input, const SketchParameters& parameters, const SketchJob& job,
                         SketchPipeline& pipeline) {
    if (SketchOutcome r = MakeGrey(input, parameters, job, pipeline); !r.ok) return r;
    if (SketchStatus s = pipeline.Paint(parameters, job.threads); !s) return Failed(SketchFailureText(s));
    pipeline.ReleaseWorkBuffers();
    return {true, {}};
}

// The sketch as a one-page PDF; the sketch goes once its page is resampled.
SketchOutcome WritePdfPage(const std::string& input, const std::string& output, const SketchParameters& parameters,
                           const SketchJob& job) {
    PdfPage page;
    {
        SketchPipeline pipeline;
        if (SketchOutcome r = MakeSketch(input, parameters, job, pipeline); !r.ok) return r;
        if (auto failure = page.Prepare(*pipeline.Sketch(), *job.page)) return Failed(failure->message);
    }
    PdfFile pdf;
    if (auto failure = pdf.Open(output)) return Failed(failure->message);
    if (auto failure = pdf.Add(std::move(page))) return Failed(failure->message);
    if (auto failure = pdf.Close()) return Failed(failure->message);
    return {true, {}};
}

SketchOutcome Run(const std::string& input, const std::string& output, const SketchParameters& parameters,
                  const SketchJob& job) {
    using namespace imaging;
    if (job.page != nullptr) return WritePdfPage(input, output, parameters, job);
    SketchPipeline pipeline;
    if (SketchOutcome r = MakeGrey(input, parameters, job, pipeline); !r.ok) return r;
    const int width = pipeline.Width(), height = pipeline.Height();
    // A PNG sketch as 8-bit palette when its colours fit, made straight from
    // the grey plane: the same pixels, a third of the data to compress and
    // write, and no 24-bit sketch at all.
    const std::string extension = output == "-" ? "." + job.streamType : std::string(FindPathExtension(output));
    const bool wantPalette = job.palettePng && IsPngExtension(extension);
    std::optional<Picture> palette;
    if (wantPalette)
        palette = PaletteSketchFromGrey(pipeline.Grey(), width, height, parameters.lineColour, parameters.frameColour);
    if (!palette) {
        if (SketchStatus s = pipeline.Paint(parameters, job.threads); !s) return Failed(SketchFailureText(s));
        // A frame colour off the line colour's shades: the painted colours may still fit.
        if (wantPalette) palette = ToPaletteIfItFits(*pipeline.Sketch());
    }
    pipeline.ReleaseWorkBuffers();  // only the sketch is saved: the lowest peak
    Picture& sketch = palette ? *palette : *pipeline.Sketch();
    if (output == "-") {
        if (auto failure = WriteStandardOutput(sketch, job.streamType)) return Failed(*failure);
    } else if (auto failure = TrySaveImageByExtension(output, sketch)) {
        return Failed(failure->message);
    }
    return {true, {}};
}

}  // namespace

std::string OneLine(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

SketchOutcome SketchPicture(const std::string& input, const SketchParameters& parameters, const SketchJob& job,
                            std::unique_ptr<imaging::Picture>& sketch) {
    try {
        SketchPipeline pipeline;
        if (SketchOutcome r = MakeSketch(input, parameters, job, pipeline); !r.ok) return r;
        sketch = std::move(pipeline.m_pSketch);
        return {true, {}};
    } catch (const std::bad_alloc&) {
        return Failed(SketchFailureText({SketchStatus::OutOfMemory}));
    } catch (...) {
        return Failed(kSketchFailedText);
    }
}

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
