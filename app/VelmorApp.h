// CVelmorApp: starts the program (settings store, document manager, main
// window, the picture named on the command line) and shuts it down.
#pragma once

#include <wx/app.h>

class CVelmorDocManager;

class CVelmorApp : public wxApp {
public:
    CVelmorApp();
    ~CVelmorApp() override;
    bool OnInit() override;
    int OnExit() override;
    void OnInitCmdLine(wxCmdLineParser& parser) override;
    bool OnCmdLineParsed(wxCmdLineParser& parser) override;

    CVelmorDocManager* GetDocManager() const { return m_docManager; }

private:
    static void OnEndSignal(int signal);
    void OnHelp(wxCommandEvent& event);
    void OnAppAbout(wxCommandEvent& event);

    CVelmorDocManager* m_docManager = nullptr;
    wxString m_startPicture;

    wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(CVelmorApp);
