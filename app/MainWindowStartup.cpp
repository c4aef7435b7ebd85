#include "app/MainWindowStartup.h"

#include <wx/app.h>

#include "app/VelmorDocManager.h"
#include "app/VelmorView.h"
#include "document/VelmorDoc.h"
#include "res/UiTexts.h"
#include "ui/CommandIcons.h"
#include "ui/MainFrame.h"

CMainFrame* CreateMainWindow(CVelmorDocManager* manager, const wxString& picture) {
    if (manager->GetTemplatesVector().empty())
        new wxDocTemplate(manager, wxString::FromUTF8(kAppTitle), "*.*", "", "", "Velmor.Document", "Velmor.View",
                          CLASSINFO(CVelmorDoc), CLASSINFO(CVelmorView));
    auto* frame = new CMainFrame;
    if (!frame->Create(manager)) {
        frame->Destroy();
        return nullptr;
    }
    frame->SetIcons(AppIconBundle());
    wxTheApp->SetTopWindow(frame);
    if (manager->CreateDocument(wxString(), wxDOC_NEW) == nullptr ||
        (!picture.empty() && !manager->OpenOriginal(picture))) {
        manager->CloseDocuments(true);
        frame->Destroy();
        return nullptr;
    }
    return frame;
}
