// The file types a picture can be handed to a viewer in: their names as the
// settings and the options page show them, and the extension of each.
#pragma once

#include <array>
#include <string_view>

namespace viewer {

struct TmpFileType {
    std::string_view name;
    std::string_view extension;  // with its dot
};

// In the order of the options page's list.
inline constexpr std::array<TmpFileType, 5> kTmpFileTypes{{
    {"BMP", ".bmp"},
    {"JPEG", ".jpg"},
    {"PNG", ".png"},
    {"GIF", ".gif"},
    {"TIFF", ".tif"},
}};
inline constexpr std::string_view kDefaultTmpFileType = "PNG";

// The row whose name equals `name`, ignoring the case of A to Z; -1 for none.
int FindTmpFileType(std::string_view name);
// The extension for a stored type name; ".png" for a name that is none of them.
std::string_view TmpFileExtensionFor(std::string_view name);

}  // namespace viewer
