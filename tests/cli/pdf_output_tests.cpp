// velmor-sketch's PDF output: one-page PDFs (--page) and books (--book),
// read back with poppler's tools: page sizes, page order, the embedded
// picture's size and its pixels against the sketch scaled the same way.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "imageio/FindEncoder.h"
#include "imageio/PageLayout.h"
#include "imaging/codecs/Decode.h"
#include "imaging/codecs/Encoders.h"
#include "imaging/display/Resample.h"

namespace fs = std::filesystem;

namespace {

struct TempDir {
    TempDir() : path(fs::temp_directory_path() / ("velmor-pdf-" + std::to_string(::getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

int RunCommand(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunTool(const std::string& args) { return RunCommand(std::string(VELMOR_SKETCH_BINARY) + " " + args); }

std::string Output(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>/dev/null").c_str(), "r"), ::pclose);
    std::string text;
    if (!pipe) return text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) text.append(buffer, n);
    return text;
}

struct Size {
    double w = 0, h = 0;
};

// Page sizes in points, page by page, from pdfinfo.
std::vector<Size> PageSizes(const std::string& pdf) {
    std::istringstream lines(Output("pdfinfo -f 1 -l 9999 '" + pdf + "'"));
    std::vector<Size> sizes;
    for (std::string line; std::getline(lines, line);) {
        Size s;
        int page = 0;
        if (std::sscanf(line.c_str(), "Page %d size: %lf x %lf", &page, &s.w, &s.h) == 3) sizes.push_back(s);
    }
    return sizes;
}

struct ImageRow {
    int page = 0, width = 0, height = 0;
    double xppi = 0, yppi = 0;
};

// The embedded pictures, from pdfimages -list.
std::vector<ImageRow> Images(const std::string& pdf) {
    std::istringstream lines(Output("pdfimages -list '" + pdf + "'"));
    std::vector<ImageRow> rows;
    for (std::string line; std::getline(lines, line);) {
        ImageRow r;
        char type[32], colour[32], enc[32], interp[32];
        int num = 0, comp = 0, bpc = 0, object = 0, generation = 0;
        if (std::sscanf(line.c_str(), "%d %d %31s %d %d %31s %d %d %31s %31s %d %d %lf %lf", &r.page, &num, type,
                        &r.width, &r.height, colour, &comp, &bpc, enc, interp, &object, &generation, &r.xppi,
                        &r.yppi) == 14)
            rows.push_back(r);
    }
    return rows;
}

constexpr double kA4W = 595.2756, kA4H = 841.8898;

imaging::Clsid EncoderFor(const char* mime) {
    imaging::Clsid clsid;
    std::string error;
    EXPECT_GE(FindEncoderByMimeType(mime, &clsid, &error), 0) << mime << ": " << error;
    return clsid;
}

// A picture with lines for the sketch to find: stripes and a block.
std::string MakePhoto(const fs::path& dir, const std::string& name, int w, int h) {
    imaging::Picture p(w, h, imaging::PixelFormat24bppRGB);
    imaging::BitmapData d;
    EXPECT_EQ(p.LockBits(nullptr, imaging::ImageLockModeWrite, imaging::PixelFormat24bppRGB, &d), imaging::Ok);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = static_cast<std::uint8_t*>(d.scan0) + y * d.stride + 3 * x;
            const bool dark = (x / 5) % 3 == 0 || (x > w / 3 && x < w / 2 && y > h / 4 && y < h / 2);
            px[0] = px[1] = px[2] = static_cast<std::uint8_t>(dark ? 30 : 220 - (x + y) % 40);
        }
    p.UnlockBits(&d);
    const std::string path = (dir / name).string();
    EXPECT_EQ(imaging::SaveImageToFile(p, path, EncoderFor("image/png")), imaging::Ok);
    return path;
}

// The embedded picture's pixel size for a w x h sketch on `paper`.
Size PlacedPixels(int w, int h, const PaperSize& paper) {
    auto layout = LayOutPicture(w, h, paper, kPointsPerInch, FromMillimetres(kPageMarginMm, kPointsPerInch));
    const PageLayout upright = Upright(*layout);
    return {std::round(upright.placed.width / 72 * 300), std::round(upright.placed.height / 72 * 300)};
}

TEST(PdfOptions, CombinationsAndUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        const char* paper;  // the paper chosen, when ok
    };
    const Case cases[] = {
        {{"--page", "A4", "a.jpg", "b.jpg"}, true, "A4"},
        {{"--page=letter", "-o", "x.PDF", "a.jpg"}, true, "Letter"},
        {{"--book", "b.pdf", "a.jpg", "b.jpg"}, true, "A4"},  // A4 unless told
        {{"--book", "b.pdf", "--page", "Letter", "-", "a.jpg"}, true, "Letter"},
        {{"--page", "A3", "a.jpg"}, false, nullptr},
        {{"--page", "A4", "-o", "x.png", "a.jpg"}, false, nullptr},
        {{"--page", "A4", "-o", "-", "a.jpg"}, false, nullptr},
        {{"--page", "A4", "-t", "png", "a.jpg"}, false, nullptr},
        {{"--book", "b.pdf", "-o", "x.pdf", "a.jpg"}, false, nullptr},
        {{"--book", "b.pdf", "-t", "png", "a.jpg"}, false, nullptr},
        {{"--book", "b.pdf", "-d", "out", "a.jpg"}, false, nullptr},
        {{"--book", "b.png", "a.jpg"}, false, nullptr},
        {{"--book", "dir/.pdf", "a.jpg"}, false, nullptr},
        {{"--book=", "a.jpg"}, false, nullptr},
        {{"--book", "b.pdf"}, false, nullptr},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        ParseResult r = ParseCommandLine(c.args);
        ASSERT_EQ(r.options.has_value(), c.ok) << joined << r.error;
        if (!c.ok) {
            EXPECT_EQ(r.error.find('\n'), std::string::npos) << joined;
            continue;
        }
        ASSERT_NE(r.options->page, nullptr) << joined;
        EXPECT_EQ(r.options->page->name, c.paper) << joined;
    }
}

// One page a sketch: the paper in the picture's orientation, the name by
// the usual rule, the picture at 300 dpi, its pixels the sketch's scaled.
TEST(PdfOutput, OnePagePdfs) {
    TempDir dir;
    const std::string tall = MakePhoto(dir.path, "tall.png", 90, 160);
    const std::string wide = MakePhoto(dir.path, "wide.png", 160, 90);
    ASSERT_EQ(RunTool("--page A4 " + tall + " " + wide), 0);
    struct Case {
        std::string pdf;
        const PaperSize& paper;
        int w, h;
        Size page;
    };
    ASSERT_EQ(RunTool("--page Letter -o " + (dir.path / "letter.pdf").string() + " " + wide), 0);
    const Case cases[] = {
        {(dir.path / "tall_shitae.pdf").string(), kPaperA4, 90, 160, {kA4W, kA4H}},
        {(dir.path / "wide_shitae.pdf").string(), kPaperA4, 160, 90, {kA4H, kA4W}},
        {(dir.path / "letter.pdf").string(), kPaperLetter, 160, 90, {792, 612}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pdf);
        const std::vector<Size> pages = PageSizes(c.pdf);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_NEAR(pages[0].w, c.page.w, 0.01);
        EXPECT_NEAR(pages[0].h, c.page.h, 0.01);
        const std::vector<ImageRow> images = Images(c.pdf);
        ASSERT_EQ(images.size(), 1u);
        const Size pixels = PlacedPixels(c.w, c.h, c.paper);
        EXPECT_EQ(images[0].width, pixels.w);
        EXPECT_EQ(images[0].height, pixels.h);
        EXPECT_NEAR(images[0].xppi, 300, 1);
        EXPECT_NEAR(images[0].yppi, 300, 1);
    }

    // The embedded pixels are the sketch, resampled smoothly to that size.
    const std::string sketchPng = (dir.path / "sketch.png").string();
    ASSERT_EQ(RunTool("--png24 -o " + sketchPng + " " + wide), 0);
    imaging::Picture sketch = imaging::DecodeFile(sketchPng);
    ASSERT_TRUE(sketch.IsValid());
    const Size pixels = PlacedPixels(160, 90, kPaperA4);
    const int pw = static_cast<int>(pixels.w), ph = static_cast<int>(pixels.h);
    imaging::BitmapData src;
    ASSERT_EQ(sketch.LockBits(nullptr, imaging::ImageLockModeRead, imaging::PixelFormat24bppRGB, &src), imaging::Ok);
    std::vector<std::uint8_t> expected(static_cast<std::size_t>(pw) * ph * 4);
    ASSERT_EQ(imaging::ResampleRegion(static_cast<const std::uint8_t*>(src.scan0), src.stride, 160, 90, pw, ph,
                                      imaging::Rect{0, 0, pw, ph}, expected.data(), 4 * pw,
                                      imaging::PixelFormat24bppRGB),
              imaging::Ok);
    sketch.UnlockBits(&src);
    const std::string prefix = (dir.path / "embedded").string();
    ASSERT_EQ(RunCommand("pdfimages -png '" + (dir.path / "wide_shitae.pdf").string() + "' '" + prefix + "'"), 0);
    imaging::Picture embedded = imaging::DecodeFile(prefix + "-000.png");
    ASSERT_TRUE(embedded.IsValid());
    ASSERT_EQ(static_cast<int>(embedded.Width()), pw);
    ASSERT_EQ(static_cast<int>(embedded.Height()), ph);
    imaging::BitmapData got;
    ASSERT_EQ(embedded.LockBits(nullptr, imaging::ImageLockModeRead, imaging::PixelFormat32bppARGB, &got),
              imaging::Ok);
    int worst = 0;
    for (int y = 0; y < ph; ++y)
        for (int x = 0; x < pw; ++x)
            for (int k = 0; k < 3; ++k) {
                const int a = static_cast<const std::uint8_t*>(got.scan0)[y * got.stride + 4 * x + k];
                const int b = expected[(static_cast<std::size_t>(y) * pw + x) * 4 + k];
                worst = std::max(worst, std::abs(a - b));
            }
    embedded.UnlockBits(&got);
    EXPECT_LE(worst, 1) << "the picture is embedded without loss";
}

// A book: one page an input in command-line order, whatever the jobs; a
// failed input is left out, reported and fails the run; nothing is left
// behind when no page can be written.
TEST(PdfOutput, BooksKeepTheOrderAndLeaveOutFailures) {
    TempDir dir;
    struct Photo {
        std::string path;
        int w, h;
    };
    const std::vector<Photo> photos = {
        {MakePhoto(dir.path, "a.png", 160, 90), 160, 90},
        {MakePhoto(dir.path, "b.png", 60, 140), 60, 140},
        {MakePhoto(dir.path, "c.png", 70, 70), 70, 70},
        {MakePhoto(dir.path, "d.png", 200, 50), 200, 50},
        {MakePhoto(dir.path, "e.png", 30, 45), 30, 45},
    };
    const std::string bad = (dir.path / "bad.png").string();
    std::ofstream(bad) << "not a picture";
    const std::string book = (dir.path / "book.pdf").string();

    auto expectPages = [&](const std::vector<Photo>& order, const PaperSize& paper) {
        const std::vector<Size> pages = PageSizes(book);
        const std::vector<ImageRow> images = Images(book);
        ASSERT_EQ(pages.size(), order.size());
        ASSERT_EQ(images.size(), order.size());
        const double pw = FromMillimetres(paper.widthMm, 72), ph = FromMillimetres(paper.heightMm, 72);
        for (std::size_t i = 0; i < order.size(); ++i) {
            SCOPED_TRACE("page " + std::to_string(i + 1));
            const bool landscape = order[i].w > order[i].h;
            EXPECT_NEAR(pages[i].w, landscape ? ph : pw, 0.01);
            EXPECT_NEAR(pages[i].h, landscape ? pw : ph, 0.01);
            const Size pixels = PlacedPixels(order[i].w, order[i].h, paper);
            EXPECT_EQ(images[i].page, static_cast<int>(i + 1));
            EXPECT_EQ(images[i].width, pixels.w);
            EXPECT_EQ(images[i].height, pixels.h);
        }
    };
    std::string all;
    for (const Photo& p : photos) all += " " + p.path;
    for (const char* jobs : {"-j 1", "-j 3"}) {
        SCOPED_TRACE(jobs);
        fs::remove(book);
        ASSERT_EQ(RunTool(std::string(jobs) + " --book " + book + all), 0);
        expectPages(photos, kPaperA4);
    }
    ASSERT_EQ(RunTool("--page Letter --book " + book + " " + photos[3].path + " " + photos[0].path), 0);
    expectPages({photos[3], photos[0]}, kPaperLetter);

    // A bad input in the middle: left out, the run fails, the rest in order.
    fs::remove(book);
    EXPECT_EQ(RunTool("-j 2 --book " + book + " " + photos[0].path + " " + bad + " " + photos[1].path), 1);
    expectPages({photos[0], photos[1]}, kPaperA4);

    // No page at all: the book already there stays as it was, no temporary file.
    std::ofstream(book, std::ios::trunc) << "old";
    EXPECT_EQ(RunTool("--book " + book + " " + bad + " " + bad), 1);
    EXPECT_EQ(RunTool("--book " + book + " " + photos[0].path + " " + book), 1) << "the book is one of the inputs";
    std::ifstream kept(book);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old");
    EXPECT_EQ(RunTool("--book " + (dir.path / "missing" / "b.pdf").string() + " " + photos[0].path), 1);
    for (const auto& entry : fs::directory_iterator(dir.path))
        EXPECT_EQ(entry.path().filename().string().rfind(".velmor-save-", 0), std::string::npos) << entry.path();
}

}  // namespace
