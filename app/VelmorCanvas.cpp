#include "app/VelmorCanvas.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/settings.h>

#include "app/PromptFont.h"
#include "app/RegionRenderer.h"
#include "app/VelmorView.h"
#include "document/VelmorDoc.h"
#include "ui/MainDialogBar.h"
#include "ui/MainFrame.h"
#include "ui/PlatformLooks.h"
#include "res/UiTexts.h"

wxBEGIN_EVENT_TABLE(CVelmorCanvas, wxScrolledCanvas)
    EVT_PAINT(CVelmorCanvas::OnPaint)
    EVT_SIZE(CVelmorCanvas::OnSize)
    EVT_ERASE_BACKGROUND(CVelmorCanvas::OnEraseBackground)
    EVT_KEY_DOWN(CVelmorCanvas::OnKeyDown)
    EVT_MOUSEWHEEL(CVelmorCanvas::OnMouseWheel)
wxEND_EVENT_TABLE()

namespace {
// Extra scaled pixels rendered around the visible part, so short scrolls are blits.
constexpr int kCacheMargin = 128;
}

CVelmorCanvas::CVelmorCanvas(wxWindow* parent, CVelmorView* view)
    : wxScrolledCanvas(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                       wxHSCROLL | wxVSCROLL | wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS),
      m_view(view) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // Pixels: the range is then exactly the displayed size.
    SetScrollRate(1, 1);
    SetDropTarget(new DropTarget(view));
    // At 800 % a person must see that the picture goes on.
    KeepScrollBarsVisible(this);
    ShowScrollbars(wxSHOW_SB_DEFAULT, wxSHOW_SB_DEFAULT);
}

void CVelmorCanvas::SetDisplaySize(std::uint32_t cx, std::uint32_t cy) {
    m_steps = ScrollStepsFor(cx, cy);
    const wxSize virt = GetVirtualSize();
    if (virt.x == static_cast<int>(cx) && virt.y == static_cast<int>(cy)) return;
    SetVirtualSize(static_cast<int>(cx), static_cast<int>(cy));
}

void CVelmorCanvas::ScrollBy(long long dx, long long dy) {
    const wxPoint at = CalcUnscrolledPosition(wxPoint(0, 0));
    const wxSize virt = GetVirtualSize(), client = GetClientSize();
    Scroll(ScrolledPosition(at.x, dx, static_cast<std::uint32_t>(virt.x), client.x),
           ScrolledPosition(at.y, dy, static_cast<std::uint32_t>(virt.y), client.y));
}

void CVelmorCanvas::OnMouseWheel(wxMouseEvent& event) {
    // Each notch moves as many lines as the system says, a line at a time.
    const int delta = event.GetWheelDelta() > 0 ? event.GetWheelDelta() : 120;
    const long long lines = -static_cast<long long>(event.GetWheelRotation()) * event.GetLinesPerAction() / delta;
    if (event.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL)
        ScrollBy(-lines * m_steps.lineX, 0);  // a positive tilt goes right
    else if (event.ShiftDown())
        ScrollBy(lines * m_steps.lineX, 0);
    else
        ScrollBy(0, lines * m_steps.lineY);
}

void CVelmorCanvas::OnSize(wxSizeEvent& event) {
    // In the fit mode the rate follows the window.
    if (m_view != nullptr) m_view->ZoomChanged();
    event.Skip();
}

void CVelmorCanvas::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    PaintTo(dc, CalcUnscrolledPosition(wxPoint(0, 0)), GetClientSize());
}

void CVelmorCanvas::PaintEmptyState(wxDC& dc, const wxSize& client) {
    const wxColour window = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(window));
    dc.DrawRectangle(0, 0, client.x, client.y);
    dc.SetFont(PromptFont());
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));
    const wxString text = wxString::FromUTF8(kEmptyViewPrompt);
    const wxSize extent = dc.GetTextExtent(text);
    dc.DrawText(text, (client.x - extent.x) / 2, (client.y - extent.y) / 2);
}

void CVelmorCanvas::PaintTo(wxDC& dc, const wxPoint& origin, const wxSize& client) {
    if (m_view == nullptr || m_view->GetDocument() == nullptr) return;
    CVelmorDoc* doc = m_view->GetVelmorDoc();
    if (doc->Sketch() == nullptr) m_view->m_bShowOriginal = true;
    imaging::Picture* picture = m_view->DisplayedPicture();
    if (picture == nullptr) {
        PaintEmptyState(dc, client);
        return;
    }
    const DisplaySize size = m_view->GetDisplaySize(*picture);
    const wxColour window = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);

    // The visible part of the scaled picture, in scaled-picture coordinates.
    const wxRect scaled(0, 0, static_cast<int>(size.cx), static_cast<int>(size.cy));
    const wxRect visible = wxRect(origin, client).Intersect(scaled);
    if (!visible.IsEmpty()) {
        const bool cached = m_cache.IsOk() && m_cachePicture == picture && m_cacheCx == size.cx &&
                            m_cacheCy == size.cy && m_cacheRegion.Contains(visible);
        if (!cached) {
            wxRect region = visible;
            region.Inflate(kCacheMargin);
            region.Intersect(scaled);
            wxImage image;
            if (!RenderRegion(*picture, size.cx, size.cy, region, window, &image)) {
                m_cache = wxBitmap();
                PaintEmptyState(dc, client);
                return;
            }
            m_cache = wxBitmap(image);
            m_cachePicture = picture;
            m_cacheCx = size.cx;
            m_cacheCy = size.cy;
            m_cacheRegion = region;
        }
        wxMemoryDC source(m_cache);
        dc.Blit(visible.x - origin.x, visible.y - origin.y, visible.width, visible.height, &source,
                visible.x - m_cacheRegion.x, visible.y - m_cacheRegion.y);
    }

    // Window-colour margins right of and below the picture.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(window));
    const int right = static_cast<int>(size.cx) - origin.x;
    const int bottom = static_cast<int>(size.cy) - origin.y;
    if (right < client.x) dc.DrawRectangle(std::max(right, 0), 0, client.x - std::max(right, 0), client.y);
    if (bottom < client.y) dc.DrawRectangle(0, std::max(bottom, 0), client.x, client.y - std::max(bottom, 0));
}

void CVelmorCanvas::OnKeyDown(wxKeyEvent& event) {
    // Tab enters the control panel at its first control, Shift+Tab at its last.
    if (event.GetKeyCode() == WXK_TAB) {
        if (auto* frame = wxDynamicCast(GetParent(), CMainFrame); frame != nullptr && frame->m_wndDlgBar != nullptr) {
            frame->m_wndDlgBar->FocusEdgeControl(!event.ShiftDown());
            return;
        }
    }
    const long long whole = GetVirtualSize().y;
    switch (event.GetKeyCode()) {
    case WXK_PAGEUP: ScrollBy(0, -m_steps.pageY); return;
    case WXK_PAGEDOWN: ScrollBy(0, m_steps.pageY); return;
    case WXK_HOME: ScrollBy(0, -whole); return;
    case WXK_END: ScrollBy(0, whole); return;
    case WXK_UP: ScrollBy(0, -m_steps.lineY); return;
    case WXK_DOWN: ScrollBy(0, m_steps.lineY); return;
    case WXK_LEFT: ScrollBy(-m_steps.lineX, 0); return;
    case WXK_RIGHT: ScrollBy(m_steps.lineX, 0); return;
    default: break;
    }
    event.Skip();
}

bool CVelmorCanvas::DropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) {
    if (files.empty() || m_view == nullptr) return false;
    // Opened once the drop is over: a message box inside the drag would
    // leave the source program waiting. Further files are ignored.
    const wxString first = files[0];
    wxTheApp->CallAfter([first] {
        if (wxDocManager* manager = wxDocManager::GetDocumentManager()) manager->CreateDocument(first, wxDOC_SILENT);
    });
    return true;
}
