#include "app/SketchPrinting.h"

#include <algorithm>
#include <memory>

#include <wx/app.h>
#include <wx/cmndata.h>
#include <wx/display.h>
#include <wx/print.h>

#include "app/SketchPrintout.h"
#include "document/UserMessage.h"
#include "res/UiTexts.h"
#include "ui/PrintSettings.h"

namespace {

constexpr const char* kPrintFailed = "印刷できませんでした。\n";
constexpr const char* kPreviewTitle = "印刷プレビュー";

// The preview's print button prints through PrintSketch, so what its dialog
// chooses is kept like the menu command's (the second printout only makes
// the frame show that button).
class CSketchPrintPreview : public wxPrintPreview {
public:
    CSketchPrintPreview(imaging::Picture& sketch, const wxString& title, wxPageSetupDialogData& setup,
                        wxPrintDialogData* data)
        : wxPrintPreview(new CSketchPrintout(sketch, title), new CSketchPrintout(sketch, title), data),
          m_sketch(sketch), m_title(title), m_setup(setup) {}

    bool Print(bool interactive) override {
        return PrintSketch(GetFrame(), m_sketch, m_title, m_setup, interactive) == PrintResult::Printed;
    }

private:
    imaging::Picture& m_sketch;
    wxString m_title;
    wxPageSetupDialogData& m_setup;
};

}  // namespace

PrintResult PrintSketch(wxWindow* parent, imaging::Picture& sketch, const wxString& title,
                        wxPageSetupDialogData& setup, bool prompt) {
    wxPrintDialogData data(setup.GetPrintData());
    wxPrinter printer(&data);
    CSketchPrintout printout(sketch, title);
    const bool printed = printer.Print(parent, &printout, prompt);
    if (printout.Failed()) {
        ShowUserMessage(wxString::FromUTF8(kPrintFailed) + wxString::FromUTF8(kMsgOutOfMemory));
        return PrintResult::Failed;
    }
    if (!printed) return wxPrinter::GetLastError() == wxPRINTER_CANCELLED ? PrintResult::Cancelled : PrintResult::Failed;

    // The dialog's choices reach the wx fields only through the native data.
    wxPrintData chosen = printer.GetPrintDialogData().GetPrintData();
    chosen.ConvertFromNative();
    const bool changed = PaperOrOrientationDiffer(chosen, setup.GetPrintData());
    setup.SetPrintData(chosen);
    if (changed) SavePrintSettings(chosen);
    return PrintResult::Printed;
}

bool PreviewSketch(wxWindow* parent, imaging::Picture& sketch, const wxString& title, wxPageSetupDialogData& setup) {
    wxPrintDialogData data(setup.GetPrintData());
    // The preview owns its printout once made; a failed one is deleted whole.
    auto preview = std::make_unique<CSketchPrintPreview>(sketch, title, setup, &data);
    if (!preview->IsOk()) {
        ShowUserMessage(wxString::FromUTF8(kPrintFailed) + wxString::FromUTF8(kMsgOutOfMemory));
        return false;
    }
    // The main window's size, centred on its screen and never past its edges.
    const wxRect screen = wxDisplay(parent != nullptr ? parent : wxTheApp->GetTopWindow()).GetClientArea();
    const wxSize wanted = parent != nullptr ? parent->GetSize() : wxSize(800, 900);
    const wxSize size(std::min(wanted.x, screen.width), std::min(wanted.y, screen.height));
    const wxPoint at(screen.x + (screen.width - size.x) / 2, screen.y + (screen.height - size.y) / 2);
    auto* frame = new wxPreviewFrame(preview.release(), parent, wxString::FromUTF8(kPreviewTitle), at, size);
    frame->Initialize();
    frame->Show();
    return true;
}
