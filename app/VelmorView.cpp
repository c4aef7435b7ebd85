#include "app/VelmorView.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/colordlg.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/settings.h>
#include <wx/statusbr.h>

#include "app/ExternalViewer.h"
#include "app/OptionPropertySheet.h"
#include "app/RegionRenderer.h"
#include "app/SketchPrinting.h"
#include "app/VelmorCanvas.h"
#include "document/UserMessage.h"
#include "document/VelmorDoc.h"
#include "pipeline/MemoryBudget.h"
#include "res/CommandIds.h"
#include "res/UiTexts.h"
#include "ui/ColorButton.h"
#include "ui/MainDialogBar.h"
#include "ui/MainFrame.h"
#include "ui/PanelEvents.h"

wxIMPLEMENT_DYNAMIC_CLASS(CVelmorView, wxView);

wxBEGIN_EVENT_TABLE(CVelmorView, wxView)
    EVT_UPDATE_UI(IDC_LINE_STRONG, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_LINE_REMOVE, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_DENOISE, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_GROUP_OPTIONS, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_LABEL_STRONG, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_LABEL_REMOVE, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_LABEL_RATE, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_VIEW_RATE, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_LINE_COLOR, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_FRAME_COLOR, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_GROUP_FINISH, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_LABEL_THICKEN, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_LINE_THICKEN, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_LABEL_SPECK, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(IDC_SPECK_REMOVE, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(ID_MAKE_SKETCH, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(ID_EDIT_COPY, CVelmorView::OnUpdateNeedOriginal)
    EVT_UPDATE_UI(ID_TOGGLE_DISPLAY, CVelmorView::OnUpdateToggleDisplay)
    EVT_UPDATE_UI(ID_FILE_PRINT, CVelmorView::OnUpdateNeedSketch)
    EVT_UPDATE_UI(ID_FILE_PRINT_PREVIEW, CVelmorView::OnUpdateNeedSketch)
    EVT_MENU(ID_FILE_PRINT, CVelmorView::OnPrintSketch)
    EVT_MENU(ID_FILE_PRINT_PREVIEW, CVelmorView::OnPreviewSketch)
    EVT_CHOICE(IDC_VIEW_RATE, CVelmorView::OnZoomChanged)
    EVT_MENU(ID_MAKE_SKETCH, CVelmorView::OnMakeSketch)
    EVT_BUTTON(ID_MAKE_SKETCH, CVelmorView::OnMakeSketch)
    EVT_MENU(ID_TOGGLE_DISPLAY, CVelmorView::OnToggleDisplay)
    EVT_BUTTON(ID_TOGGLE_DISPLAY, CVelmorView::OnToggleDisplay)
    EVT_MENU(ID_EDIT_COPY, CVelmorView::OnCopyPicture)
    EVT_MENU(ID_OPTIONS, CVelmorView::OnOptions)
    EVT_UPDATE_UI(ID_VIEWER, CVelmorView::OnUpdateNeedOriginal)
    EVT_MENU(ID_VIEWER, CVelmorView::OnExternalViewer)
    EVT_BUTTON(ID_VIEWER, CVelmorView::OnExternalViewer)
    EVT_CHECKBOX(IDC_DENOISE, CVelmorView::OnDenoiseClicked)
    EVT_BUTTON(IDC_LINE_COLOR, CVelmorView::OnLineColor)
    EVT_BUTTON(IDC_FRAME_COLOR, CVelmorView::OnFrameColor)
    EVT_COMMAND(wxID_ANY, EVT_VELMOR_SKETCH_PARAMETER_CHANGED, CVelmorView::OnSketchParameterChanged)
wxEND_EVENT_TABLE()

namespace {

constexpr const char* kCopyFailed = "クリップボードにコピーできませんでした。\n";
// Our image, the platform's bitmap and the encoded form it hands out.
constexpr std::uint64_t kClipboardBytesPerPixel = 12;

}  // namespace

bool CVelmorView::HasOriginal() const {
    const CVelmorDoc* doc = GetVelmorDoc();
    return doc != nullptr && doc->m_pOriginal != nullptr;
}

void CVelmorView::OnUpdateNeedOriginal(wxUpdateUIEvent& event) { event.Enable(HasOriginal()); }

void CVelmorView::OnUpdateToggleDisplay(wxUpdateUIEvent& event) {
    event.Enable(HasOriginal() && GetVelmorDoc()->Sketch() != nullptr);
}

// Printing is of the sketch, a colouring page, whichever picture is shown.
void CVelmorView::OnUpdateNeedSketch(wxUpdateUIEvent& event) {
    event.Enable(HasOriginal() && GetVelmorDoc()->Sketch() != nullptr);
}

void CVelmorView::OnPrintSketch(wxCommandEvent&) {
    // An accelerator may come before the menu's update.
    CVelmorDoc* doc = GetVelmorDoc();
    if (doc == nullptr || doc->Sketch() == nullptr) return;
    PrintSketch(GetFrame(), *doc->Sketch(), doc->GetUserReadableName(),
                doc->GetDocumentManager()->GetPageSetupDialogData());
}

void CVelmorView::OnPreviewSketch(wxCommandEvent&) {
    CVelmorDoc* doc = GetVelmorDoc();
    if (doc == nullptr || doc->Sketch() == nullptr) return;
    PreviewSketch(GetFrame(), *doc->Sketch(), doc->GetUserReadableName(),
                  doc->GetDocumentManager()->GetPageSetupDialogData());
}

void CVelmorView::MakeSketch() {
    if (!HasOriginal()) return;
    m_bShowOriginal = !GetVelmorDoc()->MakeSketch();
    if (m_canvas != nullptr) m_canvas->InvalidateCache();
    ZoomChanged();
}

void CVelmorView::RegenerateIfSketchShown() {
    if (HasOriginal() && GetVelmorDoc()->Sketch() != nullptr && !m_bShowOriginal) MakeSketch();
}

void CVelmorView::OnMakeSketch(wxCommandEvent&) { MakeSketch(); }

void CVelmorView::OnToggleDisplay(wxCommandEvent&) {
    if (!HasOriginal() || GetVelmorDoc()->Sketch() == nullptr) return;
    m_bShowOriginal = !m_bShowOriginal;
    ZoomChanged();
}

void CVelmorView::OnSketchParameterChanged(wxCommandEvent&) { RegenerateIfSketchShown(); }

void CVelmorView::OnDenoiseClicked(wxCommandEvent&) { RegenerateIfSketchShown(); }

void CVelmorView::OnLineColor(wxCommandEvent&) {
    if (auto* frame = wxDynamicCast(GetFrame(), CMainFrame)) ChooseColour(frame->m_wndDlgBar->m_btnLineColor);
}

void CVelmorView::OnFrameColor(wxCommandEvent&) {
    if (auto* frame = wxDynamicCast(GetFrame(), CMainFrame)) ChooseColour(frame->m_wndDlgBar->m_btnFrameColor);
}

void CVelmorView::ChooseColour(CColorButton* button) {
    wxCHECK_RET(button != nullptr, "the panel has both colour buttons");
    const std::uint32_t current = button->m_color;
    const wxColour colour(current & 0xFF, (current >> 8) & 0xFF, (current >> 16) & 0xFF);
    // Custom colour 0 is the current colour, the rest white; nothing the
    // user defines there outlives the dialog.
    wxColourData data;
    data.SetChooseFull(false);
    data.SetColour(colour);
    data.SetCustomColour(0, colour);
    for (int i = 1; i < static_cast<int>(wxColourData::NUM_CUSTOM); ++i) data.SetCustomColour(i, *wxWHITE);
    wxColourDialog dialog(GetFrame(), &data);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxColour chosen = dialog.GetColourData().GetColour();
    button->m_color = static_cast<std::uint32_t>(chosen.Red()) | static_cast<std::uint32_t>(chosen.Green()) << 8 |
                      static_cast<std::uint32_t>(chosen.Blue()) << 16;
    button->Refresh();
    RegenerateIfSketchShown();
}

void CVelmorView::OnOptions(wxCommandEvent&) { ShowOptionsDialog(GetFrame()); }

void CVelmorView::OnExternalViewer(wxCommandEvent&) {
    if (!HasOriginal()) return;
    auto* frame = wxDynamicCast(GetFrame(), CMainFrame);
    if (frame == nullptr) return;
    // The sketch is displayed only while the document holds one.
    imaging::Picture* picture = m_bShowOriginal ? GetVelmorDoc()->m_pOriginal.get() : GetVelmorDoc()->Sketch();
    if (picture == nullptr) return;
    LaunchExternalViewer(*picture, m_bShowOriginal, frame->m_mapTempFiles);
}

bool CVelmorView::CopyPicture() {
    imaging::Picture* picture = DisplayedPicture();
    if (picture == nullptr) return false;
    const DisplaySize size = GetDisplaySize(*picture);
    const std::uint64_t pixels = std::uint64_t{size.cx} * size.cy;
    const wxColour window = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    // The clipboard keeps what it held unless the new picture is complete.
    wxImage image;
    const bool fits = pixels > 0 && pixels <= imaging::kMaxPicturePixels &&
                      pixels <= UsableMemory() / kClipboardBytesPerPixel;
    if (!fits || !RenderRegion(*picture, size.cx, size.cy,
                               wxRect(0, 0, static_cast<int>(size.cx), static_cast<int>(size.cy)), window, &image)) {
        ShowUserMessage(wxString::FromUTF8(kCopyFailed) + wxString::FromUTF8(kMsgOutOfMemory));
        return false;
    }
    wxBitmap bitmap(image);
    image.Destroy();
    if (!bitmap.IsOk()) {
        ShowUserMessage(wxString::FromUTF8(kCopyFailed) + wxString::FromUTF8(kMsgOutOfMemory));
        return false;
    }
    wxClipboardLocker locker;
    if (!locker) return false;
    return wxTheClipboard->SetData(new wxBitmapDataObject(bitmap));
}

void CVelmorView::OnCopyPicture(wxCommandEvent&) { CopyPicture(); }

void CVelmorView::OnZoomChanged(wxCommandEvent&) {
    // The focus stays in the zoom box.
    if (m_canvas != nullptr) m_canvas->InvalidateCache();
    ZoomChanged();
}

bool CVelmorView::OnCreate(wxDocument* doc, long flags) {
    if (!wxView::OnCreate(doc, flags)) return false;
    auto* frame = wxDynamicCast(wxTheApp->GetTopWindow(), CMainFrame);
    if (frame == nullptr) return false;
    m_canvas = new CVelmorCanvas(frame, this);
    SetFrame(frame);
    frame->SetViewWindow(m_canvas);
    m_canvas->SetDisplaySize(10, 10);
    Activate(true);
    return true;
}

bool CVelmorView::OnClose(bool deleteWindow) {
    if (!wxView::OnClose(deleteWindow)) return false;
    Activate(false);
    if (deleteWindow && m_canvas != nullptr) {
        if (auto* frame = wxDynamicCast(GetFrame(), CMainFrame)) frame->SetViewWindow(nullptr);
        m_canvas->Destroy();
        m_canvas = nullptr;
    }
    return true;
}

CVelmorDoc* CVelmorView::GetVelmorDoc() const { return wxDynamicCast(GetDocument(), CVelmorDoc); }

imaging::Picture* CVelmorView::DisplayedPicture() {
    CVelmorDoc* doc = GetVelmorDoc();
    if (doc == nullptr || !doc->m_pOriginal) return nullptr;
    if (!m_bShowOriginal && doc->Sketch() != nullptr) return doc->Sketch();
    return doc->m_pOriginal.get();
}

int CVelmorView::CurrentZoomItem() const {
    auto* frame = wxDynamicCast(GetFrame(), CMainFrame);
    if (frame == nullptr || frame->m_wndDlgBar == nullptr) return -1;
    return frame->m_wndDlgBar->m_comboViewRate->GetSelection();
}

DisplaySize CVelmorView::GetDisplaySize(imaging::Picture& picture) {
    const wxSize client = m_canvas != nullptr ? m_canvas->GetClientSize() : wxSize(0, 0);
    const std::uint32_t rate = EffectiveRate(CurrentZoomItem(), picture.Width(), picture.Height(),
                                             static_cast<std::uint32_t>(std::max(client.x, 0)),
                                             static_cast<std::uint32_t>(std::max(client.y, 0)));
    // Only a changed percentage is written, so a blank pane stays blank at 0 %.
    if (auto* frame = wxDynamicCast(GetFrame(), wxFrame); frame != nullptr && frame->GetStatusBar() != nullptr) {
        wxStatusBar* bar = frame->GetStatusBar();
        const std::uint32_t percent = RatePercent(rate);
        if (LeadingNumber(bar->GetStatusText(1).utf8_string()) != percent)
            bar->SetStatusText(wxString::Format("%u%%", percent), 1);
    }
    return ScaledSize(picture.Width(), picture.Height(), rate);
}

void CVelmorView::ZoomChanged() {
    if (m_canvas == nullptr) return;
    if (imaging::Picture* picture = DisplayedPicture()) {
        const DisplaySize size = GetDisplaySize(*picture);
        m_canvas->SetDisplaySize(size.cx, size.cy);
    }
    m_canvas->Refresh();
}

void CVelmorView::OnDraw(wxDC* dc) {
    if (m_canvas != nullptr && dc != nullptr)
        m_canvas->PaintTo(*dc, m_canvas->CalcUnscrolledPosition(wxPoint(0, 0)), m_canvas->GetClientSize());
}

void CVelmorView::OnUpdate(wxView*, wxObject*) {
    if (m_canvas == nullptr) return;
    m_canvas->InvalidateCache();
    CVelmorDoc* doc = GetVelmorDoc();
    if (doc == nullptr || doc->Sketch() == nullptr) m_bShowOriginal = true;
    if (imaging::Picture* picture = DisplayedPicture()) {
        const DisplaySize size = GetDisplaySize(*picture);
        m_canvas->SetDisplaySize(size.cx, size.cy);
    } else {
        m_canvas->SetDisplaySize(0, 0);
    }
    m_canvas->Refresh();
}

void CVelmorView::OnChangeFilename() {
    if (wxWindow* frame = GetFrame(); frame != nullptr && GetDocument() != nullptr)
        frame->SetLabel(GetDocument()->GetUserReadableName() + " - " + wxString::FromUTF8(kAppTitle));
}
