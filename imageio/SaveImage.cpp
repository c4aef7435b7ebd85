#include "imageio/SaveImage.h"

#include <filesystem>

#include "imageio/FindEncoder.h"
#include "imageio/GraphicsStatusText.h"
#include "imageio/ImageFileTypes.h"

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// The encoder for `extension`; `name` (the path, or the extension) goes in the messages.
std::optional<ImageFileError> FindEncoderForExtension(std::string_view extension, const std::string& name,
                                                      imaging::Clsid* clsid) {
    if (extension.empty()) {
        return ImageFileError{"拡張子がありません。\n" + name, imaging::InvalidParameter};
    }
    const char* mimeType = MimeTypeForExtension(extension);
    if (mimeType == nullptr) {
        return ImageFileError{"未対応の拡張子です。\n" + name, imaging::InvalidParameter};
    }
    std::string reason;
    if (FindEncoderByMimeType(mimeType, clsid, &reason) < 0) {
        return ImageFileError{"MimeTypeのエンコーダーを取得できませんでした。\n" + reason, imaging::UnknownImageFormat};
    }
    return std::nullopt;
}

}  // namespace

const char* MimeTypeForExtension(std::string_view extension) {
    for (const ImageFileType& type : ImageFileTypes)
        if (EqualIgnoringAsciiCase(extension, type.extension)) return type.mimeType;
    return nullptr;
}

std::string_view FindPathExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    const std::string_view extension = path.substr(dot);
    if (extension.find_first_of("/\\ ") != std::string_view::npos) return {};
    return extension;
}

ImageFileError SaveFailedError(imaging::Status status, std::string_view path) {
    std::string message = "ファイル保存できませんでした。\n" + GraphicsStatusText(status);
    if (!path.empty()) message.append("\n").append(path);
    return {std::move(message), status};
}

std::optional<ImageFileError> TrySaveImageByExtension(const std::string& path, imaging::Picture& picture) {
    imaging::Clsid clsid;
    if (auto failure = FindEncoderForExtension(FindPathExtension(path), path, &clsid)) return failure;
    const imaging::Status status = imaging::SaveImageToFile(picture, std::filesystem::path(path), clsid);
    if (status != imaging::Ok) return SaveFailedError(status, path);
    return std::nullopt;
}

std::optional<ImageFileError> TryEncodeImageByExtension(std::string_view extension, imaging::Picture& picture,
                                                        std::vector<std::uint8_t>* out) {
    imaging::Clsid clsid;
    if (auto failure = FindEncoderForExtension(extension, std::string(extension), &clsid)) return failure;
    const imaging::Status status = imaging::SaveImageToMemory(picture, clsid, out);
    if (status != imaging::Ok) return SaveFailedError(status, {});
    return std::nullopt;
}
