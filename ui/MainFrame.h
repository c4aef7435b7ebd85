// CMainFrame: the one top-level window: menu bar, status bar (prompts, zoom,
// picture size), the control panel at the left or right edge, and the view.
// It restores its placement, the sketch parameters and the paper (into the
// document manager's page setup) at creation and writes them back, with the
// panel side, when it closes.
#pragma once

#include <optional>
#include <set>

#include <wx/cmndata.h>
#include <wx/docview.h>

class CMainDialogBar;
class wxBoxSizer;
class wxStatusBar;

class CMainFrame : public wxDocParentFrame {
public:
    CMainFrame() = default;
    // Creates the window, its status bar and panel and loads the settings.
    // False (after a message) when the status bar or the panel fails.
    bool Create(wxDocManager* manager);

    // The first show puts the window back at its stored corner.
    bool Show(bool show = true) override;
    // Before the first show: a maximised start, restored later to the stored size.
    void Maximize(bool maximize = true) override;

    // The view's window, placed beside the panel (null removes it).
    void SetViewWindow(wxWindow* view);
    // Writes the frame's settings and deletes the recorded temporary files.
    void SaveSettings();
    bool IsPanelRight() const { return m_bPanelRight; }

    CMainDialogBar* m_wndDlgBar = nullptr;
    wxStatusBar* m_wndStatusBar = nullptr;
    std::set<wxString> m_mapTempFiles;

private:
    void FitWholePanel();
    void BuildMenuBar();
    void LoadPanelSettings();
    void Relayout();
    void RefreshRecentFileItems(wxMenu* fileMenu);

    void OnDlgBarLeftRight(wxCommandEvent&);
    void OnClose(wxCloseEvent& event);
    void OnExit(wxCommandEvent&);
    void OnRecentFile(wxCommandEvent& event);
    void OnMenuOpen(wxMenuEvent& event);
    void OnMenuClose(wxMenuEvent& event);
    void OnMenuHighlight(wxMenuEvent& event);
    void OnFocusView(wxCommandEvent&);
    void OnMoveOrSize(wxEvent& event);

    bool m_bPanelRight = true;
    wxWindow* m_viewWindow = nullptr;
    wxRect m_restoredRect;  // the last placement that was neither maximised nor minimised
    wxMenu* m_fileMenu = nullptr;
    std::optional<wxPoint> m_storedPosition;  // until the first show
    wxPrintData m_printDataAtStart;           // paper and orientation as loaded
    enum class FirstRestore { Done, AwaitMaximised, AwaitRestore };
    FirstRestore m_firstRestore = FirstRestore::Done;

    wxDECLARE_DYNAMIC_CLASS(CMainFrame);
    wxDECLARE_EVENT_TABLE();
};
