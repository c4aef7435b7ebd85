// The panel's drawn buttons and the command icons, on a real display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/settings.h>

#include "ui/ButtonGeometry.h"
#include "ui/ColorButton.h"
#include "ui/CommandIcons.h"
#include "ui/ImageTextButton.h"

namespace {

struct Rgb {
    int r, g, b;
};

Rgb PixelAt(const wxImage& image, int x, int y) {
    return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

Rgb FromColour(const wxColour& c) {
    return {c.Red(), c.Green(), c.Blue()};
}

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

bool Between(int v, int a, int b, int slack) {
    return v >= std::min(a, b) - slack && v <= std::max(a, b) + slack;
}

wxImage Render(DrawnButton& button) {
    wxBitmap bitmap(button.GetClientSize(), 24);
    {
        wxMemoryDC dc(bitmap);
        button.PaintTo(dc);
    }
    return bitmap.ConvertToImage();
}

// A shown frame with a panel, and a count of the button events that reach
// the frame.
class ButtonTest : public testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "buttons", wxDefaultPosition, wxSize(400, 300));
        m_panel = new wxPanel(m_frame);
        m_frame->Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) {
            m_clicks.push_back(event.GetId());
            m_sources.push_back(event.GetEventObject());
        });
        m_frame->Show();
    }
    void TearDown() override { delete m_frame; }

    static void Mouse(wxWindow* w, wxEventType type, int x, int y) {
        wxMouseEvent event(type);
        event.m_x = x;
        event.m_y = y;
        event.SetEventObject(w);
        w->HandleWindowEvent(event);
    }
    static void Key(wxWindow* w, wxEventType type, int code) {
        wxKeyEvent event(type);
        event.m_keyCode = code;
        event.SetEventObject(w);
        w->HandleWindowEvent(event);
    }

    wxFrame* m_frame = nullptr;
    wxPanel* m_panel = nullptr;
    std::vector<int> m_clicks;
    std::vector<wxObject*> m_sources;
};

// --- Pressing -----------------------------------------------------------

enum class Step { Down, Up, DClick, OutsideMove, InsideMove, UpOutside, SpaceDown, SpaceUp, Enter,
                  OtherKey, Disable, LoseCapture, LoseFocus };

struct PressCase {
    const char* what;
    std::vector<Step> steps;
    int clicks;
    friend void PrintTo(const PressCase& c, std::ostream* os) { *os << c.what; }
};

std::string CaseName(const char* what) {
    std::string name = what;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
}

class PressTest : public ButtonTest, public testing::WithParamInterface<PressCase> {
protected:
    void Run(DrawnButton* button, Step step) {
        switch (step) {
        case Step::Down: Mouse(button, wxEVT_LEFT_DOWN, 10, 10); break;
        case Step::DClick: Mouse(button, wxEVT_LEFT_DCLICK, 10, 10); break;
        case Step::Up: Mouse(button, wxEVT_LEFT_UP, 10, 10); break;
        case Step::UpOutside: Mouse(button, wxEVT_LEFT_UP, 500, 10); break;
        case Step::OutsideMove: Mouse(button, wxEVT_MOTION, -5, 10); break;
        case Step::InsideMove: Mouse(button, wxEVT_MOTION, 12, 12); break;
        case Step::SpaceDown: Key(button, wxEVT_KEY_DOWN, WXK_SPACE); break;
        case Step::SpaceUp: Key(button, wxEVT_KEY_UP, WXK_SPACE); break;
        case Step::Enter: Key(button, wxEVT_KEY_DOWN, WXK_RETURN); break;
        case Step::OtherKey:
            Key(button, wxEVT_KEY_DOWN, 'A');
            Key(button, wxEVT_KEY_UP, 'A');
            break;
        case Step::Disable: button->Disable(); break;
        case Step::LoseCapture: {
            if (button->HasCapture()) button->ReleaseMouse();
            wxMouseCaptureLostEvent event(button->GetId());
            event.SetEventObject(button);
            button->HandleWindowEvent(event);
            break;
        }
        case Step::LoseFocus: {
            wxFocusEvent event(wxEVT_KILL_FOCUS, button->GetId());
            event.SetEventObject(button);
            button->HandleWindowEvent(event);
            break;
        }
        }
    }
};

TEST_P(PressTest, FiresOneButtonEventPerCompletedPress) {
    const PressCase& c = GetParam();
    DrawnButton* buttons[] = {
        new CColorButton(m_panel, 1024, "Line colour...", wxPoint(0, 0), wxSize(140, 28)),
        new CImageTextButton(m_panel, 1100, "Open...", wxPoint(0, 40), wxSize(160, 30)),
    };
    for (DrawnButton* button : buttons) {
        m_clicks.clear();
        m_sources.clear();
        for (Step step : c.steps) Run(button, step);
        EXPECT_EQ(int(m_clicks.size()), c.clicks) << c.what;
        for (std::size_t i = 0; i < m_clicks.size(); ++i) {
            EXPECT_EQ(m_clicks[i], button->GetId()) << c.what;
            EXPECT_EQ(m_sources[i], button) << c.what;
        }
        EXPECT_FALSE(button->IsPressed()) << c.what << ": press left over";
        EXPECT_FALSE(button->HasCapture()) << c.what << ": capture left over";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, PressTest,
    testing::Values(
        PressCase{"click", {Step::Down, Step::Up}, 1},
        PressCase{"release outside", {Step::Down, Step::OutsideMove, Step::UpOutside}, 0},
        PressCase{"leave and come back", {Step::Down, Step::OutsideMove, Step::InsideMove, Step::Up}, 1},
        PressCase{"release without press", {Step::Up}, 0},
        PressCase{"double click is two clicks", {Step::Down, Step::Up, Step::DClick, Step::Up}, 2},
        PressCase{"space", {Step::SpaceDown, Step::SpaceUp}, 1},
        PressCase{"space auto-repeat", {Step::SpaceDown, Step::SpaceDown, Step::SpaceDown, Step::SpaceUp}, 1},
        PressCase{"space release alone", {Step::SpaceUp}, 0},
        PressCase{"enter", {Step::Enter}, 1},
        PressCase{"other keys", {Step::OtherKey}, 0},
        PressCase{"disabled", {Step::Disable, Step::Down, Step::Up, Step::SpaceDown, Step::SpaceUp, Step::Enter}, 0},
        PressCase{"disabled while held", {Step::Down, Step::Disable, Step::Up}, 0},
        PressCase{"disabled while space held", {Step::SpaceDown, Step::Disable, Step::SpaceUp}, 0},
        PressCase{"capture lost", {Step::Down, Step::LoseCapture, Step::Up}, 0},
        PressCase{"focus lost while space held", {Step::SpaceDown, Step::LoseFocus, Step::SpaceUp}, 0}),
    [](const testing::TestParamInfo<PressCase>& info) { return CaseName(info.param.what); });

TEST_F(ButtonTest, PressedLookFollowsThePointer) {
    auto* button = new CColorButton(m_panel, 1024, "Line colour...", wxPoint(0, 0), wxSize(140, 28));
    EXPECT_FALSE(button->IsPressed());
    Mouse(button, wxEVT_LEFT_DOWN, 10, 10);
    EXPECT_TRUE(button->IsPressed());
    Mouse(button, wxEVT_MOTION, 200, 10);
    EXPECT_FALSE(button->IsPressed());
    Mouse(button, wxEVT_MOTION, 20, 10);
    EXPECT_TRUE(button->IsPressed());
    Mouse(button, wxEVT_LEFT_UP, 20, 10);
    EXPECT_FALSE(button->IsPressed());
}

TEST_F(ButtonTest, TakesKeyboardFocusOnlyWhileEnabled) {
    auto* color = new CColorButton(m_panel, 1024, "Line colour...");
    auto* image = new CImageTextButton(m_panel, 1100, "Open...");
    for (DrawnButton* button : {static_cast<DrawnButton*>(color), static_cast<DrawnButton*>(image)}) {
        EXPECT_TRUE(button->CanAcceptFocusFromKeyboard());
        button->Disable();
        EXPECT_FALSE(button->CanAcceptFocusFromKeyboard());
    }
}

// --- Colour button painting -----------------------------------------------

struct InkCase {
    const char* what;
    bool enabled;
    std::uint32_t color;
    bool swatch;
    buttons::Ink ink;
    friend void PrintTo(const InkCase& c, std::ostream* os) { *os << c.what; }
};

class ColorPaintTest : public ButtonTest, public testing::WithParamInterface<InkCase> {};

Rgb InkRgb(buttons::Ink ink) {
    switch (ink) {
    case buttons::Ink::White: return {255, 255, 255};
    case buttons::Ink::Black: return {0, 0, 0};
    case buttons::Ink::ButtonText: return FromColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    case buttons::Ink::GrayText: return FromColour(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
    }
    return {};
}

TEST_P(ColorPaintTest, SwatchAndCaptionInk) {
    const InkCase& c = GetParam();
    auto* button = new CColorButton(m_panel, 1024, "Line colour...", wxPoint(0, 0), wxSize(150, 30));
    button->m_color = c.color;
    button->Enable(c.enabled);
    const wxImage image = Render(*button);
    const buttons::Rect swatch = buttons::SwatchRect({0, 0, 150, 30});
    const Rgb colour{int(c.color & 0xFF), int((c.color >> 8) & 0xFF), int((c.color >> 16) & 0xFF)};

    // The swatch's top rows lie above the caption.
    const Rgb background = PixelAt(image, swatch.left + 1, swatch.top + 1);
    if (c.swatch) {
        EXPECT_TRUE(Near(background, colour, 0)) << c.what;
        EXPECT_TRUE(Near(PixelAt(image, swatch.right - 2, swatch.bottom - 2), colour, 0)) << c.what;
    } else {
        int painted = 0;
        for (int y = swatch.top; y < swatch.bottom; ++y)
            for (int x = swatch.left; x < swatch.right; ++x) painted += Near(PixelAt(image, x, y), colour, 0);
        EXPECT_LT(painted, 4) << c.what << ": the colour shows";
    }

    // Caption pixels blend the ink into the background: each lies between
    // the two, and some come close to the ink.
    wxMemoryDC measure;
    measure.SetFont(button->GetFont());
    const wxSize extent = measure.GetTextExtent("Line colour...");
    const buttons::Point origin = buttons::ColorCaptionOrigin(swatch, {extent.x, extent.y});
    const Rgb ink = InkRgb(c.ink);
    int inked = 0, stray = 0;
    for (int y = std::max(origin.y, swatch.top); y < std::min(origin.y + extent.y, swatch.bottom); ++y) {
        for (int x = std::max(origin.x, swatch.left); x < std::min(origin.x + extent.x, swatch.right); ++x) {
            const Rgb p = PixelAt(image, x, y);
            if (!(Between(p.r, background.r, ink.r, 3) && Between(p.g, background.g, ink.g, 3) &&
                  Between(p.b, background.b, ink.b, 3)))
                ++stray;
            const int reach = std::max({std::abs(ink.r - background.r), std::abs(ink.g - background.g),
                                        std::abs(ink.b - background.b)});
            if (Near(p, ink, reach / 3)) ++inked;
        }
    }
    EXPECT_EQ(stray, 0) << c.what << ": pixels off the ink-background line";
    EXPECT_GT(inked, 10) << c.what << ": no caption in the expected ink";
}

INSTANTIATE_TEST_SUITE_P(
    Inks, ColorPaintTest,
    testing::Values(InkCase{"dark blue, white caption", true, 0x800000, true, buttons::Ink::White},
                    InkCase{"white, black caption", true, 0xFFFFFF, true, buttons::Ink::Black},
                    InkCase{"sum 382, white caption", true, 0x807F7F, true, buttons::Ink::White},
                    InkCase{"sum 383, black caption", true, 0x807F80, true, buttons::Ink::Black},
                    InkCase{"no colour, button text", true, buttons::kNoColor, false, buttons::Ink::ButtonText},
                    InkCase{"disabled, no swatch, grey text", false, 0x00FF00, false, buttons::Ink::GrayText}),
    [](const testing::TestParamInfo<InkCase>& info) { return CaseName(info.param.what); });

TEST_F(ButtonTest, PressingChangesTheFaceButNotSwatchOrCaption) {
    auto* button = new CColorButton(m_panel, 1024, "Line colour...", wxPoint(0, 0), wxSize(150, 30));
    button->m_color = 0x800000;
    // A press focuses the button; compare with the focused look.
    button->SetFocus();
    const wxImage normal = Render(*button);
    Mouse(button, wxEVT_LEFT_DOWN, 10, 10);
    const wxImage pressed = Render(*button);
    Mouse(button, wxEVT_LEFT_UP, 10, 10);

    const buttons::Rect swatch = buttons::SwatchRect({0, 0, 150, 30});
    int insideDiffers = 0, outsideDiffers = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 150; ++x) {
            const bool inside = x >= swatch.left && x < swatch.right && y >= swatch.top && y < swatch.bottom;
            const bool same = Near(PixelAt(normal, x, y), PixelAt(pressed, x, y), 0);
            (inside ? insideDiffers : outsideDiffers) += !same;
        }
    }
    EXPECT_EQ(insideDiffers, 0);
    EXPECT_GT(outsideDiffers, 0) << "the face does not show the press";
}

// --- Image-text button ------------------------------------------------------

// The open icon's folder front, and how to find it in a rendering.
constexpr Rgb kFolderYellow{0xf7, 0xcd, 0x66};

std::set<std::pair<int, int>> YellowPixels(const wxImage& image) {
    std::set<std::pair<int, int>> found;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (Near(PixelAt(image, x, y), kFolderYellow, 12)) found.insert({x, y});
    return found;
}

TEST_F(ButtonTest, LoadingAnIconMovesTheCaption) {
    auto* button = new CImageTextButton(m_panel, 1100, "Open...", wxPoint(0, 0), wxSize(160, 18));
    ASSERT_TRUE(button->LoadIconImages(133));
    EXPECT_EQ(button->GetLabel(), "");
    EXPECT_EQ(button->m_strText, "Open...");
    EXPECT_EQ(button->m_cxIcon, 16);
    EXPECT_EQ(button->m_cyIcon, 16);

    // 18 pixels high: the icon sits at (3, 1).
    const auto yellow = YellowPixels(Render(*button));
    ASSERT_FALSE(yellow.empty());
    for (const auto& [x, y] : yellow) {
        EXPECT_TRUE(x >= 3 && x < 19 && y >= 1 && y < 17) << "icon pixel at " << x << ", " << y;
    }
}

TEST_F(ButtonTest, MissingIconLeavesATextButton) {
    auto* button = new CImageTextButton(m_panel, 1100, "Open...", wxPoint(0, 0), wxSize(160, 30));
    EXPECT_FALSE(button->LoadIconImages(4242));
    EXPECT_EQ(button->GetLabel(), "Open...");
    EXPECT_EQ(button->m_strText, "");
    EXPECT_EQ(button->m_cxIcon, 0);

    // The caption is still painted: dark pixels around the middle.
    const wxImage image = Render(*button);
    int dark = 0;
    for (int y = 8; y < 22; ++y)
        for (int x = 40; x < 120; ++x) dark += PixelAt(image, x, y).g < 128;
    EXPECT_GT(dark, 10);
}

TEST_F(ButtonTest, DisabledIconIsGreyAndPressedIconStays) {
    auto* button = new CImageTextButton(m_panel, 1100, "Open...", wxPoint(0, 0), wxSize(160, 24));
    ASSERT_TRUE(button->LoadIconImages(133));
    const wxImage normal = Render(*button);
    Mouse(button, wxEVT_LEFT_DOWN, 10, 10);
    const wxImage pressed = Render(*button);
    Mouse(button, wxEVT_LEFT_UP, 10, 10);
    EXPECT_EQ(YellowPixels(pressed), YellowPixels(normal));

    button->Disable();
    const wxImage disabled = Render(*button);
    EXPECT_TRUE(YellowPixels(disabled).empty());
    // Greyed against a grey face, the icon keeps no colour of its own.
    const Rgb face = FromColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    const int faceSpread = std::max({face.r, face.g, face.b}) - std::min({face.r, face.g, face.b});
    int iconPixels = 0;
    for (int y = 4; y < 20; ++y) {
        for (int x = 6; x < 22; ++x) {
            const Rgb p = PixelAt(disabled, x, y);
            EXPECT_LE(std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}), faceSpread + 8)
                << "coloured pixel at " << x << ", " << y;
            iconPixels += !Near(p, PixelAt(normal, x, y), 0);
        }
    }
    EXPECT_GT(iconPixels, 20) << "disabled icon looks like the enabled one";
}

TEST(MakeDisabledBitmap, KeepsByteOrderAndAlpha) {
    wxImage image(4, 1);
    image.InitAlpha();
    const unsigned char in[4][4] = {{200, 0, 0, 255}, {0, 0, 0, 0}, {255, 255, 255, 255}, {242, 242, 242, 128}};
    for (int x = 0; x < 4; ++x) {
        image.SetRGB(x, 0, in[x][0], in[x][1], in[x][2]);
        image.SetAlpha(x, 0, in[x][3]);
    }
    const wxBitmap out = CImageTextButton::MakeDisabledBitmap(wxBitmap(image, 32), wxColour(240, 100, 30));
    ASSERT_TRUE(out.IsOk());
    const wxImage result = out.ConvertToImage();
    ASSERT_TRUE(result.HasAlpha());
    struct Expected {
        Rgb rgb;
        int alpha;
        bool opaque;
    };
    // Red 200 is grey 60; white is grey 254, above every face channel.
    const Expected expected[4] = {
        {{180, 86, 246}, 255, true}, {{}, 0, false}, {{246, 246, 246}, 255, true}, {{240, 246, 246}, 128, false}};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(result.GetAlpha(x, 0), expected[x].alpha) << "pixel " << x;
        // Half-transparent pixels may lose a step to premultiplication.
        if (expected[x].alpha > 0) {
            EXPECT_TRUE(Near(PixelAt(result, x, 0), expected[x].rgb, expected[x].opaque ? 0 : 2))
                << "pixel " << x << ": " << PixelAt(result, x, 0).r << "," << PixelAt(result, x, 0).g << ","
                << PixelAt(result, x, 0).b;
        }
    }
    EXPECT_FALSE(CImageTextButton::MakeDisabledBitmap(wxBitmap(), *wxWHITE).IsOk());
}

// --- Icons --------------------------------------------------------------------

TEST(CommandIcons, EveryIconRendersAtSmallAndDoubleSize) {
    std::set<std::uint64_t> seen;  // fingerprints of the 16 px renderings
    for (int id = 132; id <= 140; ++id) {
        const wxBitmapBundle bundle = CommandIcon(id);
        ASSERT_TRUE(bundle.IsOk()) << "icon " << id;
        EXPECT_EQ(bundle.GetDefaultSize(), wxSize(16, 16)) << "icon " << id;
        for (int size : {16, 32}) {
            const wxImage image = bundle.GetBitmap(wxSize(size, size)).ConvertToImage();
            ASSERT_EQ(image.GetSize(), wxSize(size, size)) << "icon " << id;
            ASSERT_TRUE(image.HasAlpha()) << "icon " << id;
            int opaque = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) opaque += image.GetAlpha(x, y) > 128;
            const double cover = double(opaque) / (size * size);
            EXPECT_GT(cover, 0.15) << "icon " << id << " at " << size;
            EXPECT_LT(cover, 0.95) << "icon " << id << " at " << size;
            if (size == 16) {
                std::uint64_t hash = 14695981039346656037u;
                for (int i = 0; i < 16 * 16 * 3; ++i) hash = (hash ^ image.GetData()[i]) * 1099511628211u;
                EXPECT_TRUE(seen.insert(hash).second) << "icon " << id << " repeats another";
            }
        }
    }
}

TEST(CommandIcons, UnknownIdsGiveNoIcon) {
    for (int id : {0, 127, 128, 131, 141, 57601}) {
        EXPECT_FALSE(CommandIcon(id).IsOk()) << "icon " << id;
    }
}

TEST(CommandIcons, ApplicationIconAtEverySize) {
    const wxIconBundle icons = AppIconBundle();
    ASSERT_EQ(icons.GetIconCount(), 5u);
    for (int size : {16, 24, 32, 48, 256}) {
        const wxIcon icon = icons.GetIconOfExactSize(wxSize(size, size));
        ASSERT_TRUE(icon.IsOk()) << size;
        wxBitmap bitmap;
        bitmap.CopyFromIcon(icon);
        const wxImage image = bitmap.ConvertToImage();
        ASSERT_EQ(image.GetSize(), wxSize(size, size));
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) opaque += !image.HasAlpha() || image.GetAlpha(x, y) > 128;
        EXPECT_GT(opaque, size * size / 3) << size;
    }
}

TEST(MenuIcons, CommandsAndTheirIcons) {
    struct Case {
        int command;
        int icon;  // 0: none
    };
    const Case cases[] = {
        {32771, 132}, {57601, 133}, {32772, 134}, {32773, 135}, {57603, 136}, {57666, 137},
        {57634, 138}, {57637, 139}, {32778, 140},
        // exit, panel side, About, the recent files and a separator have none
        {57665, 0}, {32779, 0}, {57664, 0}, {57616, 0}, {57623, 0}, {0, 0},
    };
    for (const Case& c : cases) {
        const std::optional<int> icon = MenuIconFor(c.command);
        EXPECT_EQ(icon.value_or(0), c.icon) << "command " << c.command;
        if (icon) {
            EXPECT_TRUE(CommandIcon(*icon).IsOk()) << "command " << c.command;
        }
    }
    EXPECT_EQ(MenuIcons.size(), 9u);
}

}  // namespace
