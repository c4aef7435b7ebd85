#include "ui/ColorButton.h"

#include <wx/dc.h>
#include <wx/renderer.h>

namespace {

buttons::Rect ToRect(const wxRect& r) {
    return {r.GetLeft(), r.GetTop(), r.GetLeft() + r.GetWidth(), r.GetTop() + r.GetHeight()};
}

wxRect ToWxRect(const buttons::Rect& r) {
    return wxRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

wxColour ToWxColour(std::uint32_t color) {
    return wxColour(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

}  // namespace

void CColorButton::Paint(wxDC& dc, const wxRect& rect) {
    const bool enabled = IsEnabled();
    const bool focused = HasFocus();
    // The face never shows the hover state: the colour is what matters.
    int flags = 0;
    if (!enabled)
        flags = wxCONTROL_DISABLED;
    else if (IsPressed())
        flags = wxCONTROL_PRESSED;
    else if (focused)
        flags = wxCONTROL_ISDEFAULT;
    wxRendererNative::Get().DrawPushButton(this, dc, rect, flags);

    const buttons::Rect swatch = buttons::SwatchRect(ToRect(rect));
    if (buttons::ShowsSwatch(enabled, m_color)) {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(ToWxColour(m_color)));
        dc.DrawRectangle(ToWxRect(swatch));
    }

    const wxString caption = GetLabelText();
    if (!caption.empty()) {
        const wxSize extent = dc.GetTextExtent(caption);
        const buttons::Point origin =
            buttons::ColorCaptionOrigin(swatch, {extent.GetWidth(), extent.GetHeight()});
        // The caption may spill left of the swatch but is cut at its right
        // and bottom edges.
        const wxRect textRect = ToWxRect({origin.x, origin.y, swatch.right, swatch.bottom});
        wxDCClipper clip(dc, textRect);
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
        dc.SetTextForeground(InkColour(buttons::ColorCaptionInk(enabled, m_color)));
        dc.DrawText(caption, origin.x, origin.y);
    }

    if (focused) wxRendererNative::Get().DrawFocusRect(this, dc, wxRect(rect).Deflate(3));
}
