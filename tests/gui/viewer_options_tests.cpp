// The way to paper and the rest of the program in the real window: the
// displayed picture handed to a stub viewer that records its arguments, the
// temporary files, the options dialog, the About dialog and the help topics.
#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/fs_arc.h>
#include <wx/html/helpdata.h>
#include <wx/html/helpfrm.h>
#include <wx/hyperlink.h>
#include <wx/timer.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

#include "MainWindowFixture.h"
#include "app/AboutDlg.h"
#include "app/ExternalViewer.h"
#include "app/HelpBook.h"
#include "app/OptionPropertySheet.h"
#include "app/OptionViewerPage.h"
#include "imaging/codecs/Decode.h"

namespace {

using Args = std::vector<std::string>;

// The format a file's first bytes announce.
std::string Signature(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char b[8] = {};
    in.read(b, sizeof b);
    const std::string head(b, sizeof b);
    if (head.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) return "png";
    if (head.compare(0, 3, "\xff\xd8\xff") == 0) return "jpeg";
    if (head.compare(0, 2, "BM") == 0) return "bmp";
    if (head.compare(0, 4, "GIF8") == 0) return "gif";
    if (head.compare(0, 4, "II*\0", 4) == 0 || head.compare(0, 4, "MM\0*", 4) == 0) return "tiff";
    return "?";
}

class ExternalViewer : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        const char* tmp = std::getenv("TMPDIR");
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        savedTmp_ = tmp ? std::optional<std::string>(tmp) : std::nullopt;
        savedRuntime_ = runtime ? std::optional<std::string>(runtime) : std::nullopt;
        fs::create_directories(dir_ / "tmp");
        ::setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
        ::unsetenv("XDG_RUNTIME_DIR");
        stub_ = dir_ / "ビューア stub";
        std::ofstream(stub_) << "#!/bin/sh\n: > \"$0.part\"\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$0.part\"; done\n"
                                "mv \"$0.part\" \"$0.args\"\n";
        fs::permissions(stub_, fs::perms::owner_all);
        WritePicture(dir_ / "pic.png", 64, 48, false);
        Start((dir_ / "pic.png").string());
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override {
        MainWindow::TearDown();
        Restore("TMPDIR", savedTmp_);
        Restore("XDG_RUNTIME_DIR", savedRuntime_);
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    void UseStub(const char* option) {
        WriteSettingInt(kSectionSettings, "ViewerType", 1);
        WriteSettingString(kSectionSettings, "ViewerPath", wxString::FromUTF8(stub_.string()));
        WriteSettingString(kSectionSettings, "ViewerOption", U(option));
    }
    // What the stub was started with, once it has finished.
    std::optional<Args> Recorded() {
        const fs::path record = stub_.string() + ".args";
        for (int i = 0; i < 500; ++i) {
            if (fs::exists(record)) {
                std::ifstream in(record);
                Args args;
                for (std::string line; std::getline(in, line);) args.push_back(line);
                in.close();
                fs::remove(record);
                return args;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::nullopt;
    }
    fs::path stub_;
    std::optional<std::string> savedTmp_, savedRuntime_;
};

TEST_F(ExternalViewer, HandsOverTheDisplayedPictureInTheChosenType) {
    struct Case {
        bool sketch;
        const char* type;  // stored "TmpFileType"; null: absent
        const char* name;
        const char* format;
    };
    const Case cases[] = {
        {false, nullptr, "kolmi_motoe.png", "png"},
        {false, "JPEG", "kolmi_motoe.jpg", "jpeg"},
        {true, "PNG", "kolmi_shitae.png", "png"},
        {true, "tiff", "kolmi_shitae.tif", "tiff"},
        {true, "BMP", "kolmi_shitae.bmp", "bmp"},
        {true, "GIF", "kolmi_shitae.gif", "gif"},
        {true, "WEBP", "kolmi_shitae.png", "png"},
    };
    UseStub("--print \"%1\" --title=%1");
    Command(ID_MAKE_SKETCH);
    for (const Case& c : cases) {
        if (c.type != nullptr) WriteSettingString(kSectionSettings, "TmpFileType", c.type);
        if (View()->m_bShowOriginal == c.sketch) Command(ID_TOGGLE_DISPLAY);
        ASSERT_EQ(View()->m_bShowOriginal, !c.sketch);
        Command(ID_VIEWER);
        const auto args = Recorded();
        ASSERT_TRUE(args.has_value()) << c.name;
        ASSERT_EQ(args->size(), 3u) << c.name;
        const fs::path file = (*args)[1];
        EXPECT_EQ(file.filename(), c.name);
        EXPECT_EQ((*args)[0], "--print");
        EXPECT_EQ((*args)[2], "--title=" + file.string());
        EXPECT_EQ(Signature(file), c.format) << c.name;
        EXPECT_EQ(imaging::DecodeFile(file).Width(), 64u) << c.name;
        EXPECT_EQ(frame_->m_mapTempFiles.count(wxString::FromUTF8(file.string())), 1u);
    }
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(ExternalViewer, TemporaryFilesAreListedOnceAndDeletedAtClose) {
    UseStub("");  // the path alone
    Command(ID_VIEWER);
    Command(ID_VIEWER);
    const auto args = Recorded();
    ASSERT_TRUE(args.has_value());
    ASSERT_EQ(args->size(), 1u);
    const fs::path file = (*args)[0];
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(frame_->m_mapTempFiles.size(), 1u);
    // Private to the user: the folder is the one the temporary-folder service made.
    EXPECT_EQ((fs::status(file.parent_path()).permissions() & fs::perms::all), fs::perms::owner_all);
    CloseWindow();
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(ExternalViewer, FailuresAreShownWithTheirCode) {
    struct Case {
        const char* path;
        const char* option;
        int code;
    };
    const Case cases[] = {
        {"/nonexistent/viewer", "%1", 2},
        {nullptr, "\"%1", 11},  // the stub, with an option text that does not split
    };
    for (const Case& c : cases) {
        UseStub(c.option);
        if (c.path != nullptr) WriteSettingString(kSectionSettings, "ViewerPath", c.path);
        g_messages.clear();
        Command(ID_VIEWER);
        ASSERT_EQ(g_messages.size(), 1u);
        EXPECT_EQ(g_messages[0], wxString::Format(U(kMsgViewerFailed), c.code));
        // Written and listed before the start failed: deleted at close.
        ASSERT_EQ(frame_->m_mapTempFiles.size(), 1u);
        EXPECT_TRUE(fs::exists(frame_->m_mapTempFiles.begin()->utf8_string()));
    }
}

// --- the options dialog -------------------------------------------------------

class Options : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        Start();
        ASSERT_NE(frame_, nullptr);
    }
    // Runs `steps` inside the modal sheet, which they must end.
    void WithSheet(std::function<void(COptionPropertySheet&)> steps) {
        COptionPropertySheet sheet(frame_);
        wxTheApp->CallAfter([&] { steps(sheet); });
        sheet.ShowModal();
    }
    static void Click(wxWindow* button) {
        wxCommandEvent e(wxEVT_BUTTON, button->GetId());
        e.SetEventObject(button);
        button->ProcessWindowEvent(e);
    }
    static void Choose(wxRadioButton* radio) {
        radio->SetValue(true);
        wxCommandEvent e(wxEVT_RADIOBUTTON, radio->GetId());
        e.SetEventObject(radio);
        radio->ProcessWindowEvent(e);
    }
    static bool FieldsEnabled(const COptionViewerPage& p) {
        const bool all = p.m_labelPath->IsEnabled() && p.m_editPath->IsEnabled() && p.m_btnBrowse->IsEnabled() &&
                         p.m_labelOption->IsEnabled() && p.m_editOption->IsEnabled();
        const bool any = p.m_labelPath->IsEnabled() || p.m_editPath->IsEnabled() || p.m_btnBrowse->IsEnabled() ||
                         p.m_labelOption->IsEnabled() || p.m_editOption->IsEnabled();
        EXPECT_EQ(all, any) << "the five controls go together";
        return all;
    }
    static wxString Stored(const char* key) { return ReadSettingString(kSectionSettings, key, "<absent>"); }
};

TEST_F(Options, OpensWithTheStoredSettings) {
    struct Case {
        const char* viewerType;  // as stored; null: absent
        const char* tmpType;
        bool named;
        int selection;
    };
    const Case cases[] = {
        {nullptr, nullptr, false, 2}, {"0", "jpeg", false, 1}, {"1", "TIFF", true, 4},
        {"2", "webp", true, wxNOT_FOUND},
    };
    for (const Case& c : cases) {
        if (c.viewerType != nullptr) WriteSettingString(kSectionSettings, "ViewerType", c.viewerType);
        if (c.tmpType != nullptr) WriteSettingString(kSectionSettings, "TmpFileType", c.tmpType);
        WriteSettingString(kSectionSettings, "ViewerPath", "/usr/bin/eog");
        WriteSettingString(kSectionSettings, "ViewerOption", "--fullscreen %1");
        WithSheet([&](COptionPropertySheet& sheet) {
            COptionViewerPage& p = *sheet.m_pageViewer;
            EXPECT_EQ(sheet.GetTitle(), U("オプション"));
            EXPECT_EQ(p.m_radioViewer->GetValue(), c.named);
            EXPECT_EQ(p.m_radioAssociated->GetValue(), !c.named);
            EXPECT_EQ(FieldsEnabled(p), c.named);
            EXPECT_TRUE(p.m_comboTmpFileType->IsEnabled());
            // The texts stay in the fields while they are disabled.
            EXPECT_EQ(p.m_editPath->GetValue(), "/usr/bin/eog");
            EXPECT_EQ(p.m_editOption->GetValue(), "--fullscreen %1");
            EXPECT_EQ(p.m_comboTmpFileType->GetSelection(), c.selection);
            EXPECT_EQ(p.m_comboTmpFileType->GetCount(), 5u);
            sheet.EndModal(wxID_CANCEL);
        });
    }
}

TEST_F(Options, RadioButtonsSwitchTheFiveFieldsAndTextsAreLimited) {
    WithSheet([&](COptionPropertySheet& sheet) {
        COptionViewerPage& p = *sheet.m_pageViewer;
        EXPECT_FALSE(FieldsEnabled(p));
        Choose(p.m_radioViewer);
        EXPECT_TRUE(FieldsEnabled(p));
        Choose(p.m_radioAssociated);
        EXPECT_FALSE(FieldsEnabled(p));
        Choose(p.m_radioViewer);
        for (wxTextCtrl* edit : {p.m_editPath, p.m_editOption}) {
            edit->AppendText(wxString('x', COptionViewerPage::kMaxText));
            edit->AppendText("yz");  // one past the limit: refused
            EXPECT_EQ(edit->GetValue(), wxString('x', COptionViewerPage::kMaxText));
        }
        sheet.EndModal(wxID_CANCEL);
    });
}

TEST_F(Options, OkValidatesAndWritesCancelWritesNothing) {
    // A named viewer without a path: the message, the caret in the path, nothing written.
    WithSheet([&](COptionPropertySheet& sheet) {
        COptionViewerPage& p = *sheet.m_pageViewer;
        Choose(p.m_radioViewer);
        Click(sheet.FindWindow(wxID_OK));
        ASSERT_EQ(g_messages.size(), 1u);
        EXPECT_EQ(g_messages[0], U(kMsgNeedViewerPath));
        EXPECT_TRUE(sheet.IsModal());
        EXPECT_EQ(wxWindow::FindFocus(), p.m_editPath);
        EXPECT_EQ(Stored("ViewerType"), "<absent>");
        // A single space is a path.
        p.m_editPath->ChangeValue(" ");
        p.m_editOption->ChangeValue(U("-a \"%1\""));
        p.m_comboTmpFileType->SetSelection(0);
        Click(sheet.FindWindow(wxID_OK));
        EXPECT_FALSE(sheet.IsModal());
    });
    EXPECT_EQ(Stored("ViewerType"), "1");
    EXPECT_EQ(Stored("ViewerPath"), " ");
    EXPECT_EQ(Stored("ViewerOption"), U("-a \"%1\""));
    EXPECT_EQ(Stored("TmpFileType"), "BMP");

    // The associated program: type 0, the texts still written as they stand;
    // with no type selected the stored type stays.
    WriteSettingString(kSectionSettings, "TmpFileType", "webp");
    WithSheet([&](COptionPropertySheet& sheet) {
        COptionViewerPage& p = *sheet.m_pageViewer;
        Choose(p.m_radioAssociated);
        p.m_editPath->ChangeValue("/opt/viewer");
        Click(sheet.FindWindow(wxID_OK));
    });
    EXPECT_EQ(Stored("ViewerType"), "0");
    EXPECT_EQ(Stored("ViewerPath"), "/opt/viewer");
    EXPECT_EQ(Stored("TmpFileType"), "webp");

    // Cancel writes nothing.
    WithSheet([&](COptionPropertySheet& sheet) {
        COptionViewerPage& p = *sheet.m_pageViewer;
        Choose(p.m_radioViewer);
        p.m_editPath->ChangeValue("/changed");
        p.m_comboTmpFileType->SetSelection(3);
        Click(sheet.FindWindow(wxID_CANCEL));
        EXPECT_FALSE(sheet.IsModal());
    });
    EXPECT_EQ(Stored("ViewerType"), "0");
    EXPECT_EQ(Stored("ViewerPath"), "/opt/viewer");
    EXPECT_EQ(Stored("TmpFileType"), "webp");
}

TEST_F(Options, ButtonsAndHelpTopic) {
    WithSheet([&](COptionPropertySheet& sheet) {
        EXPECT_EQ(sheet.FindWindow(wxID_OK)->GetLabel(), "OK");
        EXPECT_EQ(sheet.FindWindow(wxID_CANCEL)->GetLabel(), U("キャンセル"));
        EXPECT_EQ(sheet.FindWindow(wxID_HELP)->GetLabel(), U("ヘルプ"));
        EXPECT_EQ(sheet.FindWindow(wxID_APPLY), nullptr);
        EXPECT_EQ(sheet.GetBookCtrl()->GetPageCount(), 1u);
        EXPECT_EQ(sheet.GetBookCtrl()->GetPageText(0), U("外部ビューア"));
        // Asked from a modal dialog, the help window holds the input until it closes.
        // A timer, since the pending calls wait while this one runs.
        wxString shown;
        wxTimer timer;
        timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            shown = ShownHelpPage();
            for (wxWindow* top : wxTopLevelWindows)
                if (top->IsKindOf(wxCLASSINFO(wxHtmlHelpFrame))) top->Close();
        });
        timer.StartOnce(300);
        Click(sheet.FindWindow(wxID_HELP));
        EXPECT_TRUE(shown.EndsWith("options.html")) << shown;
        CloseHelp();
        sheet.EndModal(wxID_CANCEL);
    });
    EXPECT_TRUE(g_messages.empty()) << g_messages.front();
}

// --- About and help -----------------------------------------------------------

TEST_F(Options, AboutShowsItsTextsAndLinkAndClosesWithEscape) {
    CAboutDlg dialog(frame_);
    wxTheApp->CallAfter([&] {
        EXPECT_TRUE(dialog.IsModal());
        EXPECT_EQ(dialog.GetTitle(), U("バージョン情報"));
        std::vector<wxString> texts;
        for (wxWindow* child : dialog.GetChildren())
            if (auto* text = wxDynamicCast(child, wxStaticText)) texts.push_back(text->GetLabel());
        EXPECT_NE(std::find(texts.begin(), texts.end(), U("ヴェルモア ver2.0")), texts.end());
        EXPECT_NE(std::find(texts.begin(), texts.end(), U("Some icons designed by")), texts.end());
        auto* link = wxDynamicCast(dialog.FindWindow(1026), wxHyperlinkCtrl);
        ASSERT_NE(link, nullptr);
        EXPECT_TRUE(link->GetURL().StartsWith("https://"));
        EXPECT_EQ(wxWindow::FindFocus(), link);
        // Esc is the dialog's way out, as OK is.
        wxCommandEvent esc(wxEVT_BUTTON, dialog.GetEscapeId());
        dialog.ProcessWindowEvent(esc);
    });
    dialog.ShowModal();
    EXPECT_FALSE(dialog.IsModal());
}

// The contents and the index reach the help window with their Japanese
// names: a charset given twice (project file and list) leaves them blank.
TEST_F(Options, HelpContentsAndIndexHaveTheirNames) {
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
    wxHtmlHelpData book;
    ASSERT_TRUE(book.AddBook(HelpBookCandidates()[0]));
    const wxHtmlHelpDataItems& contents = book.GetContentsArray();
    ASSERT_GT(contents.size(), 5u);
    EXPECT_EQ(contents[0].name, U("ヴェルモア ヘルプ"));
    bool optionsListed = false;
    for (size_t i = 0; i < contents.size(); ++i) {
        EXPECT_FALSE(contents[i].name.empty()) << contents[i].GetFullPath().utf8_string();
        optionsListed = optionsListed || contents[i].name == U("オプション");
    }
    EXPECT_TRUE(optionsListed);
    const wxHtmlHelpDataItems& index = book.GetIndexArray();
    ASSERT_GT(index.size(), 5u);
    for (size_t i = 0; i < index.size(); ++i) EXPECT_FALSE(index[i].name.empty()) << index[i].GetFullPath().utf8_string();
}

TEST_F(Options, HelpOpensAtItsTopics) {
    const char* pages[] = {kHelpContents, kHelpOptionsPage};
    for (const char* page : pages) {
        ShowHelp(page);
        EXPECT_TRUE(ShownHelpPage().EndsWith(page)) << ShownHelpPage();
    }
    CloseHelp();
    EXPECT_TRUE(ShownHelpPage().empty());
    EXPECT_TRUE(g_messages.empty());
}

}  // namespace
