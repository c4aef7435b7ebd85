// Saving by extension: which encoder a name picks, and the one message each
// refusal shows.
#include <gtest/gtest.h>

#include <filesystem>

#include "../imaging/encode_fixtures.h"
#include "imageio/FindEncoder.h"
#include "imageio/ImageFileTypes.h"
#include "imageio/SaveImage.h"

namespace {

using namespace encode_test;
namespace fs = std::filesystem;

const std::string kNoExtension = "拡張子がありません。\n";
const std::string kUnsupported = "未対応の拡張子です。\n";
const std::string kSaveFailed = "ファイル保存できませんでした。\n";

struct SaveCase {
    const char* name;     // relative to the scratch folder
    const char* magic;    // start of the written file; null when refused
    const char* message;  // first line of the message when refused
    const char* detail;   // what follows it before the path ("" for none)
};

const SaveCase kCases[] = {
    {"photo.bmp", "BM", nullptr, nullptr},
    {"photo.jpg", "\xFF\xD8\xFF", nullptr, nullptr},
    {"photo.jpeg", "\xFF\xD8\xFF", nullptr, nullptr},
    {"photo.JPE", "\xFF\xD8\xFF", nullptr, nullptr},
    {"photo.PNG", "\x89PNG", nullptr, nullptr},
    {"photo.Gif", "GIF89a", nullptr, nullptr},
    {"photo.tif", "II*", nullptr, nullptr},
    {"photo.TIFF", "II*", nullptr, nullptr},
    {"pics.png/photo", nullptr, "拡張子がありません。\n", ""},  // the dot is in a folder name
    {"pics.old\\photo", nullptr, "拡張子がありません。\n", ""},  // backslash counts as a separator
    {"photo", nullptr, "拡張子がありません。\n", ""},
    {"photo.p ng", nullptr, "拡張子がありません。\n", ""},
    {"photo.", nullptr, "未対応の拡張子です。\n", ""},
    {"photo.webp", nullptr, "未対応の拡張子です。\n", ""},
    {"photo.png.txt", nullptr, "未対応の拡張子です。\n", ""},
    {"photo.\xEF\xBC\xB0NG", nullptr, "未対応の拡張子です。\n", ""},  // fullwidth P is no A-Z letter
    {"missing/photo.png", nullptr, "ファイル保存できませんでした。\n", "Win32エラーです。\n"},
};

class SaveByExtension : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveByExtension, PicksTheEncoderOrShowsOneMessage) {
    const SaveCase& c = GetParam();
    ScratchFolder folder;
    fs::create_directory(folder / "pics.png");
    const std::string path = (folder / c.name).string();
    imaging::Picture picture = MakePicture(imaging::PixelFormat24bppRGB);

    const std::optional<ImageFileError> failure = TrySaveImageByExtension(path, picture);

    if (c.magic != nullptr) {
        EXPECT_FALSE(failure) << failure->message;
        const std::vector<std::uint8_t> bytes = ReadBytes(path);
        const std::string magic(c.magic);
        ASSERT_GE(bytes.size(), magic.size());
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(magic.size())), magic);
    } else {
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->message, std::string(c.message) + c.detail + path);
        EXPECT_FALSE(fs::exists(path));
    }
    // Only the saved file (and the prepared folder) are left.
    const std::size_t expected = 1 + (c.magic != nullptr && std::string(c.name).find('/') == std::string::npos);
    EXPECT_EQ(folder.Names().size(), expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, SaveByExtension, ::testing::ValuesIn(kCases));

TEST(SaveByExtension, AFailedSaveKeepsTheExistingFile) {
    ScratchFolder folder;
    const std::string path = (folder / "sketch.png").string();
    WriteBytes(path, {'o', 'l', 'd'});
    imaging::Picture invalid;

    const std::optional<ImageFileError> failure = TrySaveImageByExtension(path, invalid);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, kSaveFailed + "不正なパラメータです。\n" + path);
    EXPECT_EQ(failure->status, imaging::InvalidParameter);
    EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"sketch.png"});
}

TEST(SaveByExtension, ReplacesAnExistingFile) {
    ScratchFolder folder;
    const std::string path = (folder / "sketch.gif").string();
    WriteBytes(path, {'o', 'l', 'd'});
    imaging::Picture picture = MakePicture(imaging::PixelFormat8bppIndexed);
    EXPECT_FALSE(TrySaveImageByExtension(path, picture));
    EXPECT_EQ(ReadWithImageMagick(path).width, picture.Width());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"sketch.gif"});
}

TEST(FindPathExtension, TheLastDotUnlessASeparatorOrSpaceFollows) {
    const struct {
        const char* path;
        const char* extension;
    } cases[] = {
        {"a/b/photo.png", ".png"}, {"photo.tar.gz", ".gz"}, {"photo.", "."},     {"photo", ""},
        {"a.b/photo", ""},         {"a.b\\photo", ""},      {"photo.p ng", ""},  {".png", ".png"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FindPathExtension(c.path), c.extension) << c.path;
}

TEST(FindEncoderByMimeType, EveryTableTypeHasAnEncoder) {
    for (const ImageFileType& type : ImageFileTypes) {
        imaging::Clsid clsid;
        std::string error = "untouched";
        EXPECT_GE(FindEncoderByMimeType(type.mimeType, &clsid, &error), 0) << type.mimeType;
        EXPECT_EQ(clsid, ClsidOf(type.mimeType));
        EXPECT_EQ(error, "untouched");
    }
}

TEST(FindEncoderByMimeType, ComparesExactly) {
    for (const char* mime : {"image/PNG", "image/png ", "image/webp", ""}) {
        imaging::Clsid clsid;
        std::string error;
        EXPECT_EQ(FindEncoderByMimeType(mime, &clsid, &error), -1) << mime;
        EXPECT_EQ(error, "エンコーダーが見つかりませんでした。");
    }
}

TEST(ImageFileTypes, EightRowsInDialogOrder) {
    const char* const expected[8][2] = {
        {".bmp", "image/bmp"},  {".jpg", "image/jpeg"}, {".jpeg", "image/jpeg"}, {".jpe", "image/jpeg"},
        {".png", "image/png"},  {".gif", "image/gif"},  {".tif", "image/tiff"},  {".tiff", "image/tiff"},
    };
    ASSERT_EQ(ImageFileTypes.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_STREQ(ImageFileTypes[i].extension, expected[i][0]);
        EXPECT_STREQ(ImageFileTypes[i].mimeType, expected[i][1]);
    }
}

}  // namespace
