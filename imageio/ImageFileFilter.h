// The file-type filters of the open and save dialogs, built from
// ImageFileTypes: one entry for every supported picture, one for each
// format, one for all files. Entries are "description|patterns|"; one more
// "|" ends the filter. The open dialog also offers the formats that are read
// but never written (ReadOnlyExtensions); the save dialog offers only what
// an encoder writes.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// String table 5000: type name, patterns for display, patterns for matching.
inline constexpr int kFilterEntryFormatId = 5000;
inline constexpr std::string_view kFilterEntryFormat = "%sファイル (%s)|%s|";
// String table 5001: the all-files entry.
inline constexpr int kAllFilesFilterId = 5001;
inline constexpr std::string_view kAllFilesFilter = "全ファイル (*.*)|*.*|";

// Rows first..last (inclusive) of ImageFileTypes form a group of the filter.
struct ImageFileGroup {
    const char* name;  // the format names are also the temporary-file type names
    std::size_t firstRow, lastRow;
};

inline constexpr std::array<ImageFileGroup, 6> ImageFileGroups = {{
    {"対応画像", 0, 7},
    {"BMP", 0, 0},
    {"JPEG", 1, 3},
    {"PNG", 4, 4},
    {"GIF", 5, 5},
    {"TIFF", 6, 7},
}};

// Extensions of the formats the decoders read and no encoder writes, with
// their groups (rows of this table). Their entries follow the written
// formats', so those keep their places in the open dialog too.
inline constexpr std::array<const char*, 4> ReadOnlyExtensions = {".webp", ".heic", ".heif", ".avif"};
inline constexpr std::array<ImageFileGroup, 3> ReadOnlyFileGroups = {{
    {"WebP", 0, 0},
    {"HEIF", 1, 2},
    {"AVIF", 3, 3},
}};

enum class PatternStyle { Display, Matching };
enum class FileDialogKind { Open, Save };

// "*" + extension of each row, joined by ", " (Display) or ";" (Matching).
// Rows past the table's end are ignored; first > last gives "".
std::string JoinExtensionPatterns(PatternStyle style, std::size_t firstRow, std::size_t lastRow);

// One entry by format 5000 (also used for the program-file filter).
std::string FormatFilterEntry(std::string_view name, std::string_view displayPatterns,
                              std::string_view matchingPatterns);

// The whole filter of that dialog; built anew on every call.
std::string BuildImageFileFilter(FileDialogKind dialog);
