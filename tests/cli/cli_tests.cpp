// velmor-sketch: its command line, its output names, and whole runs of the
// tool with good and bad inputs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/SketchFile.h"
#include "engine/BitmapLock.h"
#include "engine/SpeckRemoval.h"
#include "imageio/FindEncoder.h"
#include "imaging/codecs/Decode.h"
#include "imaging/codecs/Encoders.h"
#include "tests/reference/SketchReference.h"

namespace fs = std::filesystem;

namespace {

TEST(CliOptions, ValuesAndUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        int strength = 3, removal = 0;
        bool denoise = false;
        Colour line = 0x800000, frame = 0xFFFFFF;
        int thicken = 0, despeckle = 0;
    };
    const Case cases[] = {
        {{"a.jpg"}, true, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-s", "11", "-r", "10", "-n", "a.jpg"}, true, 11, 10, true, 0x800000, 0xFFFFFF},
        {{"--strength=1", "--remove=0", "a.jpg"}, true, 1, 0, false, 0x800000, 0xFFFFFF},
        {{"-c", "#FF0000", "-F", "000000", "a.jpg"}, true, 3, 0, false, 0x0000FF, 0x000000},
        {{"-c", "#123456", "a.jpg"}, true, 3, 0, false, 0x563412, 0xFFFFFF},
        {{"-s", "0", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-s", "12", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-s", "3x", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-r", "11", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-r", "-1", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-c", "#12345", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-c", "#GG0000", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-x", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-s"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-o", "out.png", "a.jpg", "b.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-o", "out.webp", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-o", "out", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-o", "dir.x/out", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-o", "OUT.TIF", "a.jpg"}, true, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-t", "webp", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-t", "JPG", "a.jpg"}, true, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-j", "0", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"--", "-s.jpg"}, true, 3, 0, false, 0x800000, 0xFFFFFF},
        // The GNU forms: attached values, grouped flags, options after inputs.
        {{"-s5", "-r2", "a.jpg"}, true, 5, 2, false, 0x800000, 0xFFFFFF},
        {{"-nj2", "a.jpg"}, true, 3, 0, true, 0x800000, 0xFFFFFF},
        {{"-ns7", "a.jpg"}, true, 7, 0, true, 0x800000, 0xFFFFFF},
        {{"a.jpg", "--strength", "9", "-n"}, true, 9, 0, true, 0x800000, 0xFFFFFF},
        {{"--str=4", "a.jpg"}, true, 4, 0, false, 0x800000, 0xFFFFFF},  // an unambiguous prefix
        {{"--line-color=#00FF00", "a.jpg"}, true, 3, 0, false, 0x00FF00, 0xFFFFFF},
        {{"-", "-s", "2", "-o", "-"}, true, 2, 0, false, 0x800000, 0xFFFFFF},
        {{"-", "-s", "2"}, false, 3, 0, false, 0x800000, 0xFFFFFF},  // standard input needs -o
        {{"--denoise=yes", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"--help=1"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"--no-such", "a.jpg"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"--strength"}, false, 3, 0, false, 0x800000, 0xFFFFFF},
        {{"-s", "3", "--", "-n"}, true, 3, 0, false, 0x800000, 0xFFFFFF},
        // Finishing.
        {{"-w", "4", "-k", "10", "a.jpg"}, true, 3, 0, false, 0x800000, 0xFFFFFF, 4, 10},
        {{"--thicken=1", "--despeckle=1", "a.jpg"}, true, 3, 0, false, 0x800000, 0xFFFFFF, 1, 1},
        {{"-w2k3", "a.jpg"}, false},  // -w takes "2k3" as its value
        {{"-w2", "-k3", "a.jpg"}, true, 3, 0, false, 0x800000, 0xFFFFFF, 2, 3},
        {{"-w", "5", "a.jpg"}, false},
        {{"-w", "-1", "a.jpg"}, false},
        {{"-k", "11", "a.jpg"}, false},
        {{"--despeckle", "x", "a.jpg"}, false},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        SCOPED_TRACE(joined);
        ParseResult r = ParseCommandLine(c.args);
        ASSERT_EQ(r.options.has_value(), c.ok) << r.error;
        if (!c.ok) {
            EXPECT_FALSE(r.error.empty());
            continue;
        }
        EXPECT_EQ(r.options->settings.strength, c.strength);
        EXPECT_EQ(r.options->settings.removal, c.removal);
        EXPECT_EQ(r.options->settings.noiseRemoval, c.denoise);
        EXPECT_EQ(r.options->settings.lineColour, c.line);
        EXPECT_EQ(r.options->settings.frameColour, c.frame);
        EXPECT_EQ(r.options->settings.thicken, c.thicken);
        EXPECT_EQ(r.options->settings.despeckle, c.despeckle);
    }
}

TEST(CliOptions, GeneratedOutputNames) {
    struct Case {
        const char* input;
        const char* dir;
        const char* type;
        const char* expected;
    };
    const Case cases[] = {
        {"/pics/cat.jpg", "", "png", "/pics/cat_shitae.png"},
        {"cat.jpg", "", "png", "cat_shitae.png"},
        {"/pics/a.b.png", "/out", "bmp", "/out/a.b_shitae.bmp"},
        {"/pics/photo", "/out/", "tif", "/out/photo_shitae.tif"},
        {"/pics.old/photo", "", "png", "/pics.old/photo_shitae.png"},
    };
    for (const auto& c : cases) EXPECT_EQ(OutputPathFor(c.input, c.dir, c.type), c.expected) << c.input;
}

// A small picture with edges, flat areas, transparency and an odd size.
imaging::Picture MakeInput(int w, int h) {
    imaging::Picture p(w, h, imaging::PixelFormat32bppARGB);
    CBitmapLock lock;
    lock.Lock(&p, false, true, imaging::PixelFormat32bppARGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = lock.Row(y) + 4 * x;
            const bool disc = (x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < (w * h) / 8;
            px[0] = static_cast<std::uint8_t>(disc ? 40 : 200 + (x * 7 + y * 3) % 50);
            px[1] = static_cast<std::uint8_t>(disc ? 90 : 180);
            px[2] = static_cast<std::uint8_t>((x * 13) ^ (y * 5));
            px[3] = static_cast<std::uint8_t>(x < 4 ? 64 * x : 255);
        }
    return p;
}

imaging::Clsid EncoderFor(const char* mime) {
    imaging::Clsid clsid;
    std::string error;
    EXPECT_GE(FindEncoderByMimeType(mime, &clsid, &error), 0) << mime << ": " << error;
    return clsid;
}

struct TempDir {
    TempDir() : path(fs::temp_directory_path() / ("velmor-cli-" + std::to_string(::getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

// The tool's output is the reference pipeline's sketch, pixel for pixel.
TEST(SketchFile, WritesExactlyTheReferenceSketch) {
    TempDir dir;
    const int w = 37, h = 23;
    imaging::Picture input = MakeInput(w, h);
    const fs::path in = dir.path / "in.png";
    ASSERT_EQ(imaging::SaveImageToFile(input, in, EncoderFor("image/png")), imaging::Ok);

    struct Case {
        SketchParameters s;
    };
    const Case cases[] = {
        {{3, 0, false, 0x800000, 0xFFFFFF}},
        {{11, 2, true, 0x0000FF, 0x000000}},
        {{1, 10, false, 0x123456, 0x00FF00}},
        // Finishing: specks removed first, then the lines thickened.
        {{3, 0, false, 0x800000, 0xFFFFFF, 4, 0}},
        {{6, 0, true, 0x000000, 0xFFFFFF, 0, 10}},
        {{8, 1, false, 0x0000FF, 0x808080, 2, 3}},
    };
    for (const auto& c : cases) {
        const fs::path out = dir.path / "out.png";
        SketchOutcome outcome = SketchFile(in.string(), out.string(), c.s);
        ASSERT_TRUE(outcome.ok) << outcome.reason;

        // Expected: the literal arithmetic on the same pixels.
        CBitmapLock src;
        ASSERT_EQ(src.Lock(&input, true, false, imaging::PixelFormat32bppRGB), 0);
        const std::size_t n = static_cast<std::size_t>(w) * h;
        std::vector<std::uint8_t> r(n), g(n), b(n), in(n), lr(n), lg(n), lb(n), grey(n);
        reference::BuildColourPlanes(src.FirstRow(), src.data.stride, w, h, r.data(), g.data(), b.data());
        src.Unlock();
        reference::MakeGreyPlane(r.data(), g.data(), b.data(), w, h, c.s.noiseRemoval, c.s.strength, c.s.removal,
                                 in.data(), lr.data(), lg.data(), lb.data(), grey.data());
        reference::RemoveSpecks(grey.data(), w, h, SpeckAreaForStep(c.s.despeckle));
        reference::ThickenLines(grey.data(), w, h, c.s.thicken);
        std::vector<std::uint8_t> expected(3 * n);
        reference::PaintSketch(grey.data(), w, h, c.s.lineColour, c.s.frameColour, expected.data(), 3 * w);

        imaging::Picture written = imaging::DecodeFile(out);
        ASSERT_TRUE(written.IsValid());
        CBitmapLock got;
        ASSERT_EQ(got.Lock(&written, true, false, imaging::PixelFormat24bppRGB), 0);
        for (int y = 0; y < h; ++y)
            ASSERT_EQ(0, std::memcmp(got.Row(y), expected.data() + 3 * w * y, 3 * w)) << "row " << y;
    }
}

// Every pixel as 0xAARRGGBB, whatever the picture's own format.
std::vector<std::uint32_t> Pixels(imaging::Picture& p) {
    imaging::BitmapData d;
    if (p.LockBits(nullptr, imaging::ImageLockModeRead, imaging::PixelFormat32bppARGB, &d) != imaging::Ok) return {};
    std::vector<std::uint32_t> out;
    for (std::uint32_t y = 0; y < d.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(d.scan0) +
                                                                 static_cast<std::ptrdiff_t>(y) * d.stride);
        out.insert(out.end(), row, row + d.width);
    }
    p.UnlockBits(&d);
    return out;
}

int RunTool(const std::string& args) {
    const std::string cmd = std::string(VELMOR_SKETCH_BINARY) + " " + args + " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SketchTool, ExitStatusAndOutputsOfWholeRuns) {
    TempDir dir;
    imaging::Picture input = MakeInput(20, 10);
    const std::string good = (dir.path / "good.png").string();
    ASSERT_EQ(imaging::SaveImageToFile(input, good, EncoderFor("image/png")), imaging::Ok);
    const std::string bad = (dir.path / "text.png").string();
    std::ofstream(bad) << "not a picture";
    const std::string out = (dir.path / "out").string();
    fs::create_directories(out);

    EXPECT_EQ(RunTool("-d " + out + " " + good), 0);
    EXPECT_TRUE(fs::exists(out + "/good_shitae.png"));

    // One bad input fails the run; the good one is still written.
    fs::remove(out + "/good_shitae.png");
    EXPECT_EQ(RunTool("-t jpg -d " + out + " " + bad + " " + good), 1);
    EXPECT_TRUE(fs::exists(out + "/good_shitae.jpg"));
    EXPECT_FALSE(fs::exists(out + "/text_shitae.jpg"));

    // A missing folder for -o: failure, nothing written.
    EXPECT_EQ(RunTool("-o " + out + "/missing/x.png " + good), 1);
    EXPECT_EQ(RunTool("-s 99 " + good), 2);
    EXPECT_EQ(RunTool("-o a.png " + good + " " + good), 2);
    EXPECT_EQ(RunTool("--help"), 0);

    // Two inputs that would write the same file: the second is refused.
    const std::string twin = (dir.path / "good.bmp").string();
    ASSERT_EQ(imaging::SaveImageToFile(input, twin, EncoderFor("image/bmp")), imaging::Ok);
    EXPECT_EQ(RunTool("-j 2 -d " + out + " " + good + " " + twin), 1);
    EXPECT_TRUE(fs::exists(out + "/good_shitae.png"));
    // The same file named twice, and a sketch that would overwrite another input.
    EXPECT_EQ(RunTool("-j 2 -d " + out + " " + good + " " + (dir.path / "." / "good.png").string()), 1);
    const std::string sketchAsInput = (dir.path / "good_shitae.png").string();
    ASSERT_EQ(imaging::SaveImageToFile(input, sketchAsInput, EncoderFor("image/png")), imaging::Ok);
    const auto before = fs::last_write_time(sketchAsInput);
    EXPECT_EQ(RunTool("-j 2 " + good + " " + sketchAsInput), 1);
    EXPECT_EQ(fs::last_write_time(sketchAsInput), before);

    // Outputs that are hard links of each other are one file too.
    const std::string other = (dir.path / "other.png").string();
    ASSERT_EQ(imaging::SaveImageToFile(input, other, EncoderFor("image/png")), imaging::Ok);
    fs::remove(out + "/good_shitae.png");
    fs::remove(out + "/other_shitae.png");
    std::ofstream(out + "/good_shitae.png") << "x";
    fs::create_hard_link(out + "/good_shitae.png", out + "/other_shitae.png");
    EXPECT_EQ(RunTool("-j 2 -d " + out + " " + good + " " + other), 1);
    std::ifstream refused(out + "/other_shitae.png");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(refused), {}), "x") << "the second was not written";
}

// "-" reads the picture from standard input and "-o -" writes the sketch to
// standard output: the same bytes as through files.
TEST(SketchTool, StandardInputAndOutput) {
    TempDir dir;
    imaging::Picture input = MakeInput(40, 30);
    const std::string in = (dir.path / "in.png").string();
    ASSERT_EQ(imaging::SaveImageToFile(input, in, EncoderFor("image/png")), imaging::Ok);
    const std::string tool = VELMOR_SKETCH_BINARY;
    auto bytes = [](const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    struct Case {
        const char* type;
        const char* file;
    };
    for (const Case c : {Case{"png", "ref.png"}, Case{"bmp", "ref.bmp"}, Case{"tif", "ref.tif"}}) {
        const fs::path ref = dir.path / c.file;
        const fs::path piped = dir.path / (std::string("piped.") + c.type);
        ASSERT_EQ(std::system((tool + " -n -s5 -o " + ref.string() + " " + in).c_str()), 0);
        ASSERT_EQ(std::system((tool + " -n -s5 -t " + c.type + " -o - - < " + in + " > " + piped.string()).c_str()), 0);
        EXPECT_EQ(bytes(piped), bytes(ref)) << c.type;
    }
    // Standard input without -o has nowhere to go: a usage error.
    EXPECT_EQ(RunTool("- < " + in), 2);
    // Not a picture on standard input: a failed input.
    EXPECT_EQ(RunTool("-o - - < /dev/null"), 1);
}

// A PNG sketch is written as 8-bit palette when its colours fit, and decodes
// to exactly the pixels of the 24-bit one that --png24 asks for.
TEST(SketchTool, PalettePngHasTheSamePixels) {
    TempDir dir;
    const std::string photo = std::string(VELMOR_SOURCE_DIR) + "/samples/cat.png";
    struct Case {
        const char* options;
    };
    for (const Case c : {Case{"-n"}, Case{"-s 11 -r 4"}, Case{"-c FF8000 -F 00FF00 -s 1"}}) {
        const std::string palette = (dir.path / "p.png").string(), rgb = (dir.path / "r.png").string();
        ASSERT_EQ(RunTool(std::string(c.options) + " -o " + palette + " " + photo), 0);
        ASSERT_EQ(RunTool(std::string(c.options) + " --png24 -o " + rgb + " " + photo), 0);
        imaging::Picture a = imaging::DecodeFile(palette), b = imaging::DecodeFile(rgb);
        ASSERT_TRUE(a.IsValid() && b.IsValid()) << c.options;
        EXPECT_EQ(a.Format(), imaging::PixelFormat8bppIndexed) << c.options;
        EXPECT_EQ(b.Format(), imaging::PixelFormat24bppRGB) << c.options;
        EXPECT_EQ(Pixels(a), Pixels(b)) << c.options;
    }
    // And over the decoder fixtures: every kind of input the tool reads.
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(std::string(VELMOR_SOURCE_DIR) + "/tests/data/decode")) {
        const std::string file = entry.path().string();
        if (entry.path().extension() == ".md") continue;
        const std::string palette = (dir.path / "fp.png").string(), rgb = (dir.path / "fr.png").string();
        fs::remove(palette);
        fs::remove(rgb);
        const int first = RunTool("-n -o " + palette + " '" + file + "'");
        ASSERT_EQ(RunTool("-n --png24 -o " + rgb + " '" + file + "'"), first) << file;
        if (first != 0) continue;  // a damaged fixture: refused both ways
        imaging::Picture a = imaging::DecodeFile(palette), b = imaging::DecodeFile(rgb);
        EXPECT_EQ(Pixels(a), Pixels(b)) << file;
        ++compared;
    }
    EXPECT_GT(compared, 10);
}

}  // namespace
