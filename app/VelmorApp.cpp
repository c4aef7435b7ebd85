#include "app/VelmorApp.h"

#include <csignal>
#include <cstdio>

#include <wx/cmdline.h>
#include <wx/filename.h>
#include <wx/docview.h>
#include <wx/filehistory.h>
#include <wx/intl.h>
#include <wx/translation.h>

#include "app/AboutDlg.h"
#include "app/HelpBook.h"
#include "app/MainWindowStartup.h"
#include "app/VelmorDocManager.h"
#include "app/VelmorView.h"
#include "document/UserMessage.h"
#include "document/VelmorDoc.h"
#include "res/CommandIds.h"
#include "ui/CommandIcons.h"
#include "ui/MainFrame.h"
#include "ui/PlatformLooks.h"
#include "ui/SettingsStore.h"
#include "res/UiTexts.h"

wxIMPLEMENT_APP(CVelmorApp);

wxBEGIN_EVENT_TABLE(CVelmorApp, wxApp)
    EVT_MENU(ID_APP_ABOUT, CVelmorApp::OnAppAbout)
    EVT_MENU(ID_HELP, CVelmorApp::OnHelp)
wxEND_EVENT_TABLE()

CVelmorApp::CVelmorApp() = default;

namespace {

void LogAssertion(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
    std::fprintf(stderr, "velmor: wx assertion \"%s\" failed in %s (%s:%d)%s%s\n", cond.utf8_string().c_str(),
                 func.utf8_string().c_str(), file.utf8_string().c_str(), line, msg.empty() ? "" : ": ",
                 msg.utf8_string().c_str());
}

}  // namespace

void CVelmorApp::OnEndSignal(int) {
    // Runs on the main thread, from the event loop.
    if (wxWindow* top = wxTheApp->GetTopWindow())
        top->Close(true);
    else
        wxTheApp->ExitMainLoop();
}

void CVelmorApp::OnHelp(wxCommandEvent&) { ShowHelp(); }

void CVelmorApp::OnAppAbout(wxCommandEvent&) {
    CAboutDlg dialog(GetTopWindow());
    dialog.ShowModal();
}

CVelmorApp::~CVelmorApp() = default;

void CVelmorApp::OnInitCmdLine(wxCmdLineParser& parser) {
    parser.AddParam("picture", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
}

bool CVelmorApp::OnCmdLineParsed(wxCmdLineParser& parser) {
    if (parser.GetParamCount() > 0) m_startPicture = parser.GetParam(0);
    return true;
}

bool CVelmorApp::OnInit() {
    SetAppName("Velmor");
    SetVendorName("Tolvane");
    SetAppDisplayName(wxString::FromUTF8(kAppTitle));
    // wxWidgets' own texts (stock buttons, standard dialogs) in Japanese.
    auto* translations = new wxTranslations;
    translations->SetLanguage(wxLANGUAGE_JAPANESE);
    translations->AddStdCatalog();
    wxTranslations::Set(translations);

    if (!wxApp::OnInit()) return false;
    // A failed wx assertion is a fault to log, never a dialog in front of a person.
    wxSetAssertHandler(LogAssertion);
    ShowMenuImages();
    // A logout or shutdown ends programs with a signal: close in order then,
    // so the settings are written and the temporary files removed.
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) SetSignalHandler(signal, &CVelmorApp::OnEndSignal);

    InitSettingsStore();

    m_docManager = new CVelmorDocManager;
    LoadRecentFiles(*m_docManager->GetFileHistory());
    CMainFrame* frame = CreateMainWindow(m_docManager, m_startPicture);
    if (frame == nullptr) return false;
    if (ReadSettingInt(kSectionApp, "WinZoom", 0) != 0) frame->Maximize();
    frame->Show();
    frame->Update();
    return true;
}

int CVelmorApp::OnExit() {
    CloseHelp();
    if (m_docManager != nullptr) {
        if (wxFileHistory* history = m_docManager->GetFileHistory()) SaveRecentFiles(*history);
        FlushSettings();
        delete m_docManager;
        m_docManager = nullptr;
    }
    return wxApp::OnExit();
}
