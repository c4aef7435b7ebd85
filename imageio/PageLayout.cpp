#include "imageio/PageLayout.h"

#include <algorithm>

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

PageRect Transposed(const PageRect& r) { return {r.y, r.x, r.height, r.width}; }

}  // namespace

const PaperSize* FindPaperSize(std::string_view name) {
    for (const PaperSize& paper : kPaperSizes)
        if (EqualIgnoringAsciiCase(name, paper.name)) return &paper;
    return nullptr;
}

std::optional<PageLayout> LayOutPicture(int pictureWidth, int pictureHeight, const PageRect& page,
                                        const PageRect& printable, double margin, Turning turning) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || !(margin >= 0)) return std::nullopt;
    const double roomW = printable.width - 2 * margin, roomH = printable.height - 2 * margin;
    if (!(roomW > 0) || !(roomH > 0)) return std::nullopt;
    const double w = pictureWidth, h = pictureHeight;
    const double upright = std::min(roomW / w, roomH / h);
    const double turnedScale = std::min(roomW / h, roomH / w);
    PageLayout layout;
    layout.page = page;
    layout.printable = printable;
    layout.turned = turning == Turning::Allowed && turnedScale > upright;
    layout.scale = layout.turned ? turnedScale : upright;
    const double across = layout.turned ? h : w, down = layout.turned ? w : h;
    // The side that fills the room is the room itself, so rounding never
    // pushes it past the margin.
    const double placedW = std::min(across * layout.scale, roomW);
    const double placedH = std::min(down * layout.scale, roomH);
    layout.placed = {printable.x + margin + (roomW - placedW) / 2, printable.y + margin + (roomH - placedH) / 2,
                     placedW, placedH};
    return layout;
}

std::optional<PageLayout> LayOutPicture(int pictureWidth, int pictureHeight, const PaperSize& paper,
                                        double unitsPerInch, double margin) {
    const PageRect sheet{0, 0, FromMillimetres(paper.widthMm, unitsPerInch),
                         FromMillimetres(paper.heightMm, unitsPerInch)};
    return LayOutPicture(pictureWidth, pictureHeight, sheet, sheet, margin);
}

PageLayout TurnPage(const PageLayout& layout) {
    PageLayout turned = layout;
    turned.page = Transposed(layout.page);
    turned.printable = Transposed(layout.printable);
    turned.placed = Transposed(layout.placed);
    turned.turned = !layout.turned;
    return turned;
}

PageLayout Upright(const PageLayout& layout) { return layout.turned ? TurnPage(layout) : layout; }
