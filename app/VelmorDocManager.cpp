#include "app/VelmorDocManager.h"

#include <wx/filehistory.h>
#include <wx/filename.h>

#include "document/VelmorDoc.h"

#include "res/CommandIds.h"
#include "res/UiTexts.h"

wxDocument* CVelmorDocManager::CreateDocument(const wxString& path, long flags) {
    wxDocument* doc = GetCurrentDocument();
    if (doc == nullptr && !GetDocumentsVector().empty()) doc = GetDocumentsVector().front();
    if (doc == nullptr) {
        // The first document brings the view with it; it starts empty. Made
        // through the template: the manager's own path raises the frame,
        // which would show the still hidden main window.
        if (GetTemplatesVector().empty()) return nullptr;
        wxDocTemplate* tmpl = GetTemplatesVector().front();
        doc = tmpl->CreateDocument(wxString(), wxDOC_NEW);
        if (doc == nullptr) return nullptr;
        doc->SetDocumentName(tmpl->GetDocumentName());
        if (!doc->OnNewDocument()) {
            doc->DeleteAllViews();
            return nullptr;
        }
        if (flags & wxDOC_NEW) return doc;
    } else if (flags & wxDOC_NEW) {
        return doc->OnNewDocument() ? doc : nullptr;
    }
    return OpenOriginal(path) ? doc : nullptr;
}

bool CVelmorDocManager::OpenOriginal(const wxString& given) {
    auto* doc = wxDynamicCast(GetCurrentDocument(), CVelmorDoc);
    if (doc == nullptr && !GetDocumentsVector().empty()) doc = wxDynamicCast(GetDocumentsVector().front(), CVelmorDoc);
    if (doc == nullptr) return CreateDocument(given, 0) != nullptr;
    // The full path, whoever named the file: it is what the recent list keeps.
    wxFileName name(given);
    name.MakeAbsolute();
    const wxString path = name.GetFullPath();
    if (doc->OnOpenDocument(path)) {
        AddFileToHistory(path);
        return true;
    }
    if (!doc->KeptContentsOnFailedOpen()) doc->OnNewDocument();
    return false;
}

wxString CVelmorDocManager::MakeNewDocumentName() { return wxString::FromUTF8(kUntitledDocument); }

wxString CVelmorDocManager::MakeFrameTitle(wxDocument* doc) {
    const wxString app = wxString::FromUTF8(kAppTitle);
    return doc != nullptr ? doc->GetUserReadableName() + " - " + app : app;
}

wxFileHistory* CVelmorDocManager::OnCreateFileHistory() { return new wxFileHistory(8, ID_FILE_MRU_FIRST); }
