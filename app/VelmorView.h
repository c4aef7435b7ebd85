// CVelmorView: shows the document's original picture or its sketch at the
// zoom rate chosen in the control panel, scrolled, or the empty-state prompt.
// The drawing happens on CVelmorCanvas, the view's scrolling window.
#pragma once

#include <cstdint>

#include <wx/docview.h>

#include "app/DisplayZoom.h"

class CVelmorCanvas;
class CVelmorDoc;
namespace imaging {
class Picture;
}

class CVelmorView : public wxView {
public:
    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnDraw(wxDC* dc) override;
    void OnUpdate(wxView* sender, wxObject* hint) override;
    void OnChangeFilename() override;

    CVelmorDoc* GetVelmorDoc() const;
    CVelmorCanvas* GetCanvas() const { return m_canvas; }

    // The displayed picture: the sketch when it is shown and exists, else
    // the original picture; null when there is no original picture.
    imaging::Picture* DisplayedPicture();

    // The picture's size at the current zoom; refreshes the zoom pane.
    DisplaySize GetDisplaySize(imaging::Picture& picture);

    // Re-reads the displayed size into the scroll bars and repaints.
    void ZoomChanged();

    bool m_bShowOriginal = true;

private:
    int CurrentZoomItem() const;
    void OnUpdateNeedOriginal(wxUpdateUIEvent& event);
    void OnZoomChanged(wxCommandEvent& event);

    CVelmorCanvas* m_canvas = nullptr;

    wxDECLARE_DYNAMIC_CLASS(CVelmorView);
    wxDECLARE_EVENT_TABLE();
};
