// Push-button behaviour shared by the buttons whose face we paint ourselves.
//
// The control takes the keyboard focus, shows the pressed look while the
// left mouse button is held over it (with the mouse captured) or while Space
// is held, and fires on mouse release inside, on Space release and on Enter.
// A click is an ordinary wxEVT_BUTTON command event carrying the window id,
// so parents route it like any other button. Subclasses only paint.
#pragma once

#include <wx/control.h>

#include "ui/ButtonGeometry.h"

class wxDC;

class DrawnButton : public wxControl {
public:
    DrawnButton() = default;
    DrawnButton(wxWindow* parent, wxWindowID id, const wxString& label,
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                long style = 0);
    bool Create(wxWindow* parent, wxWindowID id, const wxString& label,
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                long style = 0);

    // Paints the whole button at the DC's origin; the paint handler uses it
    // and it lets a caller render the button into a bitmap.
    void PaintTo(wxDC& dc);

    // True while the face shows the pressed state.
    bool IsPressed() const;

    bool Enable(bool enable = true) override;
    void SetLabel(const wxString& label) override;
    bool AcceptsFocus() const override { return true; }

protected:
    // Paints face, content and focus mark into the client rectangle.
    virtual void Paint(wxDC& dc, const wxRect& rect) = 0;
    // Client size the content needs, for the best size; by default that of
    // a text button showing the label. Also used while the base constructor
    // runs, before any override is reachable.
    virtual wxSize ContentSize() const;

    bool IsHot() const { return m_hot; }
    static wxColour InkColour(buttons::Ink ink);

    wxSize DoGetBestSize() const override;
    wxBorder GetDefaultBorder() const override { return wxBORDER_NONE; }

private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnEnterLeave(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnKeyUp(wxKeyEvent& event);
    void OnFocusChange(wxFocusEvent& event);
    void OnSysColourChanged(wxSysColourChangedEvent& event);

    void CancelPress();
    void Click();

    bool m_mouseDown = false;    // left button went down on us; capture held
    bool m_mouseInside = false;  // while m_mouseDown: pointer over the button
    bool m_spaceDown = false;
    bool m_hot = false;

    wxDECLARE_EVENT_TABLE();
};
