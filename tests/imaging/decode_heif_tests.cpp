// HEIC and AVIF: recognised by their ftyp brands, decoded upright by their
// irot/imir boxes (never turned again by EXIF), bounded by the limit before
// any pixel is allocated, and cut or damaged files refused cleanly.
// Fixtures: tests/data/decode/make_heif_fixtures.cpp.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "decode_test_util.h"
#include "imaging/codecs/Decode.h"

using namespace decode_test;
using namespace imaging;
using namespace std::string_literals;

namespace {

// Lossy 4:2:0 at quality 90: colours at the quadrant centres come close.
constexpr int kTolerance = 40;

using Quads = std::array<std::uint32_t, 4>;  // TL, TR, BL, BR
constexpr Quads kColour{kRed, kLime, kBlue, kWhite};
constexpr Quads kAlpha{0x00FF0000, 0x8000FF00, kBlue, kWhite};

void ExpectQuads(Picture& p, const Quads& want) {
    const int w = static_cast<int>(p.Width()), h = static_cast<int>(p.Height());
    const Quads got{ArgbAt(p, w / 4, h / 4), ArgbAt(p, 3 * w / 4, h / 4), ArgbAt(p, w / 4, 3 * h / 4),
                    ArgbAt(p, 3 * w / 4, 3 * h / 4)};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Near(got[i], want[i], kTolerance))
            << "quadrant " << i << ": got " << std::hex << got[i] << ", want " << want[i];
}

// Offset of a box by its four-letter type; npos if none.
std::size_t FindBox(const Bytes& b, const char* type) {
    return Find(b, {static_cast<std::uint8_t>(type[0]), static_cast<std::uint8_t>(type[1]),
                    static_cast<std::uint8_t>(type[2]), static_cast<std::uint8_t>(type[3])});
}

TEST(DecodeHeif, SizeFormatAndColours) {
    const struct {
        const char* file;
        PixelFormat format;
        Quads colours;
    } cases[] = {
        {"heic_quad.heic", PixelFormat24bppRGB, kColour},
        {"heic_10bit.heic", PixelFormat24bppRGB, kColour},  // 10-bit samples come down to 8
        {"avif_quad.avif", PixelFormat24bppRGB, kColour},
        {"avif_alpha.avif", PixelFormat32bppARGB, kAlpha},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Picture p = DecodeFile(FixturePath(c.file));
        ASSERT_TRUE(p.IsValid()) << "status " << p.LastStatus();
        EXPECT_EQ(p.Width(), 16u);
        EXPECT_EQ(p.Height(), 16u);
        EXPECT_EQ(p.Format(), c.format) << std::hex << p.Format();
        ExpectQuads(p, c.colours);
    }
}

// Stored 32 x 16 and turned by irot (and imir) to an upright 16 x 32 whose
// red quadrant is top left. The HEIC one also says orientation 6 in its
// EXIF, as phones write it: applied again, the picture would lie on its side.
TEST(DecodeHeif, OrientationBoxesMakeItUprightAndExifIsNotAppliedAgain) {
    const Bytes withExif = ReadFixture("heic_orient6.heic");
    ASSERT_NE(Find(withExif, {0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0}), std::string::npos) << "EXIF orientation 6";
    for (const char* file : {"heic_orient6.heic", "avif_orient7.avif"}) {
        SCOPED_TRACE(file);
        const Bytes b = ReadFixture(file);
        ASSERT_NE(FindBox(b, "irot"), std::string::npos);
        Picture p = Decode(b);
        ASSERT_TRUE(p.IsValid()) << "status " << p.LastStatus();
        EXPECT_EQ(p.Width(), 16u);
        EXPECT_EQ(p.Height(), 32u);
        ExpectQuads(p, kColour);
    }
}

// The brands decide, not the name: mif1 alone may carry HEVC or AV1, and a
// sequence brand with a still image behind it is tried too. ftyp boxes
// naming no HEIF brand, or too short to be one, are no picture of ours.
TEST(DecodeHeif, RecognisedByFtypBrands) {
    const struct {
        const char* what;
        const char* file;
        std::size_t at;
        std::string bytes;
        Status expected;
    } cases[] = {
        {"HEVC under mif1 only", "heic_quad.heic", 8, "mif1\0\0\0\0mif1miafmiaf"s, Ok},
        {"AV1 under mif1 only", "avif_quad.avif", 8, "mif1\0\0\0\0mif1miafmiaf"s, Ok},
        {"major brand msf1, compatible heic", "heic_quad.heic", 8, "msf1", Ok},
        {"major brand unknown, compatible avif", "avif_quad.avif", 8, "isom", Ok},
        {"no HEIF brand at all", "avif_quad.avif", 8, "isom\0\0\0\0isomiso2mp41"s, UnknownImageFormat},
        {"ftyp box of 12 bytes", "heic_quad.heic", 0, "\0\0\0\x0c"s, UnknownImageFormat},
        {"no ftyp box", "heic_quad.heic", 4, "free", UnknownImageFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes b = ReadFixture(c.file);
        ASSERT_EQ(std::string(b.begin() + 4, b.begin() + 8), "ftyp");
        ASSERT_EQ(b[3], 28) << "ftyp: major, minor and three compatible brands";
        std::copy(c.bytes.begin(), c.bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(c.at));
        Picture p = Decode(b);
        EXPECT_EQ(p.IsValid() ? Ok : p.LastStatus(), c.expected);
    }
}

// Sets the size of every ispe box (the coded size of each image item).
void PatchIspe(Bytes& b, std::uint32_t width, std::uint32_t height) {
    for (std::size_t at = FindBox(b, "ispe"); at != std::string::npos; at = Find(b, {'i', 's', 'p', 'e'}, at + 4)) {
        PutBe32(b, at + 8, width);
        PutBe32(b, at + 12, height);
    }
}

constexpr const char* kFixtures[] = {"heic_quad.heic", "heic_10bit.heic", "heic_orient6.heic",
                                     "avif_quad.avif", "avif_alpha.avif", "avif_orient7.avif"};

// Each fixture is refused by a limit one pixel short of it, and opens at its
// size, read from a file or from memory.
TEST(DecodeHeifLimits, EveryFixtureHonoursTheLimit) {
    for (const char* file : kFixtures) {
        SCOPED_TRACE(file);
        const Bytes b = ReadFixture(file);
        const std::uint64_t pixels = std::string(file).find("orient") != std::string::npos ? 512 : 256;
        EXPECT_EQ(DecodeMemory(b.data(), b.size(), {pixels - 1}).LastStatus(), OutOfMemory);
        EXPECT_EQ(DecodeFile(FixturePath(file), {pixels - 1}).LastStatus(), OutOfMemory);
        EXPECT_TRUE(DecodeMemory(b.data(), b.size(), {pixels}).IsValid());
    }
}

// A few hundred bytes whose boxes declare a gigantic picture: refused as too
// large by the declared size alone, before libheif decodes (which would
// fail otherwise), whether its own side limit or the pixel count catches it.
TEST(DecodeHeifLimits, HugeDeclaredSizeIsOutOfMemory) {
    const struct {
        const char* what;
        std::uint32_t width, height;
        std::uint64_t maxPixels;
    } cases[] = {
        {"60000 x 60000 under the default limit", 60000, 60000, kMaxPicturePixels},
        {"20000 x 20000 under the default limit", 20000, 20000, kMaxPicturePixels},
        {"a side longer than the limit has pixels", 2000000, 1, 1u << 20},
        {"4096 x 4096 under a 1-Mpixel limit", 4096, 4096, 1u << 20},
    };
    for (const char* file : {"heic_quad.heic", "avif_alpha.avif"})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(file) + ": " + c.what);
            Bytes b = ReadFixture(file);
            PatchIspe(b, c.width, c.height);
            EXPECT_EQ(DecodeMemory(b.data(), b.size(), {c.maxPixels}).LastStatus(), OutOfMemory);
        }
}

// Every cut of an HEVC and an AV1 file with alpha: a refusal as no picture,
// or (should the cut spare every needed byte) the whole picture.
TEST(DecodeHeifDamaged, EveryCutIsRefusedOrWhole) {
    for (const char* file : {"heic_quad.heic", "avif_alpha.avif"}) {
        SCOPED_TRACE(file);
        const Bytes whole = ReadFixture(file);
        for (std::size_t len = 0; len < whole.size(); ++len) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(len));
            Picture p = Decode(cut);
            if (p.IsValid()) {
                ASSERT_EQ(p.Width(), 16u) << "cut at " << len;
                ASSERT_EQ(p.Height(), 16u) << "cut at " << len;
            } else {
                ASSERT_EQ(p.LastStatus(), UnknownImageFormat) << "cut at " << len;
            }
        }
    }
}

// Boxes that make no sense, or coded data that is no picture: no picture.
TEST(DecodeHeifDamaged, BrokenBoxesAreUnknownFormat) {
    const struct {
        const char* what;
        const char* file;
        const char* box;  // the edit starts at this box's type
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"meta renamed", "heic_quad.heic", "meta", 0, {'X', 'X', 'X', 'X'}},
        {"item locations renamed", "avif_quad.avif", "iloc", 0, {'X', 'X', 'X', 'X'}},
        {"primary item missing", "heic_quad.heic", "pitm", 8, {0x7F, 0x7F}},
        {"meta box larger than the file", "avif_quad.avif", "meta", std::size_t(-4), {0x7F, 0xFF, 0xFF, 0xFF}},
        {"HEVC data rubbish", "heic_quad.heic", "mdat", 4, std::vector<std::uint8_t>(64, 0xFF)},
        {"AV1 data rubbish", "avif_quad.avif", "mdat", 4, std::vector<std::uint8_t>(16, 0xFF)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes b = ReadFixture(c.file);
        const std::size_t at = FindBox(b, c.box);
        ASSERT_NE(at, std::string::npos);
        ASSERT_LE(at + c.offset + c.bytes.size(), b.size());
        std::copy(c.bytes.begin(), c.bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at + c.offset));
        EXPECT_EQ(Decode(b).LastStatus(), UnknownImageFormat);
    }
}

// Any one byte flipped: a picture within the limits or a clean refusal.
TEST(DecodeHeifDamaged, FlippedBytesNeverBreakTheDecoder) {
    for (const char* file : {"heic_orient6.heic", "avif_alpha.avif"}) {
        SCOPED_TRACE(file);
        const Bytes whole = ReadFixture(file);
        for (std::size_t i = 0; i < whole.size(); ++i) {
            Bytes b = whole;
            b[i] ^= 0xA5;
            Picture p = Decode(b);
            if (p.IsValid()) {
                ASSERT_LE(std::uint64_t{p.Width()} * p.Height(), kMaxPicturePixels);
            } else {
                ASSERT_TRUE(p.LastStatus() == UnknownImageFormat || p.LastStatus() == OutOfMemory)
                    << "byte " << i << " status " << p.LastStatus();
            }
        }
    }
}

}  // namespace
