// The view's window: a scrolling canvas that paints every pixel of its client
// area itself (the picture, window-colour margins, or the empty-state prompt)
// and keeps the last scaled region so a repaint of the same picture at the
// same zoom and scroll position is a plain blit.
#pragma once

#include <cstdint>

#include <wx/bitmap.h>
#include <wx/dnd.h>
#include <wx/scrolwin.h>

#include "app/ScrollSteps.h"

class CVelmorView;
namespace imaging {
class Picture;
}

class CVelmorCanvas : public wxScrolledCanvas {
public:
    CVelmorCanvas(wxWindow* parent, CVelmorView* view);

    // Sets the scrollable size; (0, 0) for no picture.
    void SetDisplaySize(std::uint32_t cx, std::uint32_t cy);
    // Forget the cached scaled region (the picture's pixels changed).
    void InvalidateCache() { m_cache = wxBitmap(); }

    // Paints the view into `dc` as a repaint would (also used by tests and
    // the benchmark to draw off screen).
    void PaintTo(wxDC& dc, const wxPoint& scrollOrigin, const wxSize& clientSize);

    // Files dropped on the view: the first opens as the original picture,
    // through the same path as the recent-file list.
    class DropTarget : public wxFileDropTarget {
    public:
        explicit DropTarget(CVelmorView* view) : m_view(view) {}
        bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override;

    private:
        CVelmorView* m_view;
    ScrollSteps m_steps;
    };

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnEraseBackground(wxEraseEvent&) {}
    void OnKeyDown(wxKeyEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    // Scrolls by pixels, kept within the displayed picture.
    void ScrollBy(long long dx, long long dy);
    void PaintEmptyState(wxDC& dc, const wxSize& clientSize);

    CVelmorView* m_view;
    ScrollSteps m_steps;
    // Cache of the last scaled region and what it was made from.
    wxBitmap m_cache;
    const imaging::Picture* m_cachePicture = nullptr;
    std::uint32_t m_cacheCx = 0, m_cacheCy = 0;
    wxRect m_cacheRegion;

    wxDECLARE_EVENT_TABLE();
};
