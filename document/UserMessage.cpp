#include "document/UserMessage.h"

#include <wx/app.h>
#include <wx/msgdlg.h>

#include "res/UiTexts.h"

namespace {
MessageHook g_hook = nullptr;
}

void SetUserMessageHook(MessageHook hook) { g_hook = hook; }

void ShowUserMessage(const wxString& text) {
    if (g_hook != nullptr) {
        g_hook(text);
        return;
    }
    // A hidden main window (start-up) must stay hidden: no parent then.
    wxWindow* top = wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
    wxMessageBox(text, wxString::FromUTF8(kAppTitle), wxOK | wxICON_EXCLAMATION,
                 top != nullptr && top->IsShown() ? top : nullptr);
}
