// CVelmorView: shows the document's original picture or its sketch at the
// zoom rate chosen in the control panel, scrolled, or the empty-state prompt.
// The drawing happens on CVelmorCanvas, the view's scrolling window.
#pragma once

#include <cstdint>

#include <wx/docview.h>

#include "app/DisplayZoom.h"

class CColorButton;
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

    // Makes the sketch and shows it (the original picture after a failure).
    void MakeSketch();
    // A sketch parameter changed: the sketch is made again at once, but only
    // while a sketch exists and is displayed.
    void RegenerateIfSketchShown();
    // The displayed picture at its displayed size onto the clipboard; false
    // (after a message, when the picture was too large) if nothing was placed.
    bool CopyPicture();

    bool m_bShowOriginal = true;

private:
    int CurrentZoomItem() const;
    bool HasOriginal() const;
    void OnUpdateNeedOriginal(wxUpdateUIEvent& event);
    void OnUpdateToggleDisplay(wxUpdateUIEvent& event);
    void OnUpdateNeedSketch(wxUpdateUIEvent& event);
    void OnPrintSketch(wxCommandEvent& event);
    void OnPreviewSketch(wxCommandEvent& event);
    void OnZoomChanged(wxCommandEvent& event);
    void OnMakeSketch(wxCommandEvent& event);
    void OnToggleDisplay(wxCommandEvent& event);
    void OnCopyPicture(wxCommandEvent& event);
    void OnOptions(wxCommandEvent& event);
    void OnExternalViewer(wxCommandEvent& event);
    void OnDenoiseClicked(wxCommandEvent& event);
    void OnLineColor(wxCommandEvent& event);
    void OnFrameColor(wxCommandEvent& event);
    void OnSketchParameterChanged(wxCommandEvent& event);
    void ChooseColour(CColorButton* button);

    CVelmorCanvas* m_canvas = nullptr;

    wxDECLARE_DYNAMIC_CLASS(CVelmorView);
    wxDECLARE_EVENT_TABLE();
};
