// The whole job in the window: open, make the sketch, tune it, switch,
// zoom, copy, paste, save, drop, and which commands are enabled when.
#include "tests/gui/MainWindowFixture.h"

#include <sys/wait.h>

#include <wx/clipbrd.h>
#include <wx/dnd.h>
#include <wx/scrolwin.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <cstring>

#include "imaging/codecs/Decode.h"
#include "pipeline/SketchPipeline.h"

namespace {

// Packed B,G,R rows of any picture.
std::vector<std::uint8_t> Pixels(imaging::Picture&& picture);
std::vector<std::uint8_t> Pixels(imaging::Picture& picture) {
    CBitmapLock lock;
    EXPECT_EQ(lock.Lock(&picture, true, false, imaging::PixelFormat24bppRGB), 0);
    const std::size_t row = 3 * static_cast<std::size_t>(picture.Width());
    std::vector<std::uint8_t> out(row * picture.Height());
    for (std::uint32_t y = 0; y < picture.Height(); ++y) std::memcpy(out.data() + row * y, lock.Row(y), row);
    return out;
}

std::vector<std::uint8_t> Pixels(imaging::Picture&& picture) { return Pixels(picture); }

std::string Hex(Colour c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return text;
}

// velmor-sketch's sketch of `input` with `p`, decoded.
imaging::Picture ToolSketch(const fs::path& input, const fs::path& output, const SketchParameters& p) {
    std::string cmd = std::string(VELMOR_SKETCH_BINARY) + " -s " + std::to_string(p.strength) + " -r " +
                      std::to_string(p.removal) + " -w " + std::to_string(p.thicken) + " -k " +
                      std::to_string(p.despeckle) + (p.noiseRemoval ? " -n" : "") + " -c '" + Hex(p.lineColour) +
                      "' -F '" + Hex(p.frameColour) + "' -o '" + output.string() + "' '" + input.string() + "'";
    const int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cmd;
    return imaging::DecodeFile(output);
}

wxImage SolidImage(int w, int h, unsigned char r, unsigned char g, unsigned char b) {
    wxImage image(w, h);
    image.SetRGB(wxRect(0, 0, w, h), r, g, b);
    return image;
}

class SketchWorkflow : public MainWindow {
protected:
    // The enabled state the update handlers give `id`; true when none answers.
    bool Enabled(int id) {
        wxUpdateUIEvent e(id);
        e.SetEventObject(frame_);
        frame_->ProcessWindowEvent(e);
        return !e.GetSetEnabled() || e.GetEnabled();
    }
    CMainDialogBar* Panel() { return frame_->m_wndDlgBar; }
    void SelectZoom(int item) {
        Panel()->m_comboViewRate->SetSelection(item);
        wxCommandEvent e(wxEVT_CHOICE, IDC_VIEW_RATE);
        e.SetEventObject(Panel()->m_comboViewRate);
        e.SetInt(item);
        Panel()->m_comboViewRate->ProcessWindowEvent(e);
        Settle();
    }
    // A slider moved and released, as the control reports it.
    void MoveSlider(wxSlider* slider, int value) {
        slider->SetValue(value);
        wxScrollEvent e(wxEVT_SCROLL_CHANGED, slider->GetId(), value);
        e.SetEventObject(slider);
        slider->ProcessWindowEvent(e);
        Settle();
    }
    void ClickDenoise(bool on) {
        Panel()->DenoiseBox()->SetValue(on);
        wxCommandEvent e(wxEVT_CHECKBOX, IDC_DENOISE);
        e.SetEventObject(Panel()->DenoiseBox());
        e.SetInt(on);
        Panel()->DenoiseBox()->ProcessWindowEvent(e);
        Settle();
    }
    fs::path Sample() const { return fs::path(VELMOR_SOURCE_DIR) / "samples" / "cat.png"; }
};

TEST_F(SketchWorkflow, EnablingRulesInEachState) {
    Start();
    ASSERT_NE(frame_, nullptr);
    struct Rule {
        int id;
        bool empty, original, sketch;
    };
    const Rule rules[] = {
        {ID_MAKE_SKETCH, false, true, true},    {ID_EDIT_COPY, false, true, true},
        {ID_TOGGLE_DISPLAY, false, false, true}, {ID_FILE_SAVE, false, false, true},
        {ID_FILE_OPEN, true, true, true},        {ID_OPTIONS, true, true, true},
        {ID_DLGBAR_LEFT_RIGHT, true, true, true}, {IDC_LINE_STRONG, false, true, true},
        {IDC_LINE_REMOVE, false, true, true},    {IDC_DENOISE, false, true, true},
        {IDC_LINE_COLOR, false, true, true},     {IDC_FRAME_COLOR, false, true, true},
        {IDC_VIEW_RATE, false, true, true},      {IDC_GROUP_OPTIONS, false, true, true},
        {IDC_LABEL_STRONG, false, true, true},   {IDC_LABEL_REMOVE, false, true, true},
        {IDC_LABEL_RATE, false, true, true},     {IDC_GROUP_FINISH, false, true, true},
        {IDC_LABEL_THICKEN, false, true, true},  {IDC_LINE_THICKEN, false, true, true},
        {IDC_LABEL_SPECK, false, true, true},    {IDC_SPECK_REMOVE, false, true, true},
    };
    auto check = [&](const char* state, bool Rule::*expected) {
        SCOPED_TRACE(state);
        frame_->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        for (const Rule& r : rules) {
            EXPECT_EQ(Enabled(r.id), r.*expected) << PublicId(r.id);
            if (wxWindow* control = Control(r.id)) {
                EXPECT_EQ(control->IsEnabled(), r.*expected) << PublicId(r.id);
            }
        }
    };
    check("empty", &Rule::empty);
    ASSERT_TRUE(manager_->OpenOriginal(Sample().string()));
    Settle();
    check("original only", &Rule::original);
    Command(ID_MAKE_SKETCH);
    check("original and sketch", &Rule::sketch);

    // Paste follows the clipboard: text does not count, a bitmap does.
    {
        wxClipboardLocker locker;
        ASSERT_TRUE(!!locker);
        wxTheClipboard->SetData(new wxTextDataObject("text"));
    }
    EXPECT_FALSE(Enabled(ID_EDIT_PASTE));
    {
        wxClipboardLocker locker;
        wxTheClipboard->SetData(new wxBitmapDataObject(wxBitmap(SolidImage(4, 4, 1, 2, 3))));
    }
    EXPECT_TRUE(Enabled(ID_EDIT_PASTE));
}

// F5 in the window and velmor-sketch give the same sketch, byte for byte,
// and a finished slider change remakes the sketch only while it is shown.
TEST_F(SketchWorkflow, SketchEqualsTheToolsAndFollowsTheParameters) {
    Start(Sample().string());
    ASSERT_NE(frame_, nullptr);
    SketchParameters p;
    p.strength = 5;
    p.removal = 2;
    p.lineColour = 0x204060;
    p.frameColour = 0x00FF00;
    Panel()->SetParameters(p);
    Command(ID_MAKE_SKETCH);
    ASSERT_NE(Doc()->Sketch(), nullptr);
    EXPECT_FALSE(View()->m_bShowOriginal);
    EXPECT_EQ(View()->DisplayedPicture(), Doc()->Sketch());
    imaging::Picture tool = ToolSketch(Sample(), dir_ / "tool.png", p);
    ASSERT_TRUE(tool.IsValid());
    EXPECT_EQ(Pixels(*Doc()->Sketch()), Pixels(tool));

    // While the sketch is shown, the end of a slider change remakes it.
    p.strength = 9;
    MoveSlider(Panel()->m_sliderLineStrong, 9);
    EXPECT_EQ(Pixels(*Doc()->Sketch()), Pixels(ToolSketch(Sample(), dir_ / "tool9.png", p)));
    p.noiseRemoval = true;
    ClickDenoise(true);
    const std::vector<std::uint8_t> denoisedOnly = Pixels(ToolSketch(Sample(), dir_ / "tooln.png", p));
    EXPECT_EQ(Pixels(*Doc()->Sketch()), denoisedOnly);
    // The finishing sliders remake it the same way.
    p.despeckle = 3;
    MoveSlider(Panel()->m_sliderSpeckRemove, 3);
    EXPECT_EQ(Pixels(*Doc()->Sketch()), Pixels(ToolSketch(Sample(), dir_ / "toolk.png", p)));
    p.thicken = 2;
    MoveSlider(Panel()->m_sliderLineThicken, 2);
    const std::vector<std::uint8_t> denoised = Pixels(ToolSketch(Sample(), dir_ / "toolw.png", p));
    EXPECT_EQ(Pixels(*Doc()->Sketch()), denoised);
    EXPECT_NE(denoised, denoisedOnly);

    // While the original is shown, a change only moves the control.
    Command(ID_TOGGLE_DISPLAY);
    EXPECT_TRUE(View()->m_bShowOriginal);
    EXPECT_EQ(View()->DisplayedPicture(), Doc()->m_pOriginal.get());
    MoveSlider(Panel()->m_sliderLineRemove, 6);
    EXPECT_EQ(Pixels(*Doc()->Sketch()), denoised);
    Command(ID_TOGGLE_DISPLAY);
    EXPECT_FALSE(View()->m_bShowOriginal);
    Command(ID_MAKE_SKETCH);
    p.removal = 6;
    EXPECT_EQ(Pixels(*Doc()->Sketch()), Pixels(ToolSketch(Sample(), dir_ / "tool6.png", p)));
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(SketchWorkflow, ZoomKeepsTheSketchAndCopyPutsTheDisplayedSize) {
    const fs::path pic = dir_ / "pic.png";
    WritePicture(pic, 1000, 800, true);
    Start(pic.string());
    ASSERT_NE(frame_, nullptr);
    ASSERT_TRUE(Doc()->m_bTransparent);

    // The transparent corner arrives in the window colour.
    SelectZoom(1);  // 50 %
    ASSERT_TRUE(View()->CopyPicture());
    wxBitmapDataObject data;
    {
        wxClipboardLocker locker;
        ASSERT_TRUE(!!locker);
        ASSERT_TRUE(wxTheClipboard->GetData(data));
    }
    wxImage copied = data.GetBitmap().ConvertToImage();
    EXPECT_EQ(copied.GetWidth(), 500);
    EXPECT_EQ(copied.GetHeight(), 400);
    EXPECT_EQ(copied.GetRed(250, 200), 30);
    EXPECT_EQ(copied.GetBlue(250, 200), 200);

    Command(ID_MAKE_SKETCH);
    SelectZoom(4);  // 200 %
    EXPECT_FALSE(View()->m_bShowOriginal);
    EXPECT_EQ(View()->GetCanvas()->GetVirtualSize(), wxSize(2000, 1600));
    EXPECT_EQ(Pane(1), "200%");
    SelectZoom(7);  // the whole picture in the window
    ASSERT_TRUE(View()->CopyPicture());
    {
        wxClipboardLocker locker;
        ASSERT_TRUE(wxTheClipboard->GetData(data));
    }
    const DisplaySize fitted = View()->GetDisplaySize(*Doc()->Sketch());
    copied = data.GetBitmap().ConvertToImage();
    EXPECT_EQ(copied.GetWidth(), static_cast<int>(fitted.cx));
    EXPECT_EQ(copied.GetHeight(), static_cast<int>(fitted.cy));
    EXPECT_LT(copied.GetWidth(), 1000);
}

TEST_F(SketchWorkflow, PasteMakesAnUntitledOriginal) {
    const fs::path pic = dir_ / "pic.png";
    WritePicture(pic, 30, 20, false);
    Start(pic.string());
    ASSERT_NE(frame_, nullptr);
    Command(ID_MAKE_SKETCH);
    ASSERT_NE(Doc()->Sketch(), nullptr);

    wxImage opaque = SolidImage(7, 5, 10, 20, 30);
    {
        wxClipboardLocker locker;
        ASSERT_TRUE(!!locker);
        wxTheClipboard->SetData(new wxBitmapDataObject(wxBitmap(opaque)));
    }
    Command(ID_EDIT_PASTE);
    ASSERT_NE(Doc()->m_pOriginal, nullptr);
    EXPECT_EQ(Doc()->Sketch(), nullptr);
    EXPECT_EQ(Doc()->m_pOriginal->Width(), 7u);
    EXPECT_FALSE(Doc()->m_bTransparent);
    EXPECT_TRUE(Doc()->m_strOriginalPath.empty());
    EXPECT_EQ(Pane(2), U("7 × 5"));
    EXPECT_EQ(frame_->GetTitle(), U("ファイル未指定 - ヴェルモア"));
    const std::vector<std::uint8_t> px = Pixels(*Doc()->m_pOriginal);
    EXPECT_EQ(px[0], 30);  // blue, green, red
    EXPECT_EQ(px[2], 10);
    EXPECT_EQ(Doc()->ProposedSaveName(), "_shitae");

    // Real transparency is kept and counts as it does for a file; an image
    // without alpha is opaque whatever its bytes.
    wxImage clear = SolidImage(6, 6, 0, 0, 0);
    clear.InitAlpha();
    clear.SetAlpha(2, 2, 0);
    Doc()->PasteOriginal(clear);
    EXPECT_TRUE(Doc()->m_bTransparent);
    Doc()->PasteOriginal(SolidImage(6, 6, 0, 0, 0));
    EXPECT_FALSE(Doc()->m_bTransparent);
    Command(ID_MAKE_SKETCH);
    EXPECT_NE(Doc()->Sketch(), nullptr);
}

TEST_F(SketchWorkflow, SavesInEveryFormatByItsName) {
    Start(Sample().string());
    ASSERT_NE(frame_, nullptr);
    EXPECT_EQ(Doc()->ProposedSaveName(), "cat_shitae");
    EXPECT_EQ(Doc()->ProposedSaveFolder(), "");
    Command(ID_MAKE_SKETCH);
    const std::vector<std::uint8_t> sketch = Pixels(*Doc()->Sketch());
    struct Case {
        const char* name;
        bool lossless;
    } cases[] = {{"a.bmp", true}, {"a.png", true}, {"a.tif", true}, {"a.jpg", false}, {"a.gif", false}};
    for (const Case& c : cases) {
        const fs::path path = dir_ / c.name;
        ASSERT_TRUE(Doc()->SaveSketchAs(path.string())) << c.name;
        imaging::Picture back = imaging::DecodeFile(path);
        ASSERT_TRUE(back.IsValid()) << c.name;
        EXPECT_EQ(back.Width(), Doc()->Sketch()->Width());
        EXPECT_EQ(back.Height(), Doc()->Sketch()->Height());
        if (c.lossless) {
            EXPECT_EQ(Pixels(back), sketch) << c.name;
        }
    }
    // The next save proposes the last name in its folder.
    EXPECT_EQ(Doc()->ProposedSaveName(), "a.gif");
    EXPECT_EQ(Doc()->ProposedSaveFolder(), wxString(dir_.string() + "/"));

    // A name outside the table: its message, nothing written, the path kept.
    const fs::path odd = dir_ / "a.xyz";
    EXPECT_FALSE(Doc()->SaveSketchAs(odd.string()));
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0], U("未対応の拡張子です。\n") + odd.string());
    EXPECT_FALSE(fs::exists(odd));
    EXPECT_EQ(Doc()->ProposedSaveName(), "a.xyz");

    // A new original brings back the proposal from its own name.
    ASSERT_TRUE(manager_->OpenOriginal((dir_ / "a.png").string()));
    EXPECT_EQ(Doc()->ProposedSaveName(), "a_shitae");
    EXPECT_EQ(Doc()->ProposedSaveFolder(), "");
}

TEST(SaveNames, ProposalAndDefaultExtension) {
    const struct {
        const char* original;
        const char* proposed;
    } names[] = {{"/pics/cat.jpg", "cat_shitae"}, {"/p/a.b.png", "a.b_shitae"}, {"/p/photo", "photo_shitae"},
                 {"", "_shitae"},                 {"/p.d/photo", "photo_shitae"}};
    for (const auto& n : names) EXPECT_EQ(FirstSaveName(n.original), n.proposed) << n.original;
    const struct {
        const char* typed;
        const char* saved;
    } typed[] = {{"/o/cat_shitae", "/o/cat_shitae.bmp"},
                 {"/o/cat.png", "/o/cat.png"},
                 {"/o.d/cat", "/o.d/cat.bmp"},
                 {"/o/cat.xyz", "/o/cat.xyz"}};
    for (const auto& t : typed) EXPECT_EQ(WithDefaultExtension(t.typed), t.saved) << t.typed;
}

TEST_F(SketchWorkflow, DropOpensTheFirstFileAndAFailedOpenKeepsTheDocument) {
    const fs::path first = dir_ / "first.png", second = dir_ / "second.png";
    WritePicture(first, 12, 8, false);
    WritePicture(second, 30, 10, false);
    Start();
    ASSERT_NE(frame_, nullptr);
    wxDropTarget* target = View()->GetCanvas()->GetDropTarget();
    ASSERT_NE(target, nullptr);
    wxArrayString files;
    files.Add(first.string());
    files.Add(second.string());
    EXPECT_TRUE(static_cast<wxFileDropTarget*>(target)->OnDropFiles(5, 5, files));
    Settle();
    EXPECT_EQ(Doc()->m_strOriginalPath, wxString(first.string()));
    EXPECT_EQ(manager_->GetFileHistory()->GetCount(), 1u);
    EXPECT_EQ(manager_->GetFileHistory()->GetHistoryFile(0), wxString(first.string()));
    Command(ID_MAKE_SKETCH);

    // A file that cannot be read at all leaves the picture and its sketch.
    const fs::path missing = dir_ / "gone.png";
    EXPECT_FALSE(manager_->OpenOriginal(missing.string()));
    Settle();
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_TRUE(g_messages[0].Contains(missing.string()));
    EXPECT_TRUE(g_messages[0].StartsWith(U("元絵を開けませんでした。\n")));
    EXPECT_EQ(Doc()->m_strOriginalPath, wxString(first.string()));
    EXPECT_NE(Doc()->Sketch(), nullptr);
    EXPECT_EQ(frame_->GetTitle(), "first.png - " + U(kAppTitle));
}

TEST_F(SketchWorkflow, KeysScrollByLinesAndPages) {
    const fs::path pic = dir_ / "pic.png";
    WritePicture(pic, 1000, 800, false);
    Start(pic.string());
    ASSERT_NE(frame_, nullptr);
    SelectZoom(6);  // 800 %: 8000 x 6400
    CVelmorCanvas* canvas = View()->GetCanvas();
    auto press = [&](int key) {
        wxKeyEvent e(wxEVT_KEY_DOWN);
        e.m_keyCode = key;
        e.SetEventObject(canvas);
        canvas->ProcessWindowEvent(e);
    };
    auto start = [&] {
        int x = 0, y = 0;
        canvas->GetViewStart(&x, &y);
        int rx = 0, ry = 0;
        canvas->GetScrollPixelsPerUnit(&rx, &ry);
        return wxPoint(x * rx, y * ry);
    };
    const int line = 6400 / 100, page = 6400 / 10;
    press(WXK_PAGEDOWN);
    EXPECT_EQ(start().y, page);
    press(WXK_DOWN);
    EXPECT_EQ(start().y, page + line);
    press(WXK_UP);
    press(WXK_PAGEUP);
    EXPECT_EQ(start().y, 0);
    press(WXK_RIGHT);
    EXPECT_EQ(start().x, 8000 / 100);
    press(WXK_LEFT);
    EXPECT_EQ(start().x, 0);
    press(WXK_HOME);
    EXPECT_EQ(start().y, 0);

    // The far end is exactly the picture's last row and column: no band
    // of window colour beyond it.
    const wxSize client = canvas->GetClientSize();
    press(WXK_END);
    for (int i = 0; i < 200; ++i) press(WXK_RIGHT);
    EXPECT_EQ(canvas->GetVirtualSize(), wxSize(8000, 6400));
    EXPECT_EQ(start(), wxPoint(8000 - client.x, 6400 - client.y));
    wxBitmap bmp(client.x, client.y, 24);
    {
        wxMemoryDC dc(bmp);
        canvas->PaintTo(dc, start(), client);
    }
    const wxImage img = bmp.ConvertToImage();
    EXPECT_EQ(img.GetRed(client.x - 1, client.y - 1), 30);
    EXPECT_EQ(img.GetBlue(client.x - 1, client.y - 1), 200);
}

}  // namespace

namespace {

// Pane 0 follows the pointer over the panel also where GTK sends no events:
// over disabled controls (no picture yet) and after the pointer left.
TEST_F(SketchWorkflow, PromptsFollowThePointerOverDisabledControls) {
    Start();
    ASSERT_NE(frame_, nullptr);
    frame_->Raise();
    Settle();
    wxWindow* slider = Control(IDC_LINE_STRONG);
    ASSERT_FALSE(slider->IsEnabled());
    const wxString prompt = U(FindCommandText(IDC_LINE_STRONG)->prompt);
    const wxRect rect = slider->GetRect();
    EXPECT_EQ(Panel()->PromptAt(rect.GetPosition() + wxPoint(rect.width / 2, rect.height / 2)), prompt);
    EXPECT_EQ(Panel()->PromptAt(wxPoint(1, 1)), U(kIdleStatusText));

    auto moveTo = [&](wxWindow* window, wxPoint at) {
        wxUIActionSimulator().MouseMove(window->ClientToScreen(at));
        for (int i = 0; i < 30; ++i) {
            wxMilliSleep(10);
            Settle();
        }
    };
    moveTo(slider->GetParent(), rect.GetPosition() + wxPoint(rect.width / 2, rect.height / 2));
    EXPECT_EQ(Pane(0), prompt);
    moveTo(View()->GetCanvas(), wxPoint(20, 20));
    EXPECT_EQ(Pane(0), U(kIdleStatusText));
}

}  // namespace
