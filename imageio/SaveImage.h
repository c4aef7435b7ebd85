// Writing a picture in the format named by the path's extension, with that
// encoder's defaults (no options). Every failure comes back as one message:
//   no extension          "拡張子がありません。\n" + path
//   extension not listed  "未対応の拡張子です。\n" + path
//   no encoder            "MimeTypeのエンコーダーを取得できませんでした。\n" + reason
//   the write failed      "ファイル保存できませんでした。\n" + status text + "\n" + path
// and nothing is shown here.
//
// An existing file is replaced only once the new one is completely written,
// so a failed save leaves it untouched and leaves no partial file behind.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imageio/ImageFileError.h"
#include "imaging/picture/Picture.h"

// The path's extension, from its last "." to the end, or empty when a "/",
// "\\" or " " follows that dot (then the dot belongs to a folder name or is
// no extension at all). A bare trailing "." is returned as ".".
std::string_view FindPathExtension(std::string_view path);

// The write-failed message above, for `status`; without the path line when
// `path` is empty (the bytes went to memory, or there is no file yet).
ImageFileError SaveFailedError(imaging::Status status, std::string_view path);

// The MIME type of the encoder for `extension` (with its dot), comparing
// without regard to the case of A to Z only; null when it is not listed.
const char* MimeTypeForExtension(std::string_view extension);

// `path` is used as given (UTF-8); extensions compare without regard to the
// case of A to Z only. Nothing on success.
std::optional<ImageFileError> TrySaveImageByExtension(const std::string& path, imaging::Picture& picture);

// The same, into memory: the file `extension` (with its dot) names, in `out`.
// The messages are the save's, with the extension for the path.
std::optional<ImageFileError> TryEncodeImageByExtension(std::string_view extension, imaging::Picture& picture,
                                                        std::vector<std::uint8_t>* out);
