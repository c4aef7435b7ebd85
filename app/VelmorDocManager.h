// The single-document manager: one document and one view live for the whole
// run. Opening a file loads it into that document; a new document, or a
// failed open, empties it and gives it the untitled name "ファイル未指定".
#pragma once

#include <wx/docview.h>

class CVelmorDocManager : public wxDocManager {
public:
    CVelmorDocManager() : wxDocManager(0, true) {}

    wxDocument* CreateDocument(const wxString& path, long flags = 0) override;
    wxString MakeNewDocumentName() override;
    wxString MakeFrameTitle(wxDocument* doc) override;
    wxFileHistory* OnCreateFileHistory() override;

    // Loads `path` as the original picture; false after the failure was shown.
    bool OpenOriginal(const wxString& path);
};
