// A push button with a small icon at its left and the caption centred in the
// space right of it; while disabled it shows a greyed icon and grey text.
//
// Until LoadIconImages succeeds it is an ordinary text button showing its
// label. Loading moves the caption out of the label into m_strText, so the
// label is empty from then on.
#pragma once

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>

#include "ui/DrawnButton.h"

class CImageTextButton : public DrawnButton {
public:
    using DrawnButton::DrawnButton;

    // Loads command icon iconId and takes the caption from the label. On
    // false (unknown icon) the button stays a text button.
    bool LoadIconImages(int iconId);

    // The disabled look of an icon on a face of the given colour; an invalid
    // bitmap when the icon is invalid. Alpha is kept.
    static wxBitmap MakeDisabledBitmap(const wxBitmap& icon, const wxColour& face);

    int m_cxIcon = 0;  // logical size of the icon; 0 until one is loaded
    int m_cyIcon = 0;
    wxString m_strText;

protected:
    void Paint(wxDC& dc, const wxRect& rect) override;
    wxSize ContentSize() const override;

private:
    void OnSysColourChanged(wxSysColourChangedEvent& event);
    void OnDpiChanged(wxDPIChangedEvent& event);
    void MakeImages();

    wxBitmapBundle m_icon;
    wxBitmap m_bmpNormal;    // for this window's scale
    wxBitmap m_bmpDisabled;

    wxDECLARE_EVENT_TABLE();
};
