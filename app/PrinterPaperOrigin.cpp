#include "app/PrinterPaperOrigin.h"

#include <cmath>

#include <wx/dc.h>

#if defined(__WXGTK__) && wxUSE_GTKPRINT
#include <cairo.h>
#include <wx/gtk/print.h>
#endif

wxPoint PrinterOriginOnPaper(wxDC& dc) {
#if defined(__WXGTK__) && wxUSE_GTKPRINT
    if (wxDynamicCast(dc.GetImpl(), wxGtkPrinterDCImpl) == nullptr) return {};
    auto* cr = static_cast<cairo_t*>(dc.GetHandle());
    if (cr == nullptr) return {};
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    // Only an unturned page's shift is known to be the paper's corner.
    if (m.xy != 0 || m.yx != 0 || m.xx <= 0 || m.yy <= 0) return {};
    return wxPoint(static_cast<int>(std::lround(m.x0 / m.xx)), static_cast<int>(std::lround(m.y0 / m.yy)));
#else
    (void)dc;
    return {};
#endif
}
