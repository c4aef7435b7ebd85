#include "viewer/ViewerCommand.h"

#include <glib.h>

namespace viewer {

std::string ReplacePathMarker(const std::string& text, const std::string& path) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("%1", from)) != std::string::npos; from = at + 2) {
        out.append(text, from, at - from);
        out += path;
    }
    out.append(text, from, std::string::npos);
    return out;
}

ViewerCommand BuildViewerCommand(const ViewerSettings& settings, const std::string& file) {
    if (settings.viewerType != 1 || settings.viewerPath.empty()) return AssociatedProgram{file};
    NamedViewer viewer;
    viewer.argv.push_back(settings.viewerPath);
    if (settings.viewerOption.empty()) {
        viewer.argv.push_back(file);
        return viewer;
    }
    // GLib's parser follows the shell's quoting and does nothing else.
    gint argc = 0;
    gchar** words = nullptr;
    GError* error = nullptr;
    if (!g_shell_parse_argv(settings.viewerOption.c_str(), &argc, &words, &error)) {
        const bool blank = g_error_matches(error, G_SHELL_ERROR, G_SHELL_ERROR_EMPTY_STRING);
        g_error_free(error);
        if (blank) return viewer;  // only spaces: no arguments, like a text without "%1"
        return BadOptionText{};
    }
    for (gint i = 0; i < argc; ++i) viewer.argv.push_back(ReplacePathMarker(words[i], file));
    g_strfreev(words);
    return viewer;
}

}  // namespace viewer
