#include "app/HelpBook.h"

#include <memory>

#include <wx/filename.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/stdpaths.h>

#include "document/UserMessage.h"

namespace {

std::unique_ptr<wxHtmlHelpController> g_help;

}  // namespace

wxArrayString HelpBookCandidates() {
    const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    wxArrayString books;
    // Beside the program in the build folder; <prefix>/share/velmor when installed.
    books.Add(wxFileName(exe.GetPath(), "velmor.htb").GetFullPath());
    wxFileName installed(exe.GetPath(), "velmor.htb");
    installed.RemoveLastDir();
    installed.AppendDir("share");
    installed.AppendDir("velmor");
    books.Add(installed.GetFullPath());
    return books;
}

void ShowHelp(const wxString& page) {
    if (!g_help) {
        static bool archivesReadable = false;
        if (!archivesReadable) {
            wxFileSystem::AddHandler(new wxArchiveFSHandler);
            archivesReadable = true;
        }
        const wxArrayString candidates = HelpBookCandidates();
        wxString book;
        for (const wxString& c : candidates)
            if (wxFileName::FileExists(c)) {
                book = c;
                break;
            }
        // A window of its own, not a child of the main window: it goes when
        // the application ends, after the main window.
        auto help = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE, nullptr);
        if (book.empty() || !help->AddBook(wxFileName(book))) {
            ShowUserMessage(wxString::FromUTF8("ヘルプを表示できませんでした。\n") + wxJoin(candidates, '\n', '\0'));
            return;
        }
        g_help = std::move(help);
    }
    if (page.empty())
        g_help->DisplayContents();
    else
        g_help->Display(page);
}

void CloseHelp() { g_help.reset(); }

wxString ShownHelpPage() {
    // A frame normally; a modal dialog when asked from a modal dialog.
    if (!g_help || g_help->GetHelpWindow() == nullptr) return {};
    return g_help->GetHelpWindow()->GetHtmlWindow()->GetOpenedPage();
}
