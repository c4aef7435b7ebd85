#include "viewer/TmpFileTypes.h"

namespace viewer {

namespace {
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}
}  // namespace

int FindTmpFileType(std::string_view name) {
    for (std::size_t i = 0; i < kTmpFileTypes.size(); ++i)
        if (EqualIgnoringAsciiCase(kTmpFileTypes[i].name, name)) return static_cast<int>(i);
    return -1;
}

std::string_view TmpFileExtensionFor(std::string_view name) {
    const int row = FindTmpFileType(name);
    return kTmpFileTypes[row >= 0 ? static_cast<std::size_t>(row) : 2].extension;
}

}  // namespace viewer
