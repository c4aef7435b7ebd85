#include "ui/ImageTextButton.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include <wx/dc.h>
#include <wx/image.h>
#include <wx/renderer.h>
#include <wx/settings.h>

#include "ui/CommandIcons.h"

wxBEGIN_EVENT_TABLE(CImageTextButton, DrawnButton)
    EVT_SYS_COLOUR_CHANGED(CImageTextButton::OnSysColourChanged)
    EVT_DPI_CHANGED(CImageTextButton::OnDpiChanged)
wxEND_EVENT_TABLE()

bool CImageTextButton::LoadIconImages(int iconId) {
    wxBitmapBundle icon = CommandIcon(iconId);
    if (!icon.IsOk()) return false;
    m_icon = icon;
    MakeImages();
    if (!m_bmpNormal.IsOk()) {
        m_icon = wxBitmapBundle();
        return false;
    }
    const wxSize size = m_icon.GetPreferredLogicalSizeFor(this);
    m_cxIcon = size.GetWidth();
    m_cyIcon = size.GetHeight();
    m_strText = GetLabel();
    SetLabel(wxString());
    InvalidateBestSize();
    return true;
}

void CImageTextButton::MakeImages() {
    m_bmpNormal = m_icon.GetBitmapFor(this);
    m_bmpDisabled =
        MakeDisabledBitmap(m_bmpNormal, wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    if (!m_bmpDisabled.IsOk()) m_bmpDisabled = m_bmpNormal;
}

wxBitmap CImageTextButton::MakeDisabledBitmap(const wxBitmap& icon, const wxColour& face) {
    if (!icon.IsOk()) return {};
    wxImage image = icon.ConvertToImage();
    if (!image.IsOk()) return {};
    if (!image.HasAlpha()) image.InitAlpha();

    const std::size_t count = std::size_t(image.GetWidth()) * std::size_t(image.GetHeight());
    unsigned char* rgb = image.GetData();
    unsigned char* alpha = image.GetAlpha();
    std::vector<std::uint8_t> bgra(4 * count);
    for (std::size_t i = 0; i < count; ++i) {
        bgra[4 * i] = rgb[3 * i + 2];
        bgra[4 * i + 1] = rgb[3 * i + 1];
        bgra[4 * i + 2] = rgb[3 * i];
        bgra[4 * i + 3] = alpha[i];
    }
    const std::uint32_t faceColor =
        std::uint32_t(face.Red()) | std::uint32_t(face.Green()) << 8 | std::uint32_t(face.Blue()) << 16;
    buttons::GreyForDisabled(bgra, faceColor);
    for (std::size_t i = 0; i < count; ++i) {
        rgb[3 * i] = bgra[4 * i + 2];
        rgb[3 * i + 1] = bgra[4 * i + 1];
        rgb[3 * i + 2] = bgra[4 * i];
        alpha[i] = bgra[4 * i + 3];
    }
    return wxBitmap(image, wxBITMAP_SCREEN_DEPTH, icon.GetScaleFactor());
}

void CImageTextButton::Paint(wxDC& dc, const wxRect& rect) {
    const bool enabled = IsEnabled();
    const bool focused = HasFocus();
    int flags = 0;
    if (!enabled)
        flags |= wxCONTROL_DISABLED;
    else if (IsPressed())
        flags |= wxCONTROL_PRESSED;
    else if (IsHot())
        flags |= wxCONTROL_CURRENT;
    if (focused) flags |= wxCONTROL_FOCUSED;
    wxRendererNative::Get().DrawPushButton(this, dc, rect, flags);

    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(InkColour(buttons::IconCaptionInk(enabled)));
    if (!m_icon.IsOk()) {
        // No icon: a plain text button with the caption centred.
        const wxString caption = GetLabelText();
        const wxSize extent = dc.GetTextExtent(caption);
        dc.DrawText(caption, rect.GetLeft() + (rect.GetWidth() - extent.GetWidth()) / 2,
                    rect.GetTop() + (rect.GetHeight() - extent.GetHeight()) / 2);
    } else {
        // Icon and caption stay put while pressed; only the face changes.
        const wxSize extent = dc.GetTextExtent(m_strText);
        const auto layout = buttons::LayoutIconText({rect.GetWidth(), rect.GetHeight()},
                                                    {m_cxIcon, m_cyIcon},
                                                    {extent.GetWidth(), extent.GetHeight()});
        dc.DrawBitmap(enabled ? m_bmpNormal : m_bmpDisabled, layout.icon.x, layout.icon.y, true);
        dc.DrawText(m_strText, layout.text.x, layout.text.y);
    }

    if (focused) wxRendererNative::Get().DrawFocusRect(this, dc, wxRect(rect).Deflate(3));
}

wxSize CImageTextButton::ContentSize() const {
    if (!m_icon.IsOk()) return DrawnButton::ContentSize();
    const wxSize text = GetTextExtent(m_strText);
    // Face border and air around the content; the icon sits 2 px further in.
    return {m_cxIcon + 4 + text.GetWidth() + 24, std::max(m_cyIcon + 2, text.GetHeight() + 12)};
}

void CImageTextButton::OnSysColourChanged(wxSysColourChangedEvent& event) {
    event.Skip();
    // The disabled look is blended toward the face colour.
    if (m_icon.IsOk()) MakeImages();
}

void CImageTextButton::OnDpiChanged(wxDPIChangedEvent& event) {
    event.Skip();
    // Re-rasterise the icon for the new scale; its logical size stays.
    if (m_icon.IsOk()) MakeImages();
}
