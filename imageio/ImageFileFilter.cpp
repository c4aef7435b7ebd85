#include "imageio/ImageFileFilter.h"

#include <algorithm>
#include <span>
#include <vector>

#include "imageio/ImageFileTypes.h"

namespace {

std::string JoinPatterns(PatternStyle style, std::span<const char* const> extensions) {
    const std::string_view separator = style == PatternStyle::Display ? ", " : ";";
    std::string joined;
    for (const char* extension : extensions) {
        if (!joined.empty()) joined += separator;
        joined += '*';
        joined += extension;
    }
    return joined;
}

std::vector<const char*> WrittenExtensions(std::size_t firstRow, std::size_t lastRow) {
    std::vector<const char*> extensions;
    const std::size_t end = std::min(lastRow + 1, kImageFileTypeCount);
    for (std::size_t row = firstRow; row < end; ++row) extensions.push_back(ImageFileTypes[row].extension);
    return extensions;
}

std::string GroupEntry(const char* name, std::span<const char* const> extensions) {
    return FormatFilterEntry(name, JoinPatterns(PatternStyle::Display, extensions),
                             JoinPatterns(PatternStyle::Matching, extensions));
}

}  // namespace

std::string JoinExtensionPatterns(PatternStyle style, std::size_t firstRow, std::size_t lastRow) {
    return JoinPatterns(style, WrittenExtensions(firstRow, lastRow));
}

std::string FormatFilterEntry(std::string_view name, std::string_view displayPatterns,
                              std::string_view matchingPatterns) {
    // Substitutes the format's three "%s" in order, without printf: the
    // arguments may hold "%" themselves.
    const std::string_view arguments[] = {name, displayPatterns, matchingPatterns};
    std::string entry;
    std::size_t next = 0, from = 0;
    for (std::size_t at = kFilterEntryFormat.find("%s"); at != std::string_view::npos && next < 3;
         at = kFilterEntryFormat.find("%s", from)) {
        entry += kFilterEntryFormat.substr(from, at - from);
        entry += arguments[next++];
        from = at + 2;
    }
    entry += kFilterEntryFormat.substr(from);
    return entry;
}

std::string BuildImageFileFilter(FileDialogKind dialog) {
    const bool open = dialog == FileDialogKind::Open;
    std::string filter;
    for (const ImageFileGroup& group : ImageFileGroups) {
        std::vector<const char*> extensions = WrittenExtensions(group.firstRow, group.lastRow);
        // The all-pictures entry of the open dialog takes in what is only read.
        if (open && &group == &ImageFileGroups.front())
            extensions.insert(extensions.end(), ReadOnlyExtensions.begin(), ReadOnlyExtensions.end());
        filter += GroupEntry(group.name, extensions);
    }
    if (open)
        for (const ImageFileGroup& group : ReadOnlyFileGroups)
            filter += GroupEntry(group.name, std::span(ReadOnlyExtensions).subspan(
                                                 group.firstRow, group.lastRow - group.firstRow + 1));
    filter += kAllFilesFilter;
    filter += '|';
    return filter;
}
