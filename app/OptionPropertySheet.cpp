#include "app/OptionPropertySheet.h"

#include <wx/accel.h>
#include <wx/bookctrl.h>

#include <utility>

#include "app/HelpBook.h"
#include "app/OptionViewerPage.h"

COptionPropertySheet::COptionPropertySheet(wxWindow* parent) {
    Create(parent, wxID_ANY, wxString::FromUTF8("オプション"));
    CreateButtons(wxOK | wxCANCEL | wxHELP);
    // GTK labels its stock buttons in the system's language, not the program's.
    const std::pair<int, const char*> labels[] = {{wxID_OK, "OK"}, {wxID_CANCEL, "キャンセル"}, {wxID_HELP, "ヘルプ"}};
    for (const auto& [id, label] : labels)
        if (wxWindow* button = FindWindow(id)) button->SetLabel(wxString::FromUTF8(label));
    m_pageViewer = new COptionViewerPage(GetBookCtrl());
    GetBookCtrl()->AddPage(m_pageViewer, wxString::FromUTF8("外部ビューア"), true);
    LayoutDialog();
    wxAcceleratorEntry f1(wxACCEL_NORMAL, WXK_F1, wxID_HELP);
    SetAcceleratorTable(wxAcceleratorTable(1, &f1));
    Bind(wxEVT_BUTTON, &COptionPropertySheet::OnOK, this, wxID_OK);
    Bind(wxEVT_BUTTON, &COptionPropertySheet::OnHelp, this, wxID_HELP);
    Bind(wxEVT_MENU, &COptionPropertySheet::OnHelp, this, wxID_HELP);
}

void COptionPropertySheet::OnOK(wxCommandEvent&) {
    if (!m_pageViewer->Validate()) return;  // the sheet stays open, nothing written
    m_pageViewer->Apply();
    EndModal(wxID_OK);
}

void COptionPropertySheet::OnHelp(wxCommandEvent&) { ShowHelp(kHelpOptionsPage); }

void ShowOptionsDialog(wxWindow* parent) {
    COptionPropertySheet sheet(parent);
    sheet.ShowModal();
}
