// Where a printer DC's origin really lies, measured from the paper's
// top-left corner, in the DC's device pixels.
//
// wx's GTK printer DC means its origin to be the paper's corner: it moves
// back from the printable area by the page's left and top margins. GTK
// moved in by margins that follow the orientation (on a landscape page the
// paper's bottom margin lies at the left), so there the two disagree and
// the picture lands off centre by the difference. The cairo matrix tells
// where the origin ended; other DCs and platforms give (0, 0).
#pragma once

#include <wx/gdicmn.h>

class wxDC;

wxPoint PrinterOriginOnPaper(wxDC& dc);
