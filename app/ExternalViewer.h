// Handing the displayed picture to another program, the program's way to
// paper: written to a temporary file of fixed name in the options' file type,
// then opened in the desktop's default application for that type or in the
// viewer the options name. The settings are read afresh at every launch.
#pragma once

#include <set>

#include <wx/string.h>

#include "imaging/picture/Picture.h"

// The extension (with its dot) for the current "TmpFileType" setting.
wxString GetTmpFileExtension();

// Writes `picture` as <temporary folder>kolmi_motoe / kolmi_shitae<ext>,
// lists the path in `tempFiles` (deleted when the main window closes) and
// starts the viewer. Every failure has been shown when this returns false.
bool LaunchExternalViewer(imaging::Picture& picture, bool isOriginal, std::set<wxString>& tempFiles);
