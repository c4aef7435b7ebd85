#include "app/OptionViewerPage.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "document/UserMessage.h"
#include "imageio/ImageFileFilter.h"
#include "res/UiTexts.h"
#include "ui/SettingsStore.h"
#include "viewer/TmpFileTypes.h"

namespace {

wxString U(const char* s) { return wxString::FromUTF8(s); }
wxString U(std::string_view s) { return wxString::FromUTF8(s.data(), s.size()); }

enum { IDC_ASSOCIATED = 1017, IDC_VIEWER = 1018, IDC_PATH = 1019, IDC_OPTION = 1020, IDC_BROWSE = 1021,
       IDC_TMP_TYPE = 1022, IDC_LABEL_PATH = 1023, IDC_LABEL_OPTION = 1011 };

// The program filter: an .exe entry and the all-files entry, without the
// closing "|" that wx's file dialog would take for one more, empty entry.
wxString ProgramFilter() {
    std::string filter = FormatFilterEntry("EXE", "*.exe", "*.exe");
    filter += kAllFilesFilter;
    while (!filter.empty() && filter.back() == '|') filter.pop_back();
    return wxString::FromUTF8(filter);
}

}  // namespace

COptionViewerPage::COptionViewerPage(wxWindow* parent) : wxPanel(parent, 131) {
    const int gap = ConvertDialogToPixels(wxSize(6, 0)).x;
    auto* box = new wxStaticBoxSizer(wxVERTICAL, this, U("起動するビューア"));
    wxWindow* boxWindow = box->GetStaticBox();
    m_radioAssociated = new wxRadioButton(boxWindow, IDC_ASSOCIATED, U("拡張子に対応する規定のプログラム(&V)"),
                                          wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_radioViewer = new wxRadioButton(boxWindow, IDC_VIEWER, U("指定ビューア(&P)"));
    m_labelPath = new wxStaticText(boxWindow, IDC_LABEL_PATH, U("ファイルパス(&F)"));
    m_editPath = new wxTextCtrl(boxWindow, IDC_PATH);
    m_btnBrowse = new wxButton(boxWindow, IDC_BROWSE, "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    m_btnBrowse->SetMinSize(wxSize(ConvertDialogToPixels(wxSize(24, 0)).x, -1));
    m_labelOption = new wxStaticText(boxWindow, IDC_LABEL_OPTION, U("起動オプション(&O)"));
    m_editOption = new wxTextCtrl(boxWindow, IDC_OPTION);
    m_editPath->SetMaxLength(kMaxText);
    m_editOption->SetMaxLength(kMaxText);

    auto* fields = new wxFlexGridSizer(2, gap / 2, gap);
    fields->AddGrowableCol(1);
    auto* pathRow = new wxBoxSizer(wxHORIZONTAL);
    pathRow->Add(m_editPath, 1, wxALIGN_CENTER_VERTICAL);
    pathRow->Add(m_btnBrowse, 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(m_labelPath, 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(pathRow, 1, wxEXPAND);
    fields->Add(m_labelOption, 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(m_editOption, 1, wxEXPAND);
    box->Add(m_radioAssociated, 0, wxALL, gap);
    box->Add(m_radioViewer, 0, wxLEFT | wxRIGHT, gap);
    box->Add(fields, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM | wxTOP, gap);
    box->GetChildren().back()->SetBorder(gap);
    fields->SetMinSize(ConvertDialogToPixels(wxSize(216, 0)));

    auto* typeRow = new wxBoxSizer(wxHORIZONTAL);
    typeRow->Add(new wxStaticText(this, wxID_ANY, U("外部ビューアに渡す際に、一時保存するファイルの種類(&T)")), 0,
                 wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    m_comboTmpFileType = new wxChoice(this, IDC_TMP_TYPE);
    for (const viewer::TmpFileType& type : viewer::kTmpFileTypes) m_comboTmpFileType->Append(U(type.name));
    typeRow->Add(m_comboTmpFileType, 0, wxALIGN_CENTER_VERTICAL);

    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(box, 0, wxEXPAND | wxALL, 2 * gap);
    all->Add(typeRow, 0, wxLEFT | wxRIGHT | wxBOTTOM, 2 * gap);
    SetSizerAndFit(all);

    Bind(wxEVT_RADIOBUTTON, &COptionViewerPage::OnRadio, this, IDC_ASSOCIATED);
    Bind(wxEVT_RADIOBUTTON, &COptionViewerPage::OnRadio, this, IDC_VIEWER);
    Bind(wxEVT_BUTTON, &COptionViewerPage::OnBrowse, this, IDC_BROWSE);
    LoadSettings();
    UpdateEnabling();
}

void COptionViewerPage::LoadSettings() {
    const bool associated = ReadSettingInt(kSectionSettings, "ViewerType", 0) == 0;
    m_radioAssociated->SetValue(associated);
    m_radioViewer->SetValue(!associated);
    // The texts show whichever button is checked.
    m_editPath->ChangeValue(ReadSettingString(kSectionSettings, "ViewerPath"));
    m_editOption->ChangeValue(ReadSettingString(kSectionSettings, "ViewerOption"));
    const wxString type = ReadSettingString(kSectionSettings, "TmpFileType", U(viewer::kDefaultTmpFileType));
    m_comboTmpFileType->SetSelection(viewer::FindTmpFileType(type.utf8_string()));  // -1: none selected
}

void COptionViewerPage::UpdateEnabling() {
    const bool named = m_radioViewer->GetValue();
    for (wxWindow* w : {static_cast<wxWindow*>(m_labelPath), static_cast<wxWindow*>(m_editPath),
                        static_cast<wxWindow*>(m_btnBrowse), static_cast<wxWindow*>(m_labelOption),
                        static_cast<wxWindow*>(m_editOption)})
        w->Enable(named);
}

void COptionViewerPage::OnRadio(wxCommandEvent&) { UpdateEnabling(); }

void COptionViewerPage::OnBrowse(wxCommandEvent&) {
    const wxString text = m_editPath->GetValue();
    const int cut = text.Find(wxFileName::GetPathSeparator(), true);
    const wxString name = cut == wxNOT_FOUND ? text : text.Mid(cut + 1);
    const wxString folder = cut == wxNOT_FOUND ? wxString() : text.Left(cut + 1);
    wxFileDialog dialog(this, wxFileSelectorPromptStr, folder, name, ProgramFilter(),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
#ifndef __WXMSW__
    dialog.SetFilterIndex(1);  // programs here carry no ".exe"
#endif
    if (dialog.ShowModal() == wxID_OK) m_editPath->ChangeValue(dialog.GetPath());
}

bool COptionViewerPage::Validate() {
    if (m_radioViewer->GetValue() && m_editPath->GetValue().empty()) {
        ShowUserMessage(U(kMsgNeedViewerPath));
        m_editPath->SetFocus();
        return false;
    }
    return true;
}

void COptionViewerPage::Apply() {
    WriteSettingInt(kSectionSettings, "ViewerType", m_radioAssociated->GetValue() ? 0 : 1);
    WriteSettingString(kSectionSettings, "ViewerPath", m_editPath->GetValue());
    WriteSettingString(kSectionSettings, "ViewerOption", m_editOption->GetValue());
    const int selected = m_comboTmpFileType->GetSelection();
    if (selected != wxNOT_FOUND) WriteSettingString(kSectionSettings, "TmpFileType", m_comboTmpFileType->GetString(selected));
}
