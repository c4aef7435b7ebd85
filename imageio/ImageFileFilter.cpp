#include "imageio/ImageFileFilter.h"

#include <algorithm>

#include "imageio/ImageFileTypes.h"

std::string JoinExtensionPatterns(PatternStyle style, std::size_t firstRow, std::size_t lastRow) {
    const std::string_view separator = style == PatternStyle::Display ? ", " : ";";
    std::string joined;
    const std::size_t end = std::min(lastRow + 1, kImageFileTypeCount);
    for (std::size_t row = firstRow; row < end; ++row) {
        if (!joined.empty()) joined += separator;
        joined += '*';
        joined += ImageFileTypes[row].extension;
    }
    return joined;
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

std::string BuildImageFileFilter() {
    std::string filter;
    for (const ImageFileGroup& group : ImageFileGroups)
        filter += FormatFilterEntry(group.name,
                                    JoinExtensionPatterns(PatternStyle::Display, group.firstRow, group.lastRow),
                                    JoinExtensionPatterns(PatternStyle::Matching, group.firstRow, group.lastRow));
    filter += kAllFilesFilter;
    filter += '|';
    return filter;
}
