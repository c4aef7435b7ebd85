// Printing the sketch: the system's print dialog and the preview window.
//
// The paper, orientation and printer chosen are kept for the session in
// `setup` (the document manager's page setup data) and, when paper or
// orientation changed, stored in the settings at once (ui/PrintSettings).
// The GTK dialog's "print to file" writes a PDF through the same page.
#pragma once

#include <wx/string.h>

#include "imaging/picture/Picture.h"

class wxPageSetupDialogData;
class wxWindow;

enum class PrintResult { Printed, Cancelled, Failed };

// Prints the one page; with `prompt` false, straight to the printer `setup`
// names (tests: its native settings name a file). A page that could not be
// drawn is reported here; a failure of the print system wx reports itself.
PrintResult PrintSketch(wxWindow* parent, imaging::Picture& sketch, const wxString& title,
                        wxPageSetupDialogData& setup, bool prompt = true);

// Opens the app-modal preview window over `parent`; its print button goes
// through PrintSketch. False (after a message) when it cannot be made.
bool PreviewSketch(wxWindow* parent, imaging::Picture& sketch, const wxString& title, wxPageSetupDialogData& setup);
