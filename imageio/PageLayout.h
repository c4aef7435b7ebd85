// Where a picture goes on a sheet of paper, for printing and for PDF pages.
//
// The picture fills the printable area less a margin on every side, keeping
// its proportions, centred in that area and never cut: the placed rectangle
// always lies inside it. It is placed turned a quarter when that makes it
// larger (a landscape picture on a portrait page); a tie stays upright.
//
// "Turned on this page" and "upright on the page turned" are one layout seen
// two ways. A printer whose page orientation is fixed draws the picture
// turned into `placed`; a writer that may choose the page (a PDF) takes
// TurnPage(layout) and gets the landscape page with the picture upright.
//
// Any unit works (PDF points, printer pixels) as long as it is the same
// across and down; the margin comes in that unit too (FromMillimetres).
#pragma once

#include <optional>
#include <string_view>

inline constexpr double kMillimetresPerInch = 25.4;
inline constexpr double kPointsPerInch = 72.0;  // the unit of a PDF page
inline constexpr double kPageMarginMm = 10.0;   // white left round the picture

constexpr double FromMillimetres(double mm, double unitsPerInch) { return mm / kMillimetresPerInch * unitsPerInch; }

// A sheet, portrait (width below height), in millimetres.
struct PaperSize {
    std::string_view name;
    double widthMm;
    double heightMm;
};

inline constexpr PaperSize kPaperA4{"A4", 210.0, 297.0};
inline constexpr PaperSize kPaperLetter{"Letter", 215.9, 279.4};  // 8.5 x 11 in
inline constexpr PaperSize kPaperSizes[] = {kPaperA4, kPaperLetter};

// The paper called `name` (A to Z compared without case); null when unknown.
const PaperSize* FindPaperSize(std::string_view name);

struct PageRect {
    double x = 0, y = 0, width = 0, height = 0;
};

struct PageLayout {
    PageRect page;       // the page in the caller's unit, origin at its top-left corner
    PageRect printable;  // as given
    PageRect placed;     // the picture's rectangle on the page, as it lies there
    bool turned = false; // the picture lies turned a quarter in `placed`
    double scale = 0;    // page units per picture pixel
};

enum class Turning { Allowed, Never };

// The layout of a pictureWidth x pictureHeight picture (pixels, both > 0)
// on `page`, within `printable` (a part of it) less `margin` on each side.
// Empty when the sizes are not positive or the margins leave no room.
std::optional<PageLayout> LayOutPicture(int pictureWidth, int pictureHeight, const PageRect& page,
                                        const PageRect& printable, double margin,
                                        Turning turning = Turning::Allowed);

// On the whole of a portrait `paper` in units of 1/unitsPerInch inch, as a
// PDF page is; the margin in that unit too.
std::optional<PageLayout> LayOutPicture(int pictureWidth, int pictureHeight, const PaperSize& paper,
                                        double unitsPerInch, double margin);

// The same layout on the page turned a quarter (reflected across its
// diagonal): width and height change places and so do x and y, everywhere;
// `turned` flips.
PageLayout TurnPage(const PageLayout& layout);

// The layout with the picture upright: itself, or TurnPage of a turned one.
PageLayout Upright(const PageLayout& layout);
