#include "app/VelmorView.h"

#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/statusbr.h>

#include "app/VelmorCanvas.h"
#include "document/VelmorDoc.h"
#include "res/CommandIds.h"
#include "ui/MainDialogBar.h"
#include "ui/MainFrame.h"
#include "res/UiTexts.h"

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
    EVT_CHOICE(IDC_VIEW_RATE, CVelmorView::OnZoomChanged)
wxEND_EVENT_TABLE()

void CVelmorView::OnUpdateNeedOriginal(wxUpdateUIEvent& event) {
    const CVelmorDoc* doc = GetVelmorDoc();
    event.Enable(doc != nullptr && doc->m_pOriginal != nullptr);
}

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
    if (!m_bShowOriginal && doc->m_pSketch) return doc->m_pSketch.get();
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
    if (doc == nullptr || !doc->m_pSketch) m_bShowOriginal = true;
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
