// The start-up sequence of the main window, shared by the application and
// the tests: document template, frame (which loads the saved settings), the
// empty document, then the picture named on the command line.
#pragma once

#include <wx/string.h>

class CMainFrame;
class CVelmorDocManager;

// Null when the window cannot be made, or when `picture` is named and cannot
// be opened (the failure has been shown; the frame is already destroyed).
// The frame is created hidden.
CMainFrame* CreateMainWindow(CVelmorDocManager* manager, const wxString& picture);
