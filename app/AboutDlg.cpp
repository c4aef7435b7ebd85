#include "app/AboutDlg.h"

#include <wx/button.h>
#include <wx/hyperlink.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "ui/CommandIcons.h"

namespace {
wxString U(const char* s) { return wxString::FromUTF8(s); }
}  // namespace

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, U(kAboutCaption), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE) {
    const wxIcon icon = AppIconBundle().GetIcon(wxSize(32, 32), wxIconBundle::FALLBACK_NEAREST_LARGER);
    auto* picture = new wxStaticBitmap(this, wxID_ANY, icon);

    auto* texts = new wxBoxSizer(wxVERTICAL);
    texts->Add(new wxStaticText(this, wxID_ANY, U(kAboutNameVersion)));
    texts->AddSpacer(ConvertDialogToPixels(wxSize(0, 4)).y);
    texts->Add(new wxStaticText(this, wxID_ANY, U(kAboutNotice)));
    texts->AddSpacer(ConvertDialogToPixels(wxSize(0, 10)).y);
    auto* credit = new wxBoxSizer(wxHORIZONTAL);
    credit->Add(new wxStaticText(this, wxID_ANY, U(kAboutCredit)), 0, wxALIGN_CENTER_VERTICAL);
    credit->AddSpacer(ConvertDialogToPixels(wxSize(2, 0)).x);
    // The control opens the address in the default browser by itself.
    auto* link = new wxHyperlinkCtrl(this, 1026, U(kAboutLinkText), U(kAboutLinkAddress));
    link->SetToolTip(wxString());
    credit->Add(link, 0, wxALIGN_CENTER_VERTICAL);
    texts->Add(credit);

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(picture, 0, wxALL, ConvertDialogToPixels(wxSize(12, 0)).x);
    top->Add(texts, 1, wxTOP | wxRIGHT, ConvertDialogToPixels(wxSize(12, 0)).x);

    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();
    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(top, 1, wxEXPAND);
    all->Add(ok, 0, wxALIGN_CENTER | wxALL, ConvertDialogToPixels(wxSize(6, 6)).y);
    SetSizerAndFit(all);
    SetEscapeId(wxID_OK);
    CentreOnParent();
    // The keyboard starts on the link, the first tab stop.
    link->SetFocus();
}
