// COptionViewerPage: the options page "外部ビューア". Which program shows a
// handed-over picture (the desktop's default for the type, or a named viewer
// with its start options) and the file type it is handed over in. Loads the
// settings when created; Apply writes them, after Validate.
#pragma once

#include <wx/panel.h>

class wxButton;
class wxChoice;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

class COptionViewerPage : public wxPanel {
public:
    explicit COptionViewerPage(wxWindow* parent);

    // False, after the message, when a named viewer has no path; the caret
    // is then in the path field.
    bool Validate() override;
    // Writes the four settings (the file type only while one is selected).
    void Apply();

    wxRadioButton* m_radioAssociated = nullptr;  // 1017
    wxRadioButton* m_radioViewer = nullptr;      // 1018
    wxStaticText* m_labelPath = nullptr;         // 1023
    wxTextCtrl* m_editPath = nullptr;            // 1019
    wxButton* m_btnBrowse = nullptr;             // 1021
    wxStaticText* m_labelOption = nullptr;       // 1011
    wxTextCtrl* m_editOption = nullptr;          // 1020
    wxChoice* m_comboTmpFileType = nullptr;      // 1022

    // The field's character limit.
    static constexpr int kMaxText = 260;

private:
    void LoadSettings();
    void UpdateEnabling();
    void OnRadio(wxCommandEvent&);
    void OnBrowse(wxCommandEvent&);
};
