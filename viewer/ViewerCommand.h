// What handing a file to a viewer runs: the program the desktop associates
// with the file's type, or the viewer the person named, with its option text
// split into an argument vector. Nothing here goes through a shell, so no
// path or option text can run a command of its own.
#pragma once

#include <string>
#include <variant>
#include <vector>

namespace viewer {

struct ViewerSettings {
    int viewerType = 0;        // 1: the named viewer; anything else: the associated program
    std::string viewerPath;    // the named viewer, as stored
    std::string viewerOption;  // its option text; "%1" stands for the file's path
};

// Open `file` with the desktop's default application for its type.
struct AssociatedProgram {
    std::string file;
};
// Run argv[0] (a path, or a name looked up in PATH) with the rest as arguments.
struct NamedViewer {
    std::vector<std::string> argv;
};
// The option text does not split (an unclosed quotation mark).
struct BadOptionText {};

using ViewerCommand = std::variant<AssociatedProgram, NamedViewer, BadOptionText>;

// The named viewer is used when viewerType is 1 and the path is not empty.
// Its option text is split with the shell's quoting rules (quotes, escapes;
// no expansion of any kind); "%1" is then replaced by the file's path in
// every word, left to right, so a word stays one argument whatever the path
// holds. An empty option text passes the path alone; a text without "%1"
// does not pass the path at all.
ViewerCommand BuildViewerCommand(const ViewerSettings& settings, const std::string& file);

// Every "%1" of `text` replaced by `path`, scanning left to right without overlaps.
std::string ReplacePathMarker(const std::string& text, const std::string& path);

}  // namespace viewer
