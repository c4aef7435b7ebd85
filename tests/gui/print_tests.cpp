// Printing the sketch: the File menu's two items, pages printed to a PDF
// through GTK's own print dialog and its "Print to File" printer, read back
// with poppler's tools, the preview's page, and the paper kept in the
// settings.
#include "tests/gui/MainWindowFixture.h"

#include <gtk/gtk.h>
#include <gtk/gtkunixprint.h>
#include <wx/gtk/print.h>
#include <wx/print.h>

#include <wx/accel.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "app/SketchPrinting.h"
#include "app/SketchPrintout.h"
#include "imageio/PageLayout.h"

namespace {

// GTK's preview itself (the portable wrapper leaves the page sizes to it),
// its page drawn into a bitmap of our size.
class PagePreview : public wxGtkPrintPreview {
public:
    using wxGtkPrintPreview::wxGtkPrintPreview;
    using wxGtkPrintPreview::RenderPageIntoBitmap;
};

// A blue picture with a red block in its top-left corner, to tell which way it lies.
imaging::Picture MarkedPicture(int w, int h) {
    imaging::Picture p(w, h, imaging::PixelFormat24bppRGB);
    CBitmapLock lock;
    EXPECT_EQ(lock.Lock(&p, false, true, imaging::PixelFormat24bppRGB), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* px = lock.Row(y) + 3 * x;
            const bool mark = x < w / 4 && y < h / 4;
            px[0] = mark ? 0 : 200;
            px[1] = mark ? 0 : 40;
            px[2] = mark ? 220 : 30;
        }
    return p;
}

std::string Output(const std::string& cmd) {
    std::string out;
    if (FILE* f = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        while (size_t n = std::fread(buf, 1, sizeof buf, f)) out.append(buf, n);
        ::pclose(f);
    }
    return out;
}

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

bool IsWhite(const wxImage& img, int x, int y) {
    return img.GetRed(x, y) > 245 && img.GetGreen(x, y) > 245 && img.GetBlue(x, y) > 245;
}
bool IsRed(const wxImage& img, int x, int y) {
    return img.GetRed(x, y) > 150 && img.GetGreen(x, y) < 80 && img.GetBlue(x, y) < 80;
}

Box NonWhite(const wxImage& img) {
    Box b;
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            if (!IsWhite(img, x, y)) {
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
            }
    return b;
}

// Which corner of `b` the red mark sits in: "tl", "tr", "bl", "br".
std::string MarkCorner(const wxImage& img, const Box& b) {
    const int inset = 3;
    if (IsRed(img, b.left + inset, b.top + inset)) return "tl";
    if (IsRed(img, b.right - inset, b.top + inset)) return "tr";
    if (IsRed(img, b.left + inset, b.bottom - inset)) return "bl";
    if (IsRed(img, b.right - inset, b.bottom - inset)) return "br";
    return "none";
}

// GTK prints to no virtual printer (its file printer) without the dialog, so
// the dialog is answered as a person would: Print, once it has selected the
// printer the settings name. Cancelled if it has not within ten seconds.
struct DialogAnswer {
    int polls = 0;
    bool answered = false;
};

gboolean AnswerPrintDialog(gpointer data) {
    auto* answer = static_cast<DialogAnswer*>(data);
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w != nullptr && !answer->answered; w = w->next) {
        if (!GTK_IS_PRINT_UNIX_DIALOG(w->data) || !gtk_widget_get_visible(GTK_WIDGET(w->data))) continue;
        auto* dialog = GTK_PRINT_UNIX_DIALOG(w->data);
        GtkPrinter* printer = gtk_print_unix_dialog_get_selected_printer(dialog);
        const bool ready = printer != nullptr && gtk_printer_is_virtual(printer);
        if (ready || answer->polls >= 100) {
            gtk_dialog_response(GTK_DIALOG(dialog), ready ? GTK_RESPONSE_OK : GTK_RESPONSE_CANCEL);
            answer->answered = true;
        }
    }
    g_list_free(windows);
    ++answer->polls;
    return answer->answered ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

// PrintSketch through the system's dialog, answered by AnswerPrintDialog.
PrintResult PrintThroughDialog(wxWindow* parent, imaging::Picture& picture, wxPageSetupDialogData& setup) {
    DialogAnswer answer;
    const guint source = g_timeout_add(100, AnswerPrintDialog, &answer);
    const PrintResult result = PrintSketch(parent, picture, "test", setup, true);
    if (!answer.answered) g_source_remove(source);
    EXPECT_TRUE(answer.answered);
    return result;
}

class Printing : public MainWindow {
protected:
    // Closes the window and its manager as the program ends, then starts again.
    void Restart() {
        CloseWindow();
        wxTheApp->ProcessIdle();
        delete manager_;
        manager_ = nullptr;
        Start();
    }
    // The page setup aimed at GTK's file printer, writing `pdf`. Its dialog
    // hands the printer 300 dots an inch whatever the data asked.
    void AimAtFile(wxPageSetupDialogData& setup, const fs::path& pdf, wxPrintOrientation orientation,
                   wxPaperSize paper = wxPAPER_A4) {
        // The file backend alone: the dialog lists no printer of this machine.
        g_object_set(gtk_settings_get_default(), "gtk-print-backends", "file", nullptr);
        wxPrintData& data = setup.GetPrintData();
        data.SetPaperId(paper);
        data.SetOrientation(orientation);
        // The file backend's printer, by its name in the running locale.
        data.SetPrinterName(wxString::FromUTF8(g_dgettext("gtk30", "Print to File")));
        data.ConvertToNative();
        auto* native = static_cast<wxGtkPrintNativeData*>(data.GetNativeData());
        GtkPrintSettings* settings = native->GetPrintConfig();
        const std::string uri = "file://" + pdf.string();
        gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_URI, uri.c_str());
        gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
    }
    // Page 1 of `pdf` at `dpi`, as an image.
    wxImage Rasterise(const fs::path& pdf, int dpi) {
        const fs::path stem = dir_ / "page";
        Output("pdftoppm -r " + std::to_string(dpi) + " -png -singlefile '" + pdf.string() + "' '" + stem.string() + "'");
        wxImage img;
        img.LoadFile((stem.string() + ".png"), wxBITMAP_TYPE_PNG);
        return img;
    }
    int Pages(const fs::path& pdf) {
        std::istringstream info(Output("pdfinfo '" + pdf.string() + "'"));
        for (std::string line; std::getline(info, line);)
            if (line.rfind("Pages:", 0) == 0) return std::atoi(line.c_str() + 6);
        return -1;
    }
    // Width and height of every picture the page embeds.
    std::vector<std::pair<int, int>> EmbeddedImages(const fs::path& pdf) {
        std::istringstream list(Output("pdfimages -list '" + pdf.string() + "'"));
        std::vector<std::pair<int, int>> sizes;
        std::string line;
        std::getline(list, line);
        std::getline(list, line);  // two header lines
        while (std::getline(list, line)) {
            std::istringstream row(line);
            int page = 0, num = 0, w = 0, h = 0;
            std::string type;
            if (row >> page >> num >> type >> w >> h) sizes.emplace_back(w, h);
        }
        return sizes;
    }
};

TEST_F(Printing, FileMenuItemsFollowSaveAndNeedASketch) {
    Start();
    ASSERT_NE(frame_, nullptr);
    wxMenu* file = frame_->GetMenuBar()->GetMenu(0);
    const struct {
        size_t position;
        int id;
        const char* label;
    } items[] = {
        {0, ID_FILE_OPEN, "元絵を開く(&O)...\tCtrl+O"},
        {1, ID_FILE_SAVE, "下絵を保存(&S)...\tCtrl+S"},
        {2, ID_FILE_PRINT, "印刷(&P)...\tCtrl+P"},
        {3, ID_FILE_PRINT_PREVIEW, "印刷プレビュー(&V)"},
    };
    for (const auto& it : items) {
        wxMenuItem* item = file->FindItemByPosition(it.position);
        ASSERT_EQ(item->GetId(), it.id) << it.position;
        EXPECT_EQ(item->GetItemLabel(), U(it.label));
        EXPECT_EQ(item->GetHelp(), U(FindCommandText(it.id)->prompt));
    }
    EXPECT_EQ(U(FindCommandText(ID_FILE_PRINT)->prompt), U("下絵を印刷します。"));
    std::unique_ptr<wxAcceleratorEntry> accel(file->FindItemByPosition(2)->GetAccel());
    ASSERT_NE(accel, nullptr);
    EXPECT_EQ(accel->GetFlags(), wxACCEL_CTRL);
    EXPECT_EQ(accel->GetKeyCode(), 'P');
    // The recent files still stand between the two separators, then Exit.
    EXPECT_TRUE(file->FindItemByPosition(4)->IsSeparator());
    EXPECT_EQ(file->FindItemByPosition(5)->GetId(), ID_FILE_MRU_FIRST);
    EXPECT_TRUE(file->FindItemByPosition(6)->IsSeparator());
    EXPECT_EQ(file->FindItemByPosition(7)->GetId(), ID_APP_EXIT);

    auto enabled = [&] {
        frame_->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        const bool print = file->FindItem(ID_FILE_PRINT) != nullptr && file->IsEnabled(ID_FILE_PRINT);
        EXPECT_EQ(print, file->IsEnabled(ID_FILE_PRINT_PREVIEW));
        return print;
    };
    EXPECT_FALSE(enabled());
    const fs::path pic = dir_ / "pic.png";
    WritePicture(pic, 64, 48, false);
    ASSERT_TRUE(manager_->OpenOriginal(pic.string()));
    Settle();
    EXPECT_FALSE(enabled()) << "an original alone is not printed";
    Command(ID_MAKE_SKETCH);
    EXPECT_TRUE(enabled());
    // Shown or not, the sketch is what is printed.
    Command(ID_TOGGLE_DISPLAY);
    EXPECT_TRUE(enabled());
    // A command that comes before the update does nothing without a sketch.
    ASSERT_TRUE(manager_->OpenOriginal(pic.string()));
    Settle();
    Command(ID_FILE_PRINT);
    Command(ID_FILE_PRINT_PREVIEW);
    EXPECT_TRUE(g_messages.empty());
}

// One page, the picture centred inside the margins, turned when it lies
// across a page that stands (and upright on a page that lies the same way).
TEST_F(Printing, PdfPagePlacesThePicture) {
    Start();
    ASSERT_NE(frame_, nullptr);
    const struct {
        const char* name;
        int w, h;
        wxPrintOrientation orientation;
        bool turned;
    } cases[] = {
        {"portrait picture, portrait page", 300, 400, wxPORTRAIT, false},
        {"landscape picture, portrait page", 400, 300, wxPORTRAIT, true},
        {"landscape picture, landscape page", 400, 300, wxLANDSCAPE, false},
        {"portrait picture, landscape page", 300, 400, wxLANDSCAPE, true},
    };
    constexpr int kPrinterDpi = 300, kReadDpi = 40;  // the file printer's, and the reading
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path pdf = dir_ / "out.pdf";
        fs::remove(pdf);
        imaging::Picture picture = MarkedPicture(c.w, c.h);
        wxPageSetupDialogData setup;
        AimAtFile(setup, pdf, c.orientation);
        ASSERT_EQ(PrintThroughDialog(frame_, picture, setup), PrintResult::Printed);
        ASSERT_TRUE(fs::exists(pdf));
        EXPECT_EQ(Pages(pdf), 1);

        const wxImage page = Rasterise(pdf, kReadDpi);
        ASSERT_TRUE(page.IsOk());
        const bool landscape = c.orientation == wxLANDSCAPE;
        const int pageW = static_cast<int>(std::lround((landscape ? 297 : 210) / 25.4 * kReadDpi));
        const int pageH = static_cast<int>(std::lround((landscape ? 210 : 297) / 25.4 * kReadDpi));
        EXPECT_NEAR(page.GetWidth(), pageW, 1);
        EXPECT_NEAR(page.GetHeight(), pageH, 1);

        const Box b = NonWhite(page);
        ASSERT_GT(b.Width(), 0);
        const double margin = kPageMarginMm / 25.4 * kReadDpi;
        EXPECT_GE(b.left, margin - 1);
        EXPECT_GE(b.top, margin - 1);
        EXPECT_LE(b.right, page.GetWidth() - margin);
        EXPECT_LE(b.bottom, page.GetHeight() - margin);
        // Centred, and filling the room across or down.
        EXPECT_NEAR(b.left, page.GetWidth() - 1 - b.right, 2);
        EXPECT_NEAR(b.top, page.GetHeight() - 1 - b.bottom, 2);
        EXPECT_TRUE(std::abs(b.left - margin) <= 2 || std::abs(b.top - margin) <= 2);
        // Its proportions as it lies, and its top to the left edge when turned.
        const double aspect = c.turned ? static_cast<double>(c.h) / c.w : static_cast<double>(c.w) / c.h;
        EXPECT_NEAR(static_cast<double>(b.Width()) / b.Height(), aspect, 0.03);
        EXPECT_EQ(MarkCorner(page, b), c.turned ? "bl" : "tl");

        // Scaled to the printer's own pixels, band by band, never one small picture stretched.
        const auto images = EmbeddedImages(pdf);
        ASSERT_FALSE(images.empty());
        std::uint64_t pixels = 0;
        for (const auto& [w, h] : images) pixels += std::uint64_t(w) * h;
        const double covered = (b.Width() * double(kPrinterDpi) / kReadDpi) * (b.Height() * double(kPrinterDpi) / kReadDpi);
        EXPECT_NEAR(pixels / covered, 1.0, 0.1);
    }
}

// The picture on an A1 sheet at 300 dpi would be 61 million pixels: it stops
// at the bound and the device stretches it.
TEST_F(Printing, LargePageIsBounded) {
    Start();
    ASSERT_NE(frame_, nullptr);
    const fs::path pdf = dir_ / "large.pdf";
    imaging::Picture picture = MarkedPicture(300, 400);
    wxPageSetupDialogData setup;
    AimAtFile(setup, pdf, wxPORTRAIT, wxPAPER_A1);
    ASSERT_EQ(PrintThroughDialog(frame_, picture, setup), PrintResult::Printed);
    std::uint64_t pixels = 0;
    for (const auto& [w, h] : EmbeddedImages(pdf)) pixels += std::uint64_t(w) * h;
    EXPECT_LE(pixels, kMaxPrintPixels);
    EXPECT_GT(pixels, kMaxPrintPixels * 9 / 10);
    const wxImage page = Rasterise(pdf, 40);
    const Box b = NonWhite(page);
    EXPECT_NEAR(b.left, page.GetWidth() - 1 - b.right, 2);
    EXPECT_EQ(MarkCorner(page, b), "tl");
}

// The preview draws the same page into its own, smaller bitmap.
TEST_F(Printing, PreviewPageShowsThePictureCentred) {
    Start();
    ASSERT_NE(frame_, nullptr);
    imaging::Picture picture = MarkedPicture(400, 300);
    wxPrintData data;
    data.SetPaperId(wxPAPER_A4);
    data.SetOrientation(wxPORTRAIT);
    wxPrintDialogData dialogData(data);
    PagePreview preview(new CSketchPrintout(picture, "test"), nullptr, &dialogData);
    ASSERT_TRUE(preview.IsOk());
    wxBitmap bitmap(420, 594, 24);
    ASSERT_TRUE(preview.RenderPageIntoBitmap(bitmap, 1));
    const wxImage page = bitmap.ConvertToImage();
    const Box b = NonWhite(page);
    ASSERT_GT(b.Width(), 0);
    EXPECT_NEAR(b.left, page.GetWidth() - 1 - b.right, 2);
    EXPECT_NEAR(b.top, page.GetHeight() - 1 - b.bottom, 2);
    EXPECT_NEAR(b.left, 10 * 2, 2);  // 10 mm at 2 pixels a millimetre
    EXPECT_EQ(MarkCorner(page, b), "bl");
}

// The preview window opens app-modal over the main window and closes cleanly.
TEST_F(Printing, PreviewWindowOpensAndCloses) {
    const fs::path pic = dir_ / "pic.png";
    WritePicture(pic, 64, 48, false);
    Start(pic.string());
    ASSERT_NE(frame_, nullptr);
    Command(ID_MAKE_SKETCH);
    Command(ID_FILE_PRINT_PREVIEW);
    wxPreviewFrame* preview = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* p = wxDynamicCast(w, wxPreviewFrame)) preview = p;
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->IsShown());
    EXPECT_EQ(preview->GetTitle(), U("印刷プレビュー"));
    EXPECT_FALSE(frame_->IsEnabled());
    preview->Close(true);
    Settle();
    EXPECT_TRUE(frame_->IsEnabled());
    EXPECT_TRUE(g_messages.empty());
}

// Paper and orientation chosen come back at the next start; untouched
// defaults are never written.
TEST_F(Printing, PaperAndOrientationSurviveARestart) {
    Start();
    ASSERT_NE(frame_, nullptr);
    Restart();
    ASSERT_NE(frame_, nullptr);
    EXPECT_EQ(ReadSettingString(kSectionSettings, "PrintPaper"), "");
    EXPECT_EQ(ReadSettingString(kSectionSettings, "PrintOrientation"), "");
    wxPrintData& data = manager_->GetPageSetupDialogData().GetPrintData();
    data.SetPaperId(wxPAPER_B5);
    data.SetOrientation(wxLANDSCAPE);
    Restart();
    ASSERT_NE(frame_, nullptr);
    EXPECT_EQ(ReadSettingInt(kSectionSettings, "PrintPaper", 0), static_cast<std::uint32_t>(wxPAPER_B5));
    EXPECT_EQ(ReadSettingInt(kSectionSettings, "PrintOrientation", 0), 2u);
    const wxPrintData& back = manager_->GetPageSetupDialogData().GetPrintData();
    EXPECT_EQ(back.GetPaperId(), wxPAPER_B5);
    EXPECT_EQ(back.GetOrientation(), wxLANDSCAPE);

    // Out-of-range values leave the defaults alone.
    WriteSettingInt(kSectionSettings, "PrintPaper", 100000);
    WriteSettingInt(kSectionSettings, "PrintOrientation", 7);
    Restart();
    ASSERT_NE(frame_, nullptr);
    const wxPrintData defaults;
    EXPECT_EQ(manager_->GetPageSetupDialogData().GetPrintData().GetPaperId(), defaults.GetPaperId());
    EXPECT_EQ(manager_->GetPageSetupDialogData().GetPrintData().GetOrientation(), defaults.GetOrientation());
}

// The kept data follows a print: the paper GTK was given comes back from it.
TEST_F(Printing, PrintKeepsThePaperItUsed) {
    Start();
    ASSERT_NE(frame_, nullptr);
    imaging::Picture picture = MarkedPicture(40, 30);
    wxPageSetupDialogData setup;
    AimAtFile(setup, dir_ / "kept.pdf", wxLANDSCAPE);
    ASSERT_EQ(PrintThroughDialog(frame_, picture, setup), PrintResult::Printed);
    EXPECT_EQ(setup.GetPrintData().GetPaperId(), wxPAPER_A4);
    EXPECT_EQ(setup.GetPrintData().GetOrientation(), wxLANDSCAPE);
    EXPECT_TRUE(fs::exists(dir_ / "kept.pdf"));
}

}  // namespace
