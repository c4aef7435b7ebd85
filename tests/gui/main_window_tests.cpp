// The main window as a whole: start-up with stored settings, the panel's
// controls and their states, the status bar, loading pictures, the view's
// drawing and the settings written at close.
#include "tests/gui/MainWindowFixture.h"

namespace {

TEST_F(MainWindow, FirstRunUsesDefaults) {
    Start();
    ASSERT_NE(frame_, nullptr);
    CMainDialogBar* bar = frame_->m_wndDlgBar;
    EXPECT_EQ(bar->m_sliderLineStrong->GetValue(), 3);
    EXPECT_EQ(bar->m_sliderLineStrong->GetMin(), 1);
    EXPECT_EQ(bar->m_sliderLineStrong->GetMax(), 11);
    EXPECT_EQ(bar->m_sliderLineRemove->GetValue(), 0);
    EXPECT_EQ(bar->m_sliderLineRemove->GetMax(), 10);
    EXPECT_FALSE(bar->DenoiseBox()->GetValue());
    EXPECT_EQ(bar->m_btnLineColor->m_color, 0x800000u);
    EXPECT_EQ(bar->m_btnFrameColor->m_color, 0xFFFFFFu);
    EXPECT_EQ(bar->m_comboViewRate->GetSelection(), 3);
    ASSERT_EQ(bar->m_comboViewRate->GetCount(), 8u);
    const char* items[] = {"25%", "50%", "75%", "100%", "200%", "400%", "800%", "全体表示"};
    for (unsigned i = 0; i < 8; ++i) EXPECT_EQ(bar->m_comboViewRate->GetString(i), U(items[i]));
    EXPECT_TRUE(frame_->IsPanelRight());
    EXPECT_GT(bar->GetPosition().x, View()->GetCanvas()->GetPosition().x);

    EXPECT_EQ(Pane(0), U(kIdleStatusText));
    EXPECT_EQ(Pane(1), "");
    EXPECT_EQ(Pane(2), "");
    EXPECT_EQ(frame_->GetTitle(), U("ファイル未指定 - ヴェルモア"));
}

TEST_F(MainWindow, StoredSettingsComeBackAndAreWrittenAtClose) {
    WriteSettingInt(kSectionSettings, "LineStrong", 40);
    WriteSettingInt(kSectionSettings, "LineRemove", 44);
    WriteSettingInt(kSectionSettings, "Denoise", 7);
    WriteSettingInt(kSectionSettings, "LineColor", 0x00FF00);
    WriteSettingInt(kSectionSettings, "FrameColor", 0x000000);
    WriteSettingInt(kSectionSettings, "ViewRate", 0);
    WriteSettingInt(kSectionApp, "DlgRight", 0);
    WriteSettingString(kSectionSettings, "ViewerType", "not a number");
    FlushSettings();

    Start();
    ASSERT_NE(frame_, nullptr);
    CMainDialogBar* bar = frame_->m_wndDlgBar;
    EXPECT_EQ(bar->m_sliderLineStrong->GetValue(), 11);  // clamped
    EXPECT_EQ(bar->m_sliderLineRemove->GetValue(), 5);   // 44 / 8
    EXPECT_TRUE(bar->DenoiseBox()->GetValue());
    EXPECT_EQ(bar->m_btnLineColor->m_color, 0x00FF00u);
    EXPECT_EQ(bar->m_btnFrameColor->m_color, 0u);
    EXPECT_EQ(bar->m_comboViewRate->GetSelection(), 7);
    EXPECT_FALSE(frame_->IsPanelRight());
    EXPECT_LT(bar->GetPosition().x, View()->GetCanvas()->GetPosition().x);
    EXPECT_EQ(ReadSettingInt(kSectionSettings, "ViewerType", 0), 0u);  // text reads as the default

    bar->m_comboViewRate->SetSelection(5);
    CloseWindow();
    EXPECT_EQ(ReadSettingInt(kSectionSettings, "LineStrong", 0), 11u);
    EXPECT_EQ(ReadSettingInt(kSectionSettings, "LineRemove", 0), 40u);
    EXPECT_EQ(ReadSettingInt(kSectionSettings, "Denoise", 0), 1u);
    EXPECT_EQ(ReadSettingInt(kSectionSettings, "ViewRate", 0), 4000u);
    EXPECT_EQ(ReadSettingInt(kSectionApp, "DlgRight", 9), 0u);
    EXPECT_EQ(ReadSettingInt(kSectionApp, "WinZoom", 9), 0u);
    EXPECT_NE(ReadSettingInt(kSectionApp, "WinWidth", kUseDefaultPosition), kUseDefaultPosition);
    // The store on disk holds them too.
    EXPECT_TRUE(fs::exists(dir_ / "config" / "Tolvane" / "Velmor.conf"));
}

TEST_F(MainWindow, PanelControlsFollowThePicture) {
    Start();
    ASSERT_NE(frame_, nullptr);
    const int needOriginal[] = {IDC_LINE_STRONG,   IDC_LINE_REMOVE,   IDC_DENOISE,      IDC_LINE_COLOR,
                                IDC_FRAME_COLOR,   IDC_VIEW_RATE,     IDC_GROUP_OPTIONS, IDC_LABEL_STRONG,
                                IDC_LABEL_REMOVE,  IDC_LABEL_RATE,    IDC_GROUP_FINISH,  IDC_LABEL_THICKEN,
                                IDC_LINE_THICKEN,  IDC_LABEL_SPECK,   IDC_SPECK_REMOVE};
    for (int id : needOriginal) EXPECT_FALSE(Control(id)->IsEnabled()) << id;

    const fs::path pic = dir_ / "pic.png";
    WritePicture(pic, 64, 48, false);
    ASSERT_TRUE(manager_->OpenOriginal(pic.string()));
    Settle();
    for (int id : needOriginal) EXPECT_TRUE(Control(id)->IsEnabled()) << id;
    EXPECT_EQ(Pane(2), U("64 × 48"));
    EXPECT_EQ(Pane(1), "100%");
    EXPECT_EQ(frame_->GetTitle(), "pic.png - " + U(kAppTitle));
    EXPECT_FALSE(Doc()->m_bTransparent);
    EXPECT_EQ(manager_->GetFileHistory()->GetHistoryFile(0), wxString(pic.string()));
}

TEST_F(MainWindow, RecentFilesReopenAndSurviveTheStore) {
    Start();
    ASSERT_NE(frame_, nullptr);
    const fs::path first = dir_ / "first.png", second = dir_ / "second.png";
    WritePicture(first, 20, 10, false);
    WritePicture(second, 30, 10, false);
    ASSERT_TRUE(manager_->OpenOriginal(first.string()));
    ASSERT_TRUE(manager_->OpenOriginal(second.string()));
    Command(ID_FILE_MRU_FIRST + 1);  // the older entry
    EXPECT_EQ(Doc()->m_strOriginalPath, wxString(first.string()));
    EXPECT_EQ(Pane(2), U("20 × 10"));

    // A listed file that has gone is reported and leaves the list.
    fs::remove(second);
    Command(ID_FILE_MRU_FIRST + 1);
    EXPECT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(manager_->GetFileHistory()->GetCount(), 1u);

    SaveRecentFiles(*manager_->GetFileHistory());
    EXPECT_EQ(ReadSettingString("Recent File List", "File1"), wxString(first.string()));
    EXPECT_EQ(ReadSettingString("Recent File List", "File2"), "");
}

TEST_F(MainWindow, FailedLoadLeavesAnEmptyUntitledDocument) {
    const fs::path good = dir_ / "good.png", text = dir_ / "text.png";
    WritePicture(good, 10, 10, true);
    std::ofstream(text) << "this is not a picture";
    Start(good.string());
    ASSERT_NE(frame_, nullptr);
    EXPECT_TRUE(Doc()->m_bTransparent);

    EXPECT_FALSE(manager_->OpenOriginal(text.string()));
    Settle();
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0], U(kMsgUnsupportedData));
    EXPECT_EQ(Doc()->m_pOriginal, nullptr);
    EXPECT_FALSE(Doc()->m_bTransparent);
    EXPECT_EQ(frame_->GetTitle(), U("ファイル未指定 - ヴェルモア"));
    EXPECT_FALSE(Control(IDC_LINE_STRONG)->IsEnabled());
}

TEST_F(MainWindow, MissingStartPictureEndsWithoutAWindow) {
    Start((dir_ / "missing.jpg").string());
    EXPECT_EQ(frame_, nullptr);
    EXPECT_EQ(g_messages.size(), 1u);
}

// The finishing group lies below the last button; every other control is
// where it always was, and the panel's first and last tab stops are still
// the open and save buttons.
TEST_F(MainWindow, FinishingGroupBelowTheButtons) {
    WriteSettingInt(kSectionSettings, "LineThicken", 9);
    WriteSettingInt(kSectionSettings, "SpeckRemove", 3);
    FlushSettings();
    Start();
    ASSERT_NE(frame_, nullptr);
    CMainDialogBar* bar = frame_->m_wndDlgBar;
    struct Place {
        int id, x, y, w, h;  // dialog units
    };
    const Place places[] = {
        {ID_FILE_OPEN, 6, 6, 84, 18},          {ID_MAKE_SKETCH, 6, 30, 84, 18},
        {IDC_LINE_STRONG, 12, 75, 72, 24},     {IDC_LINE_REMOVE, 12, 111, 72, 24},
        {IDC_LINE_COLOR, 12, 159, 72, 14},     {IDC_FRAME_COLOR, 12, 177, 72, 14},
        {ID_TOGGLE_DISPLAY, 6, 223, 84, 18},   {ID_VIEWER, 6, 247, 84, 18},
        {ID_FILE_SAVE, 6, 271, 84, 18},        {IDC_GROUP_FINISH, 6, 296, 84, 88},
        {IDC_LINE_THICKEN, 12, 317, 72, 24},   {IDC_SPECK_REMOVE, 12, 353, 72, 24},
    };
    for (const Place& p : places) {
        wxWindow* control = Control(p.id);
        ASSERT_NE(control, nullptr) << p.id;
        EXPECT_EQ(control->GetPosition(), wxDLG_UNIT(bar, wxPoint(p.x, p.y))) << p.id;
        EXPECT_EQ(control->GetSize(), wxDLG_UNIT(bar, wxSize(p.w, p.h))) << p.id;
    }
    EXPECT_GE(Control(IDC_GROUP_FINISH)->GetRect().GetTop(), Control(ID_FILE_SAVE)->GetRect().GetBottom());
    EXPECT_EQ(Control(IDC_LINE_THICKEN)->GetToolTipText(), U("線を太く"));
    EXPECT_EQ(Control(IDC_SPECK_REMOVE)->GetToolTipText(), U("小さな点を除去"));
    EXPECT_EQ(bar->PromptAt(Control(IDC_LINE_THICKEN)->GetRect().GetPosition() + wxPoint(2, 2)),
              U("下絵の線を太くします。"));
    EXPECT_EQ(bar->PromptAt(Control(IDC_SPECK_REMOVE)->GetRect().GetPosition() + wxPoint(2, 2)),
              U("下絵の小さな点を除去します。"));
    EXPECT_EQ(bar->m_sliderLineThicken->GetMax(), 4);
    EXPECT_EQ(bar->m_sliderSpeckRemove->GetMax(), 10);
    EXPECT_EQ(bar->m_sliderLineThicken->GetValue(), 4);  // 9 clamped
    EXPECT_EQ(bar->m_sliderSpeckRemove->GetValue(), 3);

    // Tab and Shift+Tab from the view: the panel's ends (with a sketch, so
    // that every control takes the focus).
    ASSERT_TRUE(manager_->OpenOriginal((fs::path(VELMOR_SOURCE_DIR) / "samples" / "cat.png").string()));
    Settle();
    Command(ID_MAKE_SKETCH);
    bar->FocusEdgeControl(true);
    Settle();
    EXPECT_EQ(wxWindow::FindFocus(), Control(ID_FILE_OPEN));
    bar->FocusEdgeControl(false);
    Settle();
    EXPECT_EQ(wxWindow::FindFocus(), Control(ID_FILE_SAVE));

    bar->m_sliderLineThicken->SetValue(1);
    bar->m_sliderSpeckRemove->SetValue(10);
    CloseWindow();
    EXPECT_EQ(ReadSettingInt(kSectionSettings, "LineThicken", 9), 1u);
    EXPECT_EQ(ReadSettingInt(kSectionSettings, "SpeckRemove", 9), 10u);
}

TEST_F(MainWindow, PanelSideSwitchKeepsToolTips) {
    Start();
    ASSERT_NE(frame_, nullptr);
    EXPECT_EQ(Control(IDC_LINE_STRONG)->GetToolTipText(), U("線の濃さ"));
    Command(ID_DLGBAR_LEFT_RIGHT);
    EXPECT_FALSE(frame_->IsPanelRight());
    EXPECT_LT(frame_->m_wndDlgBar->GetPosition().x, View()->GetCanvas()->GetPosition().x);
    EXPECT_EQ(Control(IDC_LINE_STRONG)->GetToolTipText(), U("線の濃さ"));
    EXPECT_EQ(Control(ID_FILE_OPEN)->GetToolTipText(), U("元絵を開く"));
    Command(ID_DLGBAR_LEFT_RIGHT);
    EXPECT_TRUE(frame_->IsPanelRight());
}

TEST_F(MainWindow, MenusCarryTextsAndPrompts) {
    Start();
    ASSERT_NE(frame_, nullptr);
    wxMenuBar* bar = frame_->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 4u);
    EXPECT_EQ(bar->GetMenuLabel(0), U("ファイル(&F)"));
    struct Item {
        int id;
        const char* label;
    };
    const Item items[] = {
        {ID_FILE_OPEN, "元絵を開く(&O)...\tCtrl+O"}, {ID_FILE_SAVE, "下絵を保存(&S)...\tCtrl+S"},
        {ID_MAKE_SKETCH, "下絵を作成(&M)\tF5"},       {ID_EDIT_COPY, "元絵/下絵をコピー(&C)\tCtrl+C"},
        {ID_DLGBAR_LEFT_RIGHT, "ダイアログバー 左右切り替え"}, {ID_HELP, "ヘルプ(&H)\tF1"},
    };
    for (const auto& it : items) {
        wxMenuItem* item = bar->FindItem(it.id);
        ASSERT_NE(item, nullptr) << it.id;
        EXPECT_EQ(item->GetItemLabel(), U(it.label));
        EXPECT_EQ(item->GetHelp(), U(FindCommandText(it.id)->prompt));
    }
    // The recent-file placeholder is greyed while the list is empty.
    wxMenuItem* mru = bar->FindItem(ID_FILE_MRU_FIRST);
    ASSERT_NE(mru, nullptr);
    EXPECT_FALSE(mru->IsEnabled());
}

// The view drawn off screen: picture at the top-left, window-colour margins,
// fit rate in the zoom pane.
TEST_F(MainWindow, ViewDrawsPictureAndMargins) {
    const fs::path pic = dir_ / "pic.png";
    WritePicture(pic, 1600, 1200, false);
    Start(pic.string());
    ASSERT_NE(frame_, nullptr);
    CVelmorCanvas* canvas = View()->GetCanvas();
    ASSERT_GT(canvas->GetClientSize().x, 200);
    ASSERT_LT(canvas->GetClientSize().x, 1600);

    // Fitted to the client area that the fitted picture leaves, without
    // scroll bars (the larger sizes have them).
    int fitRate = 0;
    for (int item : {0, 1, 7}) {
        SCOPED_TRACE(item);
        frame_->m_wndDlgBar->m_comboViewRate->SetSelection(item);
        View()->ZoomChanged();
        Settle();
        const wxSize client = canvas->GetClientSize();
        fitRate = std::min(client.x * 1000 / 1600, client.y * 1000 / 1200);
        const wxSize drawn = item == 0 ? wxSize(400, 300)
                           : item == 1 ? wxSize(800, 600)
                                       : wxSize(1600 * fitRate / 1000, 1200 * fitRate / 1000);
        const struct {
            int item;
            wxSize drawn;
        } c{item, drawn};
        canvas->InvalidateCache();
        wxBitmap bmp(client.x, client.y, 24);
        {
            wxMemoryDC dc(bmp);
            canvas->PaintTo(dc, wxPoint(0, 0), client);
        }
        wxImage img = bmp.ConvertToImage();
        const wxColour window = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
        auto isPicture = [&](int x, int y) {
            return img.GetRed(x, y) == 30 && img.GetGreen(x, y) == 40 && img.GetBlue(x, y) == 200;
        };
        auto isWindow = [&](int x, int y) {
            return img.GetRed(x, y) == window.Red() && img.GetGreen(x, y) == window.Green() &&
                   img.GetBlue(x, y) == window.Blue();
        };
        EXPECT_TRUE(isPicture(0, 0));
        EXPECT_TRUE(isPicture(std::min(c.drawn.x, client.x) - 1, std::min(c.drawn.y, client.y) - 1));
        if (c.drawn.x < client.x) {
            EXPECT_TRUE(isWindow(c.drawn.x, 0));
        }
        if (c.drawn.y < client.y) {
            EXPECT_TRUE(isWindow(0, c.drawn.y));
        }
    }
    EXPECT_EQ(Pane(1), wxString::Format("%d%%", (fitRate + 5) / 10));
}

TEST_F(MainWindow, EmptyViewShowsThePrompt) {
    Start();
    ASSERT_NE(frame_, nullptr);
    CVelmorCanvas* canvas = View()->GetCanvas();
    const wxSize client = canvas->GetClientSize();
    wxBitmap bmp(client.x, client.y, 24);
    {
        wxMemoryDC dc(bmp);
        canvas->PaintTo(dc, wxPoint(0, 0), client);
    }
    wxImage img = bmp.ConvertToImage();
    // Grey text around the centre, window colour in the corners.
    const wxColour window = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    EXPECT_EQ(img.GetRed(0, 0), window.Red());
    int inked = 0;
    for (int x = 0; x < client.x; ++x)
        for (int dy = -10; dy <= 10; ++dy)
            if (img.GetRed(x, client.y / 2 + dy) != window.Red()) ++inked;
    EXPECT_GT(inked, 100);
    EXPECT_EQ(Pane(1), "");  // the zoom pane is not touched
}

}  // namespace

namespace {

// Two running copies: each write changes only its own key in the file as it
// is now, and each read sees the other copy's writes at once.
TEST_F(MainWindow, SettingsStoreKeepsAnotherCopysChanges) {
    const wxString file = (dir_ / "config" / "Tolvane" / "Velmor.conf").string();
    ASSERT_TRUE(WriteSettingInt(kSectionSettings, "LineStrong", 5));
    {
        wxFileConfig other(wxEmptyString, wxEmptyString, file, wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
        other.Write("/Settings/ViewerPath", "/usr/bin/eog");
        other.Flush();
    }
    EXPECT_EQ(ReadSettingString(kSectionSettings, "ViewerPath"), "/usr/bin/eog");
    ASSERT_TRUE(WriteSettingInt(kSectionSettings, "Denoise", 1));
    ASSERT_TRUE(WriteSettingString(kSectionApp, "Note", "a"));

    wxFileConfig disk(wxEmptyString, wxEmptyString, file, wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
    EXPECT_EQ(disk.Read("/Settings/LineStrong", 0L), 5);
    EXPECT_EQ(disk.Read("/Settings/ViewerPath", wxString()), "/usr/bin/eog");
    EXPECT_EQ(disk.Read("/Settings/Denoise", 0L), 1);
    EXPECT_EQ(disk.Read("/Note", wxString()), "a");
    // Nothing else keeps a store of its own (the help window would write its
    // state into it).
    EXPECT_EQ(wxConfigBase::Get(), nullptr);
    EXPECT_EQ(fs::status(file.utf8_string()).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);
}

// A picture named by a relative path is kept by its full path, in the
// document and in the recent-file list.
TEST_F(MainWindow, RelativePathsAreKeptInFull) {
    const fs::path pic = dir_ / "rel.png";
    WritePicture(pic, 8, 8, false);
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    Start("rel.png");
    fs::current_path(before);
    ASSERT_NE(frame_, nullptr);
    EXPECT_EQ(Doc()->m_strOriginalPath, wxString(pic.string()));
    EXPECT_EQ(manager_->GetFileHistory()->GetHistoryFile(0), wxString(pic.string()));
    CloseWindow();
    SaveRecentFiles(*manager_->GetFileHistory());
    EXPECT_EQ(ReadSettingString("Recent File List", "File1"), wxString(pic.string()));
}

}  // namespace
