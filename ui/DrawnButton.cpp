#include "ui/DrawnButton.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

wxBEGIN_EVENT_TABLE(DrawnButton, wxControl)
    EVT_PAINT(DrawnButton::OnPaint)
    EVT_LEFT_DOWN(DrawnButton::OnLeftDown)
    // The second press of a double click arrives as a double-click event.
    EVT_LEFT_DCLICK(DrawnButton::OnLeftDown)
    EVT_LEFT_UP(DrawnButton::OnLeftUp)
    EVT_MOTION(DrawnButton::OnMotion)
    EVT_ENTER_WINDOW(DrawnButton::OnEnterLeave)
    EVT_LEAVE_WINDOW(DrawnButton::OnEnterLeave)
    EVT_MOUSE_CAPTURE_LOST(DrawnButton::OnCaptureLost)
    EVT_KEY_DOWN(DrawnButton::OnKeyDown)
    EVT_KEY_UP(DrawnButton::OnKeyUp)
    EVT_SET_FOCUS(DrawnButton::OnFocusChange)
    EVT_KILL_FOCUS(DrawnButton::OnFocusChange)
    EVT_SYS_COLOUR_CHANGED(DrawnButton::OnSysColourChanged)
wxEND_EVENT_TABLE()

DrawnButton::DrawnButton(wxWindow* parent, wxWindowID id, const wxString& label,
                         const wxPoint& pos, const wxSize& size, long style) {
    Create(parent, id, label, pos, size, style);
}

bool DrawnButton::Create(wxWindow* parent, wxWindowID id, const wxString& label,
                         const wxPoint& pos, const wxSize& size, long style) {
    // Painted over completely, so no erase pass (and no flicker).
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!wxControl::Create(parent, id, pos, size, style | wxBORDER_NONE)) return false;
    wxControl::SetLabel(label);
    SetInitialSize(size);
    return true;
}

void DrawnButton::PaintTo(wxDC& dc) {
    const wxWindow* parent = GetParent();
    dc.SetBackground(wxBrush(parent ? parent->GetBackgroundColour() : GetBackgroundColour()));
    dc.Clear();
    dc.SetFont(GetFont());
    Paint(dc, wxRect(GetClientSize()));
}

bool DrawnButton::IsPressed() const {
    return (m_mouseDown && m_mouseInside) || m_spaceDown;
}

wxColour DrawnButton::InkColour(buttons::Ink ink) {
    switch (ink) {
    case buttons::Ink::ButtonText: return wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    case buttons::Ink::GrayText: return wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT);
    case buttons::Ink::White: return *wxWHITE;
    case buttons::Ink::Black: return *wxBLACK;
    }
    return *wxBLACK;
}

wxSize DrawnButton::ContentSize() const {
    const wxSize text = GetTextExtent(GetLabelText());
    // Room for the face's border and a little air around the caption.
    return {text.GetWidth() + 24, text.GetHeight() + 12};
}

wxSize DrawnButton::DoGetBestSize() const {
    return ClientToWindowSize(ContentSize());
}

bool DrawnButton::Enable(bool enable) {
    if (!wxControl::Enable(enable)) return false;
    if (!enable) CancelPress();
    Refresh();
    return true;
}

void DrawnButton::SetLabel(const wxString& label) {
    wxControl::SetLabel(label);
    Refresh();
}

void DrawnButton::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    PaintTo(dc);
}

void DrawnButton::OnLeftDown(wxMouseEvent&) {
    if (!IsEnabled()) return;
    SetFocus();
    if (!HasCapture()) CaptureMouse();
    m_mouseDown = true;
    m_mouseInside = true;
    Refresh();
}

void DrawnButton::OnLeftUp(wxMouseEvent& event) {
    if (!m_mouseDown) return;
    const bool inside = GetClientRect().Contains(event.GetPosition());
    m_mouseDown = false;
    if (HasCapture()) ReleaseMouse();
    Refresh();
    if (inside && IsEnabled()) Click();
}

void DrawnButton::OnMotion(wxMouseEvent& event) {
    event.Skip();
    if (!m_mouseDown) return;
    const bool inside = GetClientRect().Contains(event.GetPosition());
    if (inside == m_mouseInside) return;
    m_mouseInside = inside;
    Refresh();
}

void DrawnButton::OnEnterLeave(wxMouseEvent& event) {
    event.Skip();
    m_hot = event.GetEventType() == wxEVT_ENTER_WINDOW;
    Refresh();
}

void DrawnButton::OnCaptureLost(wxMouseCaptureLostEvent&) {
    m_mouseDown = false;
    Refresh();
}

void DrawnButton::OnKeyDown(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
    case WXK_SPACE:
        // Auto-repeat sends further key-downs; the press is already shown.
        if (!m_spaceDown && IsEnabled()) {
            m_spaceDown = true;
            Refresh();
        }
        break;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        if (IsEnabled()) Click();
        break;
    default:
        event.Skip();
    }
}

void DrawnButton::OnKeyUp(wxKeyEvent& event) {
    if (event.GetKeyCode() != WXK_SPACE || !m_spaceDown) {
        event.Skip();
        return;
    }
    m_spaceDown = false;
    Refresh();
    if (IsEnabled()) Click();
}

void DrawnButton::OnFocusChange(wxFocusEvent& event) {
    event.Skip();
    // Space released elsewhere must not fire this button.
    if (event.GetEventType() == wxEVT_KILL_FOCUS) m_spaceDown = false;
    Refresh();
}

void DrawnButton::OnSysColourChanged(wxSysColourChangedEvent& event) {
    event.Skip();
    Refresh();
}

void DrawnButton::CancelPress() {
    if (HasCapture()) ReleaseMouse();
    m_mouseDown = false;
    m_spaceDown = false;
}

void DrawnButton::Click() {
    wxCommandEvent event(wxEVT_BUTTON, GetId());
    event.SetEventObject(this);
    ProcessWindowEvent(event);
}
