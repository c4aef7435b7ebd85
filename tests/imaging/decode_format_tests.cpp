// Each format and variant decodes to the right size, pixel format and
// colours; files are recognised by content; EXIF orientations come upright.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "decode_test_util.h"
#include "imaging/codecs/Decode.h"

using namespace decode_test;
using namespace imaging;

namespace {

// Colours at the centres of the four quadrants: TL, TR, BL, BR.
using Quads = std::array<std::uint32_t, 4>;
constexpr Quads kColour{kRed, kLime, kBlue, kWhite};
constexpr Quads kGreys{0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF};
constexpr Quads kGreys16{kWhite, 0xFF555555, 0xFFAAAAAA, kWhite};  // top-left 0xFF12
constexpr Quads kBilevel{kBlack, kWhite, kWhite, kBlack};
constexpr Quads kAlpha{0x00FF0000, 0x8000FF00, kBlue, kWhite};
constexpr Quads kGreyAlpha{0x00000000, 0x80555555, 0xFFAAAAAA, 0xFFFFFFFF};
constexpr Quads kFirstClear{0x00000000, kLime, kBlue, kWhite};  // tRNS / GIF transparent index on red
constexpr Quads kGreyFirstClear{0x00000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF};

struct FormatCase {
    const char* file;
    PixelFormat format;
    Quads colours;
    int tolerance;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.file; }

Quads QuadrantColours(Picture& p) {
    const int w = static_cast<int>(p.Width()), h = static_cast<int>(p.Height());
    return {ArgbAt(p, w / 4, h / 4), ArgbAt(p, 3 * w / 4, h / 4), ArgbAt(p, w / 4, 3 * h / 4),
            ArgbAt(p, 3 * w / 4, 3 * h / 4)};
}

void ExpectQuads(Picture& p, const Quads& want, int tolerance) {
    const Quads got = QuadrantColours(p);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Near(got[i], want[i], tolerance))
            << "quadrant " << i << ": got " << std::hex << got[i] << ", want " << want[i];
}

class DecodeFormats : public testing::TestWithParam<FormatCase> {};

TEST_P(DecodeFormats, SizeFormatAndColours) {
    const FormatCase& c = GetParam();
    Picture p = DecodeFile(FixturePath(c.file));
    ASSERT_TRUE(p.IsValid()) << "status " << p.LastStatus();
    EXPECT_EQ(p.Width(), 16u);
    EXPECT_EQ(p.Height(), 16u);
    EXPECT_EQ(p.Format(), c.format) << std::hex << p.Format();
    ExpectQuads(p, c.colours, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Png, DecodeFormats,
    testing::Values(FormatCase{"png_gray1.png", PixelFormat8bppIndexed, kBilevel, 0},
                    FormatCase{"png_gray2.png", PixelFormat8bppIndexed, kGreys, 0},
                    FormatCase{"png_gray4.png", PixelFormat8bppIndexed, kGreys, 0},
                    FormatCase{"png_gray8.png", PixelFormat8bppIndexed, kGreys, 0},
                    FormatCase{"png_gray16.png", PixelFormat16bppGrayScale, kGreys16, 1},
                    FormatCase{"png_rgb8.png", PixelFormat24bppRGB, kColour, 0},
                    FormatCase{"png_rgb8_interlaced.png", PixelFormat24bppRGB, kColour, 0},
                    FormatCase{"png_rgb16.png", PixelFormat48bppRGB, kColour, 1},
                    FormatCase{"png_pal4.png", PixelFormat8bppIndexed, kColour, 0},
                    FormatCase{"png_pal8_trns.png", PixelFormat32bppARGB, kAlpha, 0},
                    FormatCase{"png_gray8_trns.png", PixelFormat32bppARGB, kGreyFirstClear, 0},
                    FormatCase{"png_rgb8_trns.png", PixelFormat32bppARGB, kFirstClear, 0},
                    FormatCase{"png_ga8.png", PixelFormat32bppARGB, kGreyAlpha, 0},
                    FormatCase{"png_rgba8.png", PixelFormat32bppARGB, kAlpha, 0},
                    FormatCase{"png_rgba8_opaque.png", PixelFormat24bppRGB, kColour, 0},
                    FormatCase{"png_rgba16.png", PixelFormat64bppARGB, kAlpha, 1}));

INSTANTIATE_TEST_SUITE_P(
    Bmp, DecodeFormats,
    testing::Values(FormatCase{"bmp_1.bmp", PixelFormat1bppIndexed, kBilevel, 0},
                    FormatCase{"bmp_4.bmp", PixelFormat4bppIndexed, kColour, 0},
                    FormatCase{"bmp_8.bmp", PixelFormat8bppIndexed, kColour, 0},
                    FormatCase{"bmp_8_topdown.bmp", PixelFormat8bppIndexed, kColour, 0},
                    FormatCase{"bmp_rle8.bmp", PixelFormat8bppIndexed, kColour, 0},
                    FormatCase{"bmp_rle4.bmp", PixelFormat8bppIndexed, kColour, 0},
                    FormatCase{"bmp_16_555.bmp", PixelFormat24bppRGB, kColour, 0},
                    FormatCase{"bmp_16_565.bmp", PixelFormat24bppRGB, kColour, 0},
                    FormatCase{"bmp_24.bmp", PixelFormat24bppRGB, kColour, 0},
                    FormatCase{"bmp_24_topdown.bmp", PixelFormat24bppRGB, kColour, 0},
                    FormatCase{"bmp_32.bmp", PixelFormat32bppRGB, kColour, 0},
                    FormatCase{"bmp_32_alpha.bmp", PixelFormat32bppARGB, kAlpha, 0}));

INSTANTIATE_TEST_SUITE_P(
    Others, DecodeFormats,
    testing::Values(FormatCase{"jpeg_baseline.jpg", PixelFormat24bppRGB, kColour, 12},
                    FormatCase{"jpeg_progressive.jpg", PixelFormat24bppRGB, kColour, 12},
                    FormatCase{"jpeg_gray.jpg", PixelFormat8bppIndexed, kGreys, 8},
                    FormatCase{"jpeg_ycck.jpg", PixelFormat24bppRGB, kColour, 16},
                    FormatCase{"gif_quad.gif", PixelFormat8bppIndexed, kColour, 0},
                    FormatCase{"gif_interlaced.gif", PixelFormat8bppIndexed, kColour, 0},
                    FormatCase{"gif_transparent.gif", PixelFormat32bppARGB, kFirstClear, 0},
                    FormatCase{"tiff_rgb.tif", PixelFormat24bppRGB, kColour, 0},
                    FormatCase{"tiff_tiled.tif", PixelFormat24bppRGB, kColour, 0},
                    FormatCase{"tiff_gray.tif", PixelFormat8bppIndexed, kGreys, 0},
                    FormatCase{"tiff_rgba.tif", PixelFormat32bppARGB, kAlpha, 1},
                    FormatCase{"webp_lossless.webp", PixelFormat24bppRGB, kColour, 0},
                    FormatCase{"webp_lossy.webp", PixelFormat24bppRGB, kColour, 48},
                    FormatCase{"webp_alpha.webp", PixelFormat32bppARGB, kAlpha, 0}));

// 16-bit samples are little-endian words in B, G, R(, A) order: the top-left
// red of these files is 0xFF12, which a byte or channel swap would move.
TEST(DecodeWideSamples, WordsKeepOrderAndPrecision) {
    struct Case {
        const char* file;
        unsigned bytesPerPixel, wordIndex, alphaWord;
    } cases[] = {{"png_gray16.png", 2, 0, 0}, {"png_rgb16.png", 6, 2, 0}, {"png_rgba16.png", 8, 2, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Picture p = DecodeFile(FixturePath(c.file));
        ASSERT_TRUE(p.IsValid());
        BitmapData d;
        ASSERT_EQ(p.LockBits(nullptr, ImageLockModeRead, p.Format(), &d), Ok);
        const auto* px = static_cast<const std::uint8_t*>(d.scan0) + 2 * d.stride + 2 * c.bytesPerPixel;
        std::uint16_t word = 0;
        std::memcpy(&word, px + 2 * c.wordIndex, 2);
        EXPECT_EQ(word, 0xFF12);
        if (c.alphaWord) {
            std::memcpy(&word, px + 2 * c.alphaWord, 2);
            EXPECT_EQ(word, 0);  // top-left is transparent
        }
        p.UnlockBits(&d);
    }
}

// The unused fourth byte of a 32-bit BMP is 0 in the file but reads as
// opacity in the picture, so it must come out 255.
TEST(DecodeBmp32, FourthByteIsOpaque) {
    Picture p = DecodeFile(FixturePath("bmp_32.bmp"));
    ASSERT_EQ(p.Format(), PixelFormat32bppRGB);
    BitmapData d;
    ASSERT_EQ(p.LockBits(nullptr, ImageLockModeRead, PixelFormat32bppRGB, &d), Ok);
    for (std::uint32_t y = 0; y < d.height; ++y)
        for (std::uint32_t x = 0; x < d.width; ++x)
            ASSERT_EQ(static_cast<const std::uint8_t*>(d.scan0)[y * d.stride + 4 * x + 3], 255) << x << "," << y;
    p.UnlockBits(&d);
}

// CMYK written by libjpeg here, with and without the Adobe marker that says
// the samples are stored inverted.
Bytes EncodeCmykJpeg(bool adobe) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = 16;
    c.image_height = 16;
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, JCS_CMYK);
    c.write_Adobe_marker = adobe;
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    // C, M, Y, K ink of red, lime, blue, white.
    const std::uint8_t ink[4][4] = {{0, 255, 255, 0}, {255, 0, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 0}};
    std::uint8_t row[16 * 4];
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            for (int k = 0; k < 4; ++k) {
                const std::uint8_t v = ink[(x >= 8) + 2 * (y >= 8)][k];
                row[4 * x + k] = adobe ? static_cast<std::uint8_t>(255 - v) : v;
            }
        JSAMPROW r = row;
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes b(out, out + size);
    free(out);
    return b;
}

TEST(DecodeJpegCmyk, PlainAndAdobeInvertedGiveTheSameColours) {
    for (const bool adobe : {false, true}) {
        SCOPED_TRACE(adobe ? "adobe" : "plain");
        Picture p = Decode(EncodeCmykJpeg(adobe));
        ASSERT_TRUE(p.IsValid()) << p.LastStatus();
        EXPECT_EQ(p.Format(), PixelFormat24bppRGB);
        ExpectQuads(p, kColour, 12);
    }
}

// The name never decides: a PNG called .jpg is a PNG, text called .png is not
// a picture, and file errors keep their own status.
TEST(DecodeSniffing, ContentDecidesAndFileErrorsAreReported) {
    const auto dir = std::filesystem::temp_directory_path() / ("decode_sniff_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    auto write = [&](const char* name, const Bytes& b) {
        std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                                          static_cast<std::streamsize>(b.size()));
        return dir / name;
    };
    const std::string text = "This is not a picture at all.\n";
    struct Case {
        std::filesystem::path path;
        Status status;
        PixelFormat format;
    } cases[] = {
        {write("really_png.jpg", ReadFixture("png_rgb8.png")), Ok, PixelFormat24bppRGB},
        {write("really_gif.bmp", ReadFixture("gif_quad.gif")), Ok, PixelFormat8bppIndexed},
        {write("text.png", Bytes(text.begin(), text.end())), UnknownImageFormat, 0},
        {write("empty.jpg", Bytes{}), UnknownImageFormat, 0},
        {write("just_magic.png", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'}), UnknownImageFormat, 0},
        {dir / "missing.png", FileNotFound, 0},
        {dir / "no_dir" / "missing.png", FileNotFound, 0},
        {dir, Win32Error, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.filename().string());
        Picture p = DecodeFile(c.path);
        EXPECT_EQ(p.LastStatus(), c.status);
        EXPECT_EQ(p.IsValid(), c.status == Ok);
        if (c.status == Ok) {
            EXPECT_EQ(p.Format(), c.format);
        }
    }
    // Permission bits do not bind root.
    if (geteuid() != 0) {
        const auto locked = write("locked.png", ReadFixture("png_rgb8.png"));
        chmod(locked.c_str(), 0);
        EXPECT_EQ(DecodeFile(locked).LastStatus(), AccessDenied);
    }
    std::filesystem::remove_all(dir);
}

// The orientation fixtures show a 32 x 16 pattern (red, lime / blue, white)
// tagged with each orientation; decoded, each must show the turned pattern.
TEST(DecodeExifOrientation, AllEightComeUpright) {
    struct Case {
        int orientation;
        std::uint32_t width, height;
        Quads colours;
    } cases[] = {
        {1, 32, 16, {kRed, kLime, kBlue, kWhite}}, {2, 32, 16, {kLime, kRed, kWhite, kBlue}},
        {3, 32, 16, {kWhite, kBlue, kLime, kRed}}, {4, 32, 16, {kBlue, kWhite, kRed, kLime}},
        {5, 16, 32, {kRed, kBlue, kLime, kWhite}}, {6, 16, 32, {kBlue, kRed, kWhite, kLime}},
        {7, 16, 32, {kWhite, kLime, kBlue, kRed}}, {8, 16, 32, {kLime, kWhite, kRed, kBlue}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        Picture p = DecodeFile(FixturePath("jpeg_exif" + std::to_string(c.orientation) + ".jpg"));
        ASSERT_TRUE(p.IsValid());
        EXPECT_EQ(p.Width(), c.width);
        EXPECT_EQ(p.Height(), c.height);
        ExpectQuads(p, c.colours, 12);
    }
}

// A damaged EXIF block is ignored rather than trusted.
TEST(DecodeExifOrientation, BrokenExifLeavesPictureAsStored) {
    Bytes b = ReadFixture("jpeg_exif6.jpg");
    const std::size_t exif = Find(b, {'E', 'x', 'i', 'f'});
    ASSERT_NE(exif, std::string::npos);
    struct Damage {
        const char* what;
        std::size_t at;
        std::uint8_t value;
    } damages[] = {
        {"byte order", exif + 6, 'X'},
        {"IFD offset past the end", exif + 6 + 7, 0x7F},
        {"orientation out of range", exif + 6 + 8 + 2 + 8, 9},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        Bytes broken = b;
        broken[d.at] = d.value;
        Picture p = Decode(broken);
        ASSERT_TRUE(p.IsValid());
        EXPECT_EQ(p.Width(), 32u);
        EXPECT_EQ(p.Height(), 16u);
    }
}

}  // namespace
