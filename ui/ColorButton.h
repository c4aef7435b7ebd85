// A push button that shows a colour: the native face, the colour filling its
// inner area and the caption centred on it in black or white, whichever
// reads better. The button only holds the colour; a click is an ordinary
// button event and the owner picks the colour, stores it in m_color and
// refreshes the button.
#pragma once

#include <cstdint>

#include "ui/DrawnButton.h"

class CColorButton : public DrawnButton {
public:
    using DrawnButton::DrawnButton;

    // Red in the low byte, then green, then blue; buttons::kNoColor shows an
    // empty face.
    std::uint32_t m_color = buttons::kNoColor;

protected:
    void Paint(wxDC& dc, const wxRect& rect) override;
};
