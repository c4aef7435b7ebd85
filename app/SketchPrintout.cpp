#include "app/SketchPrintout.h"

#include <algorithm>
#include <cmath>

#include <wx/bitmap.h>
#include <wx/dc.h>

#include "app/PrinterPaperOrigin.h"
#include "app/RegionRenderer.h"
#include "imageio/PageLayout.h"

namespace {

constexpr std::uint64_t kBandPixels = 1u << 20;  // the rendered band, before it goes to the device

int Edge(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

CSketchPrintout::CSketchPrintout(imaging::Picture& picture, const wxString& title)
    : wxPrintout(title), m_picture(picture) {}

void CSketchPrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) {
    *minPage = *maxPage = *pageFrom = *pageTo = 1;
}

bool CSketchPrintout::OnPrintPage(int page) {
    wxDC* dc = GetDC();
    if (dc == nullptr || page != 1) return false;
    auto fail = [this] {
        m_failed = true;
        return false;
    };
    // The printable area is the page size; the paper may reach past it
    // (a negative origin) where the platform knows the printer's margins.
    int pageW = 0, pageH = 0;
    GetPageSizePixels(&pageW, &pageH);
    const wxRect paper = GetPaperRectPixels();
    int ppiX = 0, ppiY = 0;
    GetPPIPrinter(&ppiX, &ppiY);
    if (pageW <= 0 || pageH <= 0 || ppiX <= 0 || ppiY <= 0) return fail();
    // The layout wants one unit across and down: rows are counted in
    // columns' pixels (ky) for it, and back after it, so a printer finer
    // down than across still gets the picture's proportions.
    const double ky = static_cast<double>(ppiX) / ppiY;
    const PageRect sheet{0, 0, static_cast<double>(paper.width), paper.height * ky};
    const PageRect printable{-static_cast<double>(paper.x), -paper.y * ky, static_cast<double>(pageW), pageH * ky};
    const auto layout = LayOutPicture(static_cast<int>(m_picture.Width()), static_cast<int>(m_picture.Height()),
                                      sheet, printable, FromMillimetres(kPageMarginMm, ppiX));
    if (!layout) return fail();

    // Page pixels to the DC's own: one to one on a printer, the zoom in a preview.
    const wxSize device = dc->GetSize();
    const double sx = static_cast<double>(device.x) / pageW, sy = static_cast<double>(device.y) / pageH;
    // The paper's corner in DC pixels: where the platform left the origin.
    const wxPoint shift = PrinterOriginOnPaper(*dc);
    const double cornerX = paper.x - shift.x, cornerY = paper.y - shift.y;
    const PageRect p{layout->placed.x, layout->placed.y / ky, layout->placed.width, layout->placed.height / ky};
    const int x0 = Edge((p.x + cornerX) * sx), x1 = Edge((p.x + cornerX + p.width) * sx);
    const int y0 = Edge((p.y + cornerY) * sy), y1 = Edge((p.y + cornerY + p.height) * sy);
    m_placed = wxRect(x0, y0, std::max(x1 - x0, 1), std::max(y1 - y0, 1));
    m_turned = layout->turned;
    if (!DrawPicture(*dc, m_placed, m_turned)) return fail();
    return true;
}

bool CSketchPrintout::DrawPicture(wxDC& dc, const wxRect& placed, bool turned) {
    // Rendered at the device's pixels, or at most kMaxPrintPixels stretched over them.
    int outW = placed.width, outH = placed.height;
    const double pixels = static_cast<double>(outW) * outH;
    if (pixels > static_cast<double>(kMaxPrintPixels)) {
        const double f = std::sqrt(static_cast<double>(kMaxPrintPixels) / pixels);
        outW = std::max(1, static_cast<int>(outW * f));
        outH = std::max(1, static_cast<int>(outH * f));
    }
    // The upright picture's scaled size: a turned one lies across.
    const int scaledW = turned ? outH : outW, scaledH = turned ? outW : outH;

    double userX = 1, userY = 1;
    dc.GetUserScale(&userX, &userY);
    const wxPoint origin = dc.GetDeviceOrigin();
    dc.SetUserScale(static_cast<double>(placed.width) / outW, static_cast<double>(placed.height) / outH);
    dc.SetDeviceOrigin(placed.x, placed.y);

    const int band = static_cast<int>(std::clamp<std::uint64_t>(kBandPixels / static_cast<std::uint64_t>(outW), 1,
                                                                static_cast<std::uint64_t>(outH)));
    bool ok = true;
    for (int top = 0; top < outH && ok; top += band) {
        const int rows = std::min(band, outH - top);
        wxImage image;
        if (turned) {
            // Output rows top.. are the upright picture's columns from the right
            // (its top goes to the left edge): a column band, turned left.
            const wxRect columns(scaledW - top - rows, 0, rows, scaledH);
            ok = RenderRegion(m_picture, scaledW, scaledH, columns, *wxWHITE, &image);
            if (ok) image = image.Rotate90(false);
        } else {
            ok = RenderRegion(m_picture, scaledW, scaledH, wxRect(0, top, outW, rows), *wxWHITE, &image);
        }
        ok = ok && image.IsOk();
        if (!ok) break;
        const wxBitmap bitmap(image);
        ok = bitmap.IsOk();
        if (ok) dc.DrawBitmap(bitmap, 0, top);
    }
    dc.SetDeviceOrigin(origin.x, origin.y);
    dc.SetUserScale(userX, userY);
    return ok;
}
