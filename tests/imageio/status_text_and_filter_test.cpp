// The status texts and the dialogs' file filter, character for character.
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include "imageio/GraphicsStatusText.h"
#include "imageio/ImageFileFilter.h"
#include "imageio/SaveImage.h"

namespace {

TEST(GraphicsStatusText, EveryCode) {
    const struct {
        std::uint32_t code;
        const char* text;
    } cases[] = {
        {0, ""},
        {1, "その他のエラーです。"},
        {2, "不正なパラメータです。"},
        {3, "メモリ不足です。"},
        {4, "現在ビジー状態です。"},
        {5, "バッファ不足です。"},
        {6, "未サポートです。"},
        {7, "Win32エラーです。"},
        {8, "誤った状態です。"},
        {9, "中断されました。"},
        {10, "ファイルが見つかりませんでした。"},
        {11, "値がオーバーフローしました。"},
        {12, "アクセスが拒否されました。"},
        {13, "未知の画像フォーマットです。"},
        {14, "フォントファミリーが見つかりませんでした。"},
        {15, "フォントスタイルが見つかりませんでした。"},
        {16, "TrueTypeフォントではありません。"},
        {17, "未サポートのGDI+バージョンです。"},
        {18, "GDI+が初期化されていません。"},
        {19, "プロパティが見つかりませんでした。"},
        {20, "未サポートのプロパティです。"},
        {21, ""},
        {static_cast<std::uint32_t>(-1), ""},
        {0x80000000u, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(GraphicsStatusText(c.code), c.text) << c.code;
}

TEST(JoinExtensionPatterns, DisplayAndMatchingStyles) {
    const struct {
        PatternStyle style;
        std::size_t first, last;
        const char* joined;
    } cases[] = {
        {PatternStyle::Display, 1, 3, "*.jpg, *.jpeg, *.jpe"},
        {PatternStyle::Matching, 1, 3, "*.jpg;*.jpeg;*.jpe"},
        {PatternStyle::Display, 0, 0, "*.bmp"},
        {PatternStyle::Matching, 6, 7, "*.tif;*.tiff"},
        {PatternStyle::Matching, 0, 7, "*.bmp;*.jpg;*.jpeg;*.jpe;*.png;*.gif;*.tif;*.tiff"},
        {PatternStyle::Matching, 3, 2, ""},
        {PatternStyle::Matching, 7, 100, "*.tiff"},  // never past the table's end
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinExtensionPatterns(c.style, c.first, c.last), c.joined) << c.first << ".." << c.last;
}

// The save dialog offers exactly what an encoder writes.
TEST(BuildImageFileFilter, SaveDialogListsWrittenTypesOnly) {
    EXPECT_EQ(BuildImageFileFilter(FileDialogKind::Save),
              "対応画像ファイル (*.bmp, *.jpg, *.jpeg, *.jpe, *.png, *.gif, *.tif, *.tiff)|"
              "*.bmp;*.jpg;*.jpeg;*.jpe;*.png;*.gif;*.tif;*.tiff|"
              "BMPファイル (*.bmp)|*.bmp|"
              "JPEGファイル (*.jpg, *.jpeg, *.jpe)|*.jpg;*.jpeg;*.jpe|"
              "PNGファイル (*.png)|*.png|"
              "GIFファイル (*.gif)|*.gif|"
              "TIFFファイル (*.tif, *.tiff)|*.tif;*.tiff|"
              "全ファイル (*.*)|*.*||");
}

// The open dialog adds the types that are only read, to the all-pictures
// entry and as entries of their own after the written ones.
TEST(BuildImageFileFilter, OpenDialogAlsoListsReadOnlyTypes) {
    EXPECT_EQ(BuildImageFileFilter(FileDialogKind::Open),
              "対応画像ファイル (*.bmp, *.jpg, *.jpeg, *.jpe, *.png, *.gif, *.tif, *.tiff, "
              "*.webp, *.heic, *.heif, *.avif)|"
              "*.bmp;*.jpg;*.jpeg;*.jpe;*.png;*.gif;*.tif;*.tiff;*.webp;*.heic;*.heif;*.avif|"
              "BMPファイル (*.bmp)|*.bmp|"
              "JPEGファイル (*.jpg, *.jpeg, *.jpe)|*.jpg;*.jpeg;*.jpe|"
              "PNGファイル (*.png)|*.png|"
              "GIFファイル (*.gif)|*.gif|"
              "TIFFファイル (*.tif, *.tiff)|*.tif;*.tiff|"
              "WebPファイル (*.webp)|*.webp|"
              "HEIFファイル (*.heic, *.heif)|*.heic;*.heif|"
              "AVIFファイル (*.avif)|*.avif|"
              "全ファイル (*.*)|*.*||");
}

// Read-only types have no encoder: a sketch can never be saved as one.
TEST(ReadOnlyExtensions, NoneHasAnEncoder) {
    for (const char* extension : ReadOnlyExtensions) EXPECT_EQ(MimeTypeForExtension(extension), nullptr) << extension;
}

TEST(FormatFilterEntry, ArgumentsAreTakenLiterally) {
    EXPECT_EQ(FormatFilterEntry("実行%s", "*.%s", "*"), "実行%sファイル (*.%s)|*|");
}

}  // namespace
