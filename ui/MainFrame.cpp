#include "ui/MainFrame.h"

#include <algorithm>

#include <wx/accel.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/msgdlg.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/statusbr.h>

#include "ui/ColorButton.h"
#include "ui/CommandIcons.h"
#include "res/CommandIds.h"
#include "ui/MainDialogBar.h"
#include "ui/PanelEvents.h"
#include "ui/PanelSettings.h"
#include "ui/PrintSettings.h"
#include "ui/SettingsStore.h"
#include "ui/StoredPlacement.h"
#include "res/UiTexts.h"
#include "ui/ZoomRates.h"

wxIMPLEMENT_DYNAMIC_CLASS(CMainFrame, wxDocParentFrame);

wxBEGIN_EVENT_TABLE(CMainFrame, wxDocParentFrame)
    EVT_MENU(ID_DLGBAR_LEFT_RIGHT, CMainFrame::OnDlgBarLeftRight)
    EVT_MENU(ID_APP_EXIT, CMainFrame::OnExit)
    EVT_MENU_RANGE(ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST, CMainFrame::OnRecentFile)
    EVT_MENU_OPEN(CMainFrame::OnMenuOpen)
    EVT_MENU_CLOSE(CMainFrame::OnMenuClose)
    EVT_MENU_HIGHLIGHT_ALL(CMainFrame::OnMenuHighlight)
    EVT_CLOSE(CMainFrame::OnClose)
    EVT_COMMAND(wxID_ANY, EVT_VELMOR_FOCUS_VIEW, CMainFrame::OnFocusView)
wxEND_EVENT_TABLE()

namespace {

wxString U(const char* s) { return wxString::FromUTF8(s); }

wxMenuItem* AddItem(wxMenu* menu, int id, const char* text, const char* shortcut = nullptr) {
    wxString label = U(text);
    if (shortcut != nullptr) label += "\t" + wxString(shortcut);
    const CommandText* help = FindCommandText(id);
    auto* item = new wxMenuItem(menu, id, label, help != nullptr ? U(help->prompt) : wxString());
    if (const auto icon = MenuIconFor(PublicId(id))) item->SetBitmap(CommandIcon(*icon));
    return menu->Append(item);
}

std::int32_t Signed(std::uint32_t v) { return static_cast<std::int32_t>(v); }

}  // namespace

bool CMainFrame::Create(wxDocManager* manager) {
    // Placement as stored; the system places a window whose values are unset.
    const std::uint32_t left = ReadSettingInt(kSectionApp, "WinLeft", kUseDefaultPosition);
    const std::uint32_t top = ReadSettingInt(kSectionApp, "WinTop", kUseDefaultPosition);
    const std::uint32_t width = ReadSettingInt(kSectionApp, "WinWidth", kUseDefaultPosition);
    const std::uint32_t height = ReadSettingInt(kSectionApp, "WinHeight", kUseDefaultPosition);
    const bool placed = left != kUseDefaultPosition && top != kUseDefaultPosition;
    const bool defaultSize = width == kUseDefaultPosition || height == kUseDefaultPosition || Signed(width) <= 0 ||
                             Signed(height) <= 0;
    const wxSize size = defaultSize ? wxSize(900, 700) : wxSize(Signed(width), Signed(height));
    if (!wxDocParentFrame::Create(manager, nullptr, wxID_ANY, U(kAppTitle), wxDefaultPosition, size)) return false;
    if (placed) {
        m_storedPosition = wxPoint(Signed(left), Signed(top));
        SetStoredPosition(this, *m_storedPosition);
    }
    m_restoredRect = GetRect();

    BuildMenuBar();

    // No size grip: it would take its room from the picture-size pane.
    m_wndStatusBar = CreateStatusBar(3, wxSTB_DEFAULT_STYLE & ~wxSTB_SIZEGRIP);
    if (m_wndStatusBar == nullptr) {
        wxMessageBox(U(kMsgStatusBarFailed), U(kAppTitle), wxOK | wxICON_EXCLAMATION);
        return false;
    }
    {
        wxClientDC dc(m_wndStatusBar);
        dc.SetFont(m_wndStatusBar->GetFont());
        const int margin = dc.GetTextExtent("0").x * 4;
        const int widths[3] = {-1, dc.GetTextExtent("999999%").x + margin,
                               dc.GetTextExtent(U("99999 × 99999")).x + margin};
        m_wndStatusBar->SetStatusWidths(3, widths);
        // Pane 0 has no border; the zoom and size panes are set off by theirs.
        const int styles[3] = {wxSB_FLAT, wxSB_SUNKEN, wxSB_SUNKEN};
        m_wndStatusBar->SetStatusStyles(3, styles);
    }
    SetStatusText(U(kIdleStatusText), 0);
    SetStatusText(wxString(), 1);
    SetStatusText(wxString(), 2);

    m_bPanelRight = ReadSettingInt(kSectionApp, "DlgRight", 1) != 0;
    m_wndDlgBar = new CMainDialogBar();
    if (!m_wndDlgBar->Create(this, wxID_ANY)) {
        wxMessageBox(U(kMsgDialogBarFailed), U(kAppTitle), wxOK | wxICON_EXCLAMATION);
        return false;
    }
    LoadPanelSettings();
    LoadPrintSettings(manager->GetPageSetupDialogData().GetPrintData());
    m_printDataAtStart = manager->GetPageSetupDialogData().GetPrintData();

    wxAcceleratorEntry keys[] = {
        {wxACCEL_CTRL, 'C', ID_EDIT_COPY},   {wxACCEL_CTRL, WXK_INSERT, ID_EDIT_COPY},
        {wxACCEL_CTRL, 'V', ID_EDIT_PASTE},  {wxACCEL_SHIFT, WXK_INSERT, ID_EDIT_PASTE},
        {wxACCEL_CTRL, 'O', ID_FILE_OPEN},   {wxACCEL_CTRL, 'S', ID_FILE_SAVE},
        {wxACCEL_CTRL, 'P', ID_FILE_PRINT},
        {wxACCEL_NORMAL, WXK_F1, ID_HELP},   {wxACCEL_NORMAL, WXK_F5, ID_MAKE_SKETCH},
    };
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));

    Bind(wxEVT_MOVE, &CMainFrame::OnMoveOrSize, this);
    Bind(wxEVT_SIZE, &CMainFrame::OnMoveOrSize, this);
    Relayout();
    if (defaultSize) FitWholePanel();
    return true;
}

void CMainFrame::FitWholePanel() {
    // A first start shows the whole panel, finishing group included, as far
    // as the screen allows; a stored size is kept as it is.
    const int panel = m_wndDlgBar->FullSize().y;
    const wxSize client = GetClientSize();
    if (client.y >= panel) return;
    const int display = wxDisplay(this).GetClientArea().height;
    const int frameExtra = GetSize().y - client.y;
    const int height = std::min(panel + frameExtra, display);
    if (height > GetSize().y) SetSize(GetSize().x, height);
    m_restoredRect = GetRect();
}

void CMainFrame::BuildMenuBar() {
    auto* file = new wxMenu;
    AddItem(file, ID_FILE_OPEN, "元絵を開く(&O)...", "Ctrl+O");
    AddItem(file, ID_FILE_SAVE, "下絵を保存(&S)...", "Ctrl+S");
    AddItem(file, ID_FILE_PRINT, "印刷(&P)...", "Ctrl+P");
    AddItem(file, ID_FILE_PRINT_PREVIEW, "印刷プレビュー(&V)");
    file->AppendSeparator();
    file->AppendSeparator();
    AddItem(file, ID_APP_EXIT, "アプリケーションの終了(&X)");
    m_fileMenu = file;
    RefreshRecentFileItems(file);

    auto* edit = new wxMenu;
    AddItem(edit, ID_MAKE_SKETCH, "下絵を作成(&M)", "F5");
    edit->AppendSeparator();
    AddItem(edit, ID_EDIT_PASTE, "元絵として貼り付け(&P)", "Ctrl+V");
    AddItem(edit, ID_EDIT_COPY, "元絵/下絵をコピー(&C)", "Ctrl+C");

    auto* view = new wxMenu;
    AddItem(view, ID_TOGGLE_DISPLAY, "元絵/下絵 表示切り替え(&E)");
    AddItem(view, ID_VIEWER, "外部ビューアで表示/印刷(&V)");
    AddItem(view, ID_DLGBAR_LEFT_RIGHT, "ダイアログバー 左右切り替え");
    view->AppendSeparator();
    AddItem(view, ID_OPTIONS, "オプション(&O)...");

    auto* help = new wxMenu;
    AddItem(help, ID_HELP, "ヘルプ(&H)", "F1");
    AddItem(help, ID_APP_ABOUT, "バージョン情報(&A)...");

    auto* bar = new wxMenuBar;
    bar->Append(file, U("ファイル(&F)"));
    bar->Append(edit, U("編集(&E)"));
    bar->Append(view, U("表示(&V)"));
    bar->Append(help, U("ヘルプ(&H)"));
    SetMenuBar(bar);
}

void CMainFrame::RefreshRecentFileItems(wxMenu* file) {
    // The recent files stand between the two separators after Save and Print.
    for (int id = ID_FILE_MRU_FIRST; id <= ID_FILE_MRU_LAST; ++id)
        if (wxMenuItem* item = file->FindChildItem(id)) file->Destroy(item);
    size_t first = 0;
    while (first < file->GetMenuItemCount() && !file->FindItemByPosition(first)->IsSeparator()) ++first;
    ++first;
    wxFileHistory* history = m_docManager != nullptr ? m_docManager->GetFileHistory() : nullptr;
    const size_t count = history != nullptr ? std::min<size_t>(history->GetCount(), 8) : 0;
    const wxString prompt = U(FindCommandText(ID_FILE_MRU_FIRST)->prompt);
    if (count == 0) {
        file->Insert(first, ID_FILE_MRU_FIRST, U("最近使ったファイル"), prompt)->Enable(false);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        wxString path = history->GetHistoryFile(i);
        path.Replace("&", "&&");
        file->Insert(first + i, ID_FILE_MRU_FIRST + static_cast<int>(i), wxString::Format("&%d %s", int(i + 1), path),
                     prompt);
    }
}

void CMainFrame::LoadPanelSettings() {
    const StoredPanelSettings d = DefaultStoredPanelSettings();
    const PanelSettings s = PanelSettingsFromStore({
        ReadSettingInt(kSectionSettings, "LineStrong", d.lineStrong),
        ReadSettingInt(kSectionSettings, "LineRemove", d.lineRemove),
        ReadSettingInt(kSectionSettings, "Denoise", d.denoise),
        ReadSettingInt(kSectionSettings, "LineColor", d.lineColor),
        ReadSettingInt(kSectionSettings, "FrameColor", d.frameColor),
        ReadSettingInt(kSectionSettings, "ViewRate", d.viewRate),
        ReadSettingInt(kSectionSettings, "LineThicken", d.lineThicken),
        ReadSettingInt(kSectionSettings, "SpeckRemove", d.speckRemove),
    });
    m_wndDlgBar->SetParameters(s.sketch);
    m_wndDlgBar->SelectViewRate(s.viewRate);
}

void CMainFrame::SetViewWindow(wxWindow* view) {
    m_viewWindow = view;
    Relayout();
}

void CMainFrame::Relayout() {
    SetSizer(nullptr, true);
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    if (!m_bPanelRight && m_wndDlgBar != nullptr) sizer->Add(m_wndDlgBar, 0, wxEXPAND);
    if (m_viewWindow != nullptr) sizer->Add(m_viewWindow, 1, wxEXPAND);
    if (m_bPanelRight && m_wndDlgBar != nullptr) sizer->Add(m_wndDlgBar, 0, wxEXPAND);
    SetSizer(sizer, false);
    Layout();
}

void CMainFrame::Maximize(bool maximize) {
    if (!IsShown()) m_firstRestore = maximize ? FirstRestore::AwaitMaximised : FirstRestore::Done;
    wxDocParentFrame::Maximize(maximize);
}

bool CMainFrame::Show(bool show) {
    const bool changed = wxDocParentFrame::Show(show);
    if (show && m_storedPosition) {
        ConfirmStoredPosition(this, *m_storedPosition);
        m_storedPosition.reset();  // only the first show comes back; later the person moves it
    }
    return changed;
}

void CMainFrame::OnDlgBarLeftRight(wxCommandEvent&) {
    // The tool tips and prompts stay with the controls on either side.
    m_bPanelRight = !m_bPanelRight;
    Relayout();
}

void CMainFrame::OnMoveOrSize(wxEvent& event) {
    // Before the window maps, wx passes through makeshift sizes.
    if (!IsWindowMapped(this)) return event.Skip();
    const bool normal = !IsMaximized() && !IsIconized() && !IsFullScreen();
    if (m_firstRestore == FirstRestore::AwaitMaximised && IsMaximized()) {
        m_firstRestore = FirstRestore::AwaitRestore;
    } else if (m_firstRestore == FirstRestore::AwaitRestore && normal) {
        // A window that maps maximised has no normal size of its own yet
        // (the window manager restores it to whatever it had): the stored one.
        m_firstRestore = FirstRestore::Done;
        const wxRect stored = m_restoredRect;
        CallAfter([this, stored] { SetSize(stored); });
        return event.Skip();
    }
    if (normal) m_restoredRect = GetRect();
    event.Skip();
}

void CMainFrame::SaveSettings() {
    PanelSettings s;
    s.sketch = m_wndDlgBar->Parameters();
    s.viewRate = RateForZoomItem(m_wndDlgBar->m_comboViewRate->GetSelection());
    const StoredPanelSettings stored = PanelSettingsToStore(s);
    WriteSettingInt(kSectionSettings, "LineStrong", stored.lineStrong);
    WriteSettingInt(kSectionSettings, "LineRemove", stored.lineRemove);
    WriteSettingInt(kSectionSettings, "Denoise", stored.denoise);
    WriteSettingInt(kSectionSettings, "LineColor", stored.lineColor);
    WriteSettingInt(kSectionSettings, "FrameColor", stored.frameColor);
    WriteSettingInt(kSectionSettings, "ViewRate", stored.viewRate);
    WriteSettingInt(kSectionSettings, "LineThicken", stored.lineThicken);
    WriteSettingInt(kSectionSettings, "SpeckRemove", stored.speckRemove);

    // The restored rectangle, also when the window is maximised or minimised.
    const bool restored = IsShown() && !IsMaximized() && !IsIconized() && !IsFullScreen();
    const wxRect r = restored ? GetRect() : m_restoredRect;
    WriteSettingInt(kSectionApp, "WinLeft", static_cast<std::uint32_t>(r.x));
    WriteSettingInt(kSectionApp, "WinTop", static_cast<std::uint32_t>(r.y));
    WriteSettingInt(kSectionApp, "WinWidth", static_cast<std::uint32_t>(r.width));
    WriteSettingInt(kSectionApp, "WinHeight", static_cast<std::uint32_t>(r.height));
    WriteSettingInt(kSectionApp, "WinZoom", IsMaximized() && !IsIconized() ? 1 : 0);
    WriteSettingInt(kSectionApp, "DlgRight", m_bPanelRight ? 1 : 0);
    // Paper and orientation only once chosen: an untouched default stays unwritten.
    if (m_docManager != nullptr) {
        const wxPrintData& print = m_docManager->GetPageSetupDialogData().GetPrintData();
        if (PaperOrOrientationDiffer(print, m_printDataAtStart)) SavePrintSettings(print);
    }
    FlushSettings();

    for (const wxString& path : m_mapTempFiles) wxRemoveFile(path);
}

// Also the path of a log-off or shut-down: the application asks the main
// window to close then, and a refused end of session never gets here.
void CMainFrame::OnClose(wxCloseEvent& event) {
    SaveSettings();
    event.Skip();  // the document/view framework closes the document and the window
}

void CMainFrame::OnExit(wxCommandEvent&) { Close(); }

void CMainFrame::OnRecentFile(wxCommandEvent& event) {
    wxFileHistory* history = m_docManager->GetFileHistory();
    const size_t n = static_cast<size_t>(event.GetId() - ID_FILE_MRU_FIRST);
    if (history == nullptr || n >= history->GetCount()) return;
    const wxString path = history->GetHistoryFile(n);
    if (m_docManager->CreateDocument(path, wxDOC_SILENT) == nullptr && !wxFileName::FileExists(path))
        history->RemoveFileFromHistory(n);
}

void CMainFrame::OnMenuOpen(wxMenuEvent& event) {
    if (event.GetMenu() == m_fileMenu) RefreshRecentFileItems(m_fileMenu);
    event.Skip();
}

void CMainFrame::OnMenuHighlight(wxMenuEvent& event) {
    const CommandText* text = FindCommandText(event.GetMenuId());
    SetStatusText(text != nullptr ? U(text->prompt) : wxString(), 0);
}

void CMainFrame::OnMenuClose(wxMenuEvent& event) {
    SetStatusText(U(kIdleStatusText), 0);
    event.Skip();
}

void CMainFrame::OnFocusView(wxCommandEvent&) {
    if (m_viewWindow != nullptr) m_viewWindow->SetFocus();
}
