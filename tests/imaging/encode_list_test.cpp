// The encoder list as callers walk it, the format details each encoder
// promises, and the failures every encoder reports instead of crashing.
#include <set>

#include "encode_fixtures.h"

namespace encode_test {
namespace {

using namespace imaging;

const char* const kMimeTypes[] = {"image/bmp", "image/jpeg", "image/png", "image/gif", "image/tiff"};

TEST(EncoderList, RecordsAndTheirStringsShareOneBuffer) {
    std::uint32_t count = 0, size = 0;
    ASSERT_EQ(GetImageEncodersSize(&count, &size), Ok);
    ASSERT_EQ(count, 5u);
    ASSERT_GT(size, count * sizeof(ImageCodecInfo));

    std::vector<std::uint64_t> storage((size + 7) / 8);
    auto* records = reinterpret_cast<ImageCodecInfo*>(storage.data());
    ASSERT_EQ(GetImageEncoders(count, size, records), Ok);

    const char* stringsBegin = reinterpret_cast<const char*>(records + count);
    const char* bufferEnd = reinterpret_cast<const char*>(records) + size;
    std::set<std::string> ids;
    for (std::uint32_t i = 0; i < count; ++i) {
        const ImageCodecInfo& r = records[i];
        EXPECT_STREQ(r.mimeType, kMimeTypes[i]);
        for (const char* s : {r.codecName, r.formatDescription, r.filenameExtension, r.mimeType}) {
            EXPECT_GE(s, stringsBegin);
            EXPECT_LT(s + std::strlen(s), bufferEnd);  // its terminator inside the buffer
        }
        ids.insert(std::string(reinterpret_cast<const char*>(r.clsid.bytes), 16));
        EXPECT_NE(r.clsid, Clsid{});
    }
    EXPECT_EQ(ids.size(), count);
    EXPECT_STREQ(records[1].filenameExtension, "*.JPG;*.JPEG;*.JPE;*.JFIF");
}

TEST(EncoderList, RefusesAMismatchedRequest) {
    std::uint32_t count = 0, size = 0;
    ASSERT_EQ(GetImageEncodersSize(&count, &size), Ok);
    std::vector<std::uint64_t> storage(size);  // large enough for any of the calls below
    auto* records = reinterpret_cast<ImageCodecInfo*>(storage.data());
    EXPECT_EQ(GetImageEncoders(count, size - 1, records), InvalidParameter);
    EXPECT_EQ(GetImageEncoders(count, size + 1, records), InvalidParameter);
    EXPECT_EQ(GetImageEncoders(count - 1, size, records), InvalidParameter);
    EXPECT_EQ(GetImageEncoders(count, size, nullptr), InvalidParameter);
    EXPECT_EQ(GetImageEncodersSize(nullptr, &size), InvalidParameter);
}

// What each format is written as, read from the file itself.
struct FileShape {
    const char* mime;
    PixelFormat format;
    const char* probe;     // ImageMagick -format text, or "" for header bytes
    const char* expected;  // its answer, or the header bytes' meaning below
};

std::string HeaderFacts(const std::vector<std::uint8_t>& f, const char* mime) {
    if (std::strcmp(mime, "image/bmp") == 0 && f.size() > 30)
        return "bits " + std::to_string(f[28]) + " header " + std::to_string(f[14]);
    if (std::strcmp(mime, "image/png") == 0 && f.size() > 26)
        return "depth " + std::to_string(f[24]) + " type " + std::to_string(f[25]);
    if (std::strcmp(mime, "image/gif") == 0 && f.size() > 6) return std::string(f.begin(), f.begin() + 6);
    return "?";
}

class EncodedFileShape : public ::testing::TestWithParam<FileShape> {};

TEST_P(EncodedFileShape, MatchesTheFormatsPromise) {
    const FileShape& c = GetParam();
    Picture picture = MakePicture(c.format);
    ScratchFolder folder;
    const fs::path file = folder / "picture";
    ASSERT_EQ(SaveImageToFile(picture, file, ClsidOf(c.mime)), Ok);
    if (c.probe[0] != '\0')
        EXPECT_EQ(Identify(file, c.probe), c.expected);
    else
        EXPECT_EQ(HeaderFacts(ReadBytes(file), c.mime), c.expected);
}

const FileShape kShapes[] = {
    {"image/bmp", PixelFormat24bppRGB, "", "bits 24 header 40"},
    {"image/bmp", PixelFormat32bppRGB, "", "bits 24 header 40"},
    {"image/bmp", PixelFormat32bppARGB, "", "bits 32 header 108"},
    {"image/bmp", PixelFormat4bppIndexed, "", "bits 8 header 40"},
    {"image/png", PixelFormat8bppIndexed, "", "depth 8 type 3"},
    {"image/png", PixelFormat1bppIndexed, "", "depth 1 type 3"},
    {"image/png", PixelFormat24bppRGB, "", "depth 8 type 2"},
    {"image/png", PixelFormat32bppARGB, "", "depth 8 type 6"},
    {"image/png", PixelFormat16bppGrayScale, "", "depth 16 type 0"},
    {"image/png", PixelFormat64bppARGB, "", "depth 16 type 6"},
    {"image/gif", PixelFormat32bppARGB, "", "GIF89a"},
    {"image/jpeg", PixelFormat24bppRGB, "%Q %[jpeg:sampling-factor]", "75 2x2,1x1,1x1"},
    {"image/jpeg", PixelFormat16bppGrayScale, "%Q %[colorspace]", "75 Gray"},
    {"image/tiff", PixelFormat24bppRGB, "%C", "LZW"},
    {"image/tiff", PixelFormat8bppIndexed, "%C %[tiff:photometric]", "LZW palette"},
    {"image/tiff", PixelFormat32bppARGB, "%C %[tiff:alpha]", "LZW unassociated"},
};

INSTANTIATE_TEST_SUITE_P(Formats, EncodedFileShape, ::testing::ValuesIn(kShapes));

TEST(EncoderFailures, InvalidPictureAndUnknownClassId) {
    Picture invalid;
    std::vector<std::uint8_t> out;
    for (const char* mime : kMimeTypes) {
        SCOPED_TRACE(mime);
        EXPECT_EQ(SaveImageToMemory(invalid, ClsidOf(mime), &out), InvalidParameter);
    }
    Picture picture = MakePicture(PixelFormat24bppRGB);
    EXPECT_EQ(SaveImageToMemory(picture, Clsid{}, &out), UnknownImageFormat);
    EXPECT_EQ(SaveImageToMemory(picture, ClsidOf("image/png"), nullptr), InvalidParameter);
}

TEST(EncoderFailures, APictureLockedByItsOwnerIsReportedNotTouched) {
    Picture picture = MakePicture(PixelFormat24bppRGB);
    BitmapData data;
    ASSERT_EQ(picture.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
    std::vector<std::uint8_t> out;
    for (const char* mime : kMimeTypes) {
        SCOPED_TRACE(mime);
        EXPECT_EQ(SaveImageToMemory(picture, ClsidOf(mime), &out), WrongState);
    }
    EXPECT_EQ(picture.UnlockBits(&data), Ok);  // still our lock, still valid
}

TEST(EncoderFailures, SizesTheFormatCannotHold) {
    Picture wide(70000, 1, PixelFormat24bppRGB);
    ASSERT_TRUE(wide.IsValid());
    std::vector<std::uint8_t> out;
    EXPECT_EQ(SaveImageToMemory(wide, ClsidOf("image/gif"), &out), InvalidParameter);
    EXPECT_EQ(SaveImageToMemory(wide, ClsidOf("image/jpeg"), &out), InvalidParameter);
    EXPECT_EQ(SaveImageToMemory(wide, ClsidOf("image/png"), &out), Ok);
}

TEST(EncoderFailures, MemoryAndFileGiveTheSameBytes) {
    Picture picture = MakePicture(PixelFormat32bppARGB);
    ScratchFolder folder;
    for (const char* mime : kMimeTypes) {
        SCOPED_TRACE(mime);
        std::vector<std::uint8_t> memory;
        ASSERT_EQ(SaveImageToMemory(picture, ClsidOf(mime), &memory), Ok);
        ASSERT_EQ(SaveImageToFile(picture, folder / "same", ClsidOf(mime)), Ok);
        EXPECT_EQ(ReadBytes(folder / "same"), memory);
    }
}

}  // namespace
}  // namespace encode_test
