// CSketchPrintout: the one page of a printed sketch. The picture fills the
// printable area less kPageMarginMm (imageio/PageLayout), turned a quarter
// (its top to the left edge) when that makes it larger, and centred.
//
// It is scaled smoothly (imaging/display) to the device pixels it covers:
// the printer's at its resolution, the preview bitmap's in a preview. The
// page is drawn in bands of rows, and above kMaxPrintPixels the picture is
// rendered at that many pixels and stretched by the device, so a 1200 dpi
// page costs what a 600 dpi one does.
//
// The picture must outlive the printout; the preview window is app-modal,
// so the document cannot change under it.
#pragma once

#include <cstdint>

#include <wx/prntbase.h>

#include "imaging/picture/Picture.h"

inline constexpr std::uint64_t kMaxPrintPixels = 40'000'000;  // a whole A4 page at 600 dpi is 35 million

class CSketchPrintout : public wxPrintout {
public:
    CSketchPrintout(imaging::Picture& picture, const wxString& title);

    bool OnPrintPage(int page) override;
    bool HasPage(int page) override { return page == 1; }
    void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;

    // A page that could not be drawn (the picture unreadable, memory short).
    bool Failed() const { return m_failed; }
    // The device rectangle of the last page drawn and whether it was turned.
    wxRect PlacedRect() const { return m_placed; }
    bool Turned() const { return m_turned; }

private:
    bool DrawPicture(wxDC& dc, const wxRect& placed, bool turned);

    imaging::Picture& m_picture;
    bool m_failed = false;
    wxRect m_placed;
    bool m_turned = false;
};
