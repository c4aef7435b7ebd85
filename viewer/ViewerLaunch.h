// Starting the viewer of a ViewerCommand, detached: the caller neither waits
// for it nor keeps anything of it, and ending the caller leaves it running.
// Failures come back as the codes the person is shown: the numbers the
// desktop's own "open with" reports for the same causes.
#pragma once

#include "viewer/ViewerCommand.h"

namespace viewer {

inline constexpr int kLaunchedOk = 0;
inline constexpr int kProgramNotFound = 2;     // no such program (or file)
inline constexpr int kFolderNotFound = 3;      // a folder on the program's path is missing
inline constexpr int kAccessDenied = 5;        // not allowed to run it
inline constexpr int kOutOfMemory = 8;
inline constexpr int kNotAProgram = 11;        // the file is no program, or the option text does not split
inline constexpr int kNoAssociation = 31;      // no program is associated with the file's type

// kLaunchedOk once the program has started, otherwise one of the codes above.
int LaunchViewer(const ViewerCommand& command);

}  // namespace viewer
