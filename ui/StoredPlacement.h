// Putting the main window back where the person left it, corner and size
// exact, with or without a window manager that decorates it.
//
// wx (GTK) keeps the outer size: it asks the window manager for the
// decoration sizes before the first map. The corner needs help twice:
// while wx waits for that answer the window is already realized at GTK's
// default spot, which is what a window manager then sees; and a window
// manager may place a window by its own policy unless the position is
// marked as the user's own choice, which a restored position is.
#pragma once

#include <wx/gdicmn.h>

class wxTopLevelWindow;

// Before the first Show: the outer top-left corner to come back at.
void SetStoredPosition(wxTopLevelWindow* window, wxPoint at);
// Right after the first Show (the window may not be mapped yet): makes the
// window system's own idea of the corner agree before the window maps.
void ConfirmStoredPosition(wxTopLevelWindow* window, wxPoint at);
// True once the window system shows the window (on GTK not yet while wx
// waits for the decoration sizes, when the window has passing sizes).
bool IsWindowMapped(wxTopLevelWindow* window);
