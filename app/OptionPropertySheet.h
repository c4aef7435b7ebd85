// COptionPropertySheet: the options dialog "オプション" with its one page,
// "外部ビューア". OK validates and writes the page's settings, Cancel (or the
// close box) writes nothing, Help and F1 open the page's help topic.
#pragma once

#include <wx/propdlg.h>

class COptionViewerPage;

class COptionPropertySheet : public wxPropertySheetDialog {
public:
    explicit COptionPropertySheet(wxWindow* parent);

    COptionViewerPage* m_pageViewer = nullptr;

private:
    void OnOK(wxCommandEvent&);
    void OnHelp(wxCommandEvent&);
};

// The options command: the sheet, shown modally and discarded.
void ShowOptionsDialog(wxWindow* parent);
