#include "imageio/GraphicsStatusText.h"

#include <array>

namespace {

constexpr std::array<const char*, 20> kTexts = {
    "その他のエラーです。",                    // 1 GenericError
    "不正なパラメータです。",                  // 2 InvalidParameter
    "メモリ不足です。",                        // 3 OutOfMemory
    "現在ビジー状態です。",                    // 4 ObjectBusy
    "バッファ不足です。",                      // 5 InsufficientBuffer
    "未サポートです。",                        // 6 NotImplemented
    "Win32エラーです。",                       // 7 Win32Error
    "誤った状態です。",                        // 8 WrongState
    "中断されました。",                        // 9 Aborted
    "ファイルが見つかりませんでした。",        // 10 FileNotFound
    "値がオーバーフローしました。",            // 11 ValueOverflow
    "アクセスが拒否されました。",              // 12 AccessDenied
    "未知の画像フォーマットです。",            // 13 UnknownImageFormat
    "フォントファミリーが見つかりませんでした。",  // 14 FontFamilyNotFound
    "フォントスタイルが見つかりませんでした。",    // 15 FontStyleNotFound
    "TrueTypeフォントではありません。",        // 16 NotTrueTypeFont
    "未サポートのGDI+バージョンです。",        // 17 UnsupportedGdiplusVersion
    "GDI+が初期化されていません。",            // 18 GdiplusNotInitialized
    "プロパティが見つかりませんでした。",      // 19 PropertyNotFound
    "未サポートのプロパティです。",            // 20 PropertyNotSupported
};

}  // namespace

std::string GraphicsStatusText(std::uint32_t status) {
    const std::uint32_t row = status - 1;  // 0 wraps past the end
    return row < kTexts.size() ? kTexts[row] : std::string();
}
