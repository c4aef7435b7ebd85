// Every encoder against every picture format: the file is read back by an
// independent reader (ImageMagick) and, where our decoders understand it, by
// DecodeFile too, and compared with the picture's own pixels.
#include <cstdlib>

#include "encode_fixtures.h"
#include "imaging/codecs/Decode.h"

namespace encode_test {
namespace {

using namespace imaging;

enum class Expect {
    Exact,         // every R,G,B,A byte back
    ExactOpaque,   // R,G,B back; alpha 255 (the format holds none)
    GifPalette,    // R,G,B back where alpha >= 128; alpha < 128 transparent
    Close,         // lossy: small mean error, alpha 255
};

struct RoundTrip {
    const char* mime;
    const char* extension;
    PixelFormat format;
    Content content;
    Expect expect;
};

std::string Name(const RoundTrip& c) {
    std::string name = std::string(c.extension + 1) + "_" + std::to_string(BitsPerPixel(c.format)) + "bpp";
    if (IsIndexed(c.format)) name += "Indexed";
    if (HasAlpha(c.format)) name += "Alpha";
    if (c.format == PixelFormat16bppGrayScale) name += "Grey";
    if (c.content == Content::FewColours) name += "_FewColours";
    if (c.content == Content::Smooth) name += "_Smooth";
    return name;
}

class EncodeRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// A reader that hands out premultiplied colour (our TIFF decoder goes through
// libtiff's RGBA reader) cannot give back the colour of a translucent pixel
// exactly: allow the rounding of un-premultiplying, and any colour at alpha 0.
bool WithinPremultipliedRounding(const std::uint8_t* e, const std::uint8_t* a) {
    if (e[3] != a[3]) return false;
    const int slack = e[3] == 0 ? 255 : 255 / e[3] + 1;
    for (int k = 0; k < 3; ++k)
        if (std::abs(int{e[k]} - int{a[k]}) > slack) return false;
    return true;
}

void Compare(const RoundTrip& c, const Rgba& expected, const Rgba& actual, const char* reader,
             bool premultipliedReader = false) {
    ASSERT_EQ(actual.width, expected.width) << reader;
    ASSERT_EQ(actual.height, expected.height) << reader;
    ASSERT_EQ(actual.bytes.size(), expected.bytes.size()) << reader;
    double totalError = 0;
    int mismatches = 0;
    for (std::size_t i = 0; i < expected.bytes.size(); i += 4) {
        const std::uint8_t* e = &expected.bytes[i];
        const std::uint8_t* a = &actual.bytes[i];
        bool same = true;
        switch (c.expect) {
        case Expect::Exact:
            same = std::memcmp(e, a, 4) == 0 || (premultipliedReader && WithinPremultipliedRounding(e, a));
            break;
        case Expect::ExactOpaque: same = std::memcmp(e, a, 3) == 0 && a[3] == 255; break;
        case Expect::GifPalette:
            same = e[3] < 128 ? a[3] == 0 : std::memcmp(e, a, 3) == 0 && a[3] == 255;
            break;
        case Expect::Close:
            for (int k = 0; k < 3; ++k) totalError += std::abs(int{e[k]} - int{a[k]});
            same = a[3] == 255;
            break;
        }
        if (!same && mismatches++ < 3) {
            const std::size_t pixel = i / 4;
            ADD_FAILURE() << reader << ": pixel (" << pixel % expected.width << ", " << pixel / expected.width
                          << ") expected " << int{e[0]} << "," << int{e[1]} << "," << int{e[2]} << "," << int{e[3]}
                          << " got " << int{a[0]} << "," << int{a[1]} << "," << int{a[2]} << "," << int{a[3]};
        }
    }
    EXPECT_EQ(mismatches, 0) << reader;
    if (c.expect == Expect::Close) {
        const double mean = totalError / (3.0 * expected.width * expected.height);
        EXPECT_LT(mean, 4.0) << reader << ": mean error a channel";
    }
}

TEST_P(EncodeRoundTrip, ReadsBackAsWritten) {
    const RoundTrip& c = GetParam();
    Picture picture = MakePicture(c.format, 41, 31, c.content);
    ASSERT_TRUE(picture.IsValid());
    const Rgba expected = ExpectedRgba(picture);

    ScratchFolder folder;
    const fs::path file = folder / (std::string("picture") + c.extension);
    ASSERT_EQ(SaveImageToFile(picture, file, ClsidOf(c.mime)), Ok);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{file.filename().string()});

    Compare(c, expected, ReadWithImageMagick(file), "ImageMagick");

    Picture decoded = DecodeFile(file);
    if (decoded.IsValid())
        Compare(c, expected, ExpectedRgba(decoded), "DecodeFile", std::strcmp(c.mime, "image/tiff") == 0);
}

// Files are written from the picture's own rows: padding, packed indices,
// channel order and bottom-up storage all show in these.
const RoundTrip kRoundTrips[] = {
    {"image/bmp", ".bmp", PixelFormat24bppRGB, Content::Pattern, Expect::Exact},
    {"image/bmp", ".bmp", PixelFormat32bppRGB, Content::Pattern, Expect::Exact},
    {"image/bmp", ".bmp", PixelFormat32bppARGB, Content::Pattern, Expect::Exact},
    {"image/bmp", ".bmp", PixelFormat1bppIndexed, Content::Pattern, Expect::Exact},
    {"image/bmp", ".bmp", PixelFormat4bppIndexed, Content::Pattern, Expect::Exact},
    {"image/bmp", ".bmp", PixelFormat8bppIndexed, Content::Pattern, Expect::Exact},
    {"image/bmp", ".bmp", PixelFormat48bppRGB, Content::Pattern, Expect::Exact},
    {"image/bmp", ".bmp", PixelFormat64bppARGB, Content::Pattern, Expect::Exact},
    {"image/png", ".png", PixelFormat24bppRGB, Content::Pattern, Expect::Exact},
    {"image/png", ".png", PixelFormat32bppRGB, Content::Pattern, Expect::Exact},
    {"image/png", ".png", PixelFormat32bppARGB, Content::Pattern, Expect::Exact},
    {"image/png", ".png", PixelFormat1bppIndexed, Content::Pattern, Expect::Exact},
    {"image/png", ".png", PixelFormat4bppIndexed, Content::Pattern, Expect::Exact},
    {"image/png", ".png", PixelFormat8bppIndexed, Content::Pattern, Expect::Exact},
    {"image/png", ".png", PixelFormat16bppGrayScale, Content::Pattern, Expect::Exact},
    {"image/png", ".png", PixelFormat48bppRGB, Content::Pattern, Expect::Exact},
    {"image/png", ".png", PixelFormat64bppARGB, Content::Pattern, Expect::Exact},
    {"image/tiff", ".tif", PixelFormat24bppRGB, Content::Pattern, Expect::Exact},
    {"image/tiff", ".tif", PixelFormat32bppRGB, Content::Pattern, Expect::Exact},
    {"image/tiff", ".tif", PixelFormat32bppARGB, Content::Pattern, Expect::Exact},
    {"image/tiff", ".tif", PixelFormat1bppIndexed, Content::Pattern, Expect::Exact},
    {"image/tiff", ".tif", PixelFormat4bppIndexed, Content::Pattern, Expect::Exact},
    {"image/tiff", ".tif", PixelFormat8bppIndexed, Content::Pattern, Expect::Exact},
    {"image/tiff", ".tif", PixelFormat16bppGrayScale, Content::Pattern, Expect::Exact},
    {"image/tiff", ".tif", PixelFormat48bppRGB, Content::Pattern, Expect::Exact},
    {"image/tiff", ".tif", PixelFormat64bppARGB, Content::Pattern, Expect::Exact},
    {"image/gif", ".gif", PixelFormat24bppRGB, Content::FewColours, Expect::GifPalette},
    {"image/gif", ".gif", PixelFormat32bppARGB, Content::FewColours, Expect::GifPalette},
    {"image/gif", ".gif", PixelFormat1bppIndexed, Content::Pattern, Expect::GifPalette},
    {"image/gif", ".gif", PixelFormat4bppIndexed, Content::Pattern, Expect::GifPalette},
    {"image/gif", ".gif", PixelFormat8bppIndexed, Content::Pattern, Expect::GifPalette},
    {"image/gif", ".gif", PixelFormat16bppGrayScale, Content::Pattern, Expect::GifPalette},
    {"image/gif", ".gif", PixelFormat24bppRGB, Content::Smooth, Expect::Close},  // > 256 colours
    {"image/jpeg", ".jpg", PixelFormat24bppRGB, Content::Smooth, Expect::Close},
    {"image/jpeg", ".jpg", PixelFormat32bppARGB, Content::Smooth, Expect::Close},
    {"image/jpeg", ".jpg", PixelFormat8bppIndexed, Content::Smooth, Expect::Close},  // grey palette
    {"image/jpeg", ".jpg", PixelFormat16bppGrayScale, Content::Smooth, Expect::Close},
    {"image/jpeg", ".jpg", PixelFormat48bppRGB, Content::Smooth, Expect::Close},
};

INSTANTIATE_TEST_SUITE_P(AllFormats, EncodeRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const ::testing::TestParamInfo<RoundTrip>& info) { return Name(info.param); });

}  // namespace
}  // namespace encode_test
