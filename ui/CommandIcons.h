// The program's own icons, drawn as SVG and built into the binary, so they
// stay sharp at every scale and need no files at run time.
//
// Command icons (ids 132 to 140) are drawn on a 16 x 16 grid and serve both
// the menu and the panel's buttons; the application icon is id 128.
#pragma once

#include <array>
#include <optional>

#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

inline constexpr int kAppIconId = 128;

// The icon of a command, 16 x 16 by default; an invalid bundle for an id
// without an icon.
wxBitmapBundle CommandIcon(int iconId);

// The application icon at 16, 24, 32, 48 and 256 pixels.
wxIconBundle AppIconBundle();

// Which menu commands carry which icon. Exit, the panel side switch, About
// and the recent files have none.
struct MenuIcon {
    int commandId;
    int iconId;
};
inline constexpr std::array<MenuIcon, 9> MenuIcons{{
    {32771, 132},  // make the sketch: pencil over a sheet
    {57601, 133},  // open: open folder
    {32772, 134},  // switch original / sketch: opposed arrows
    {32773, 135},  // external viewer: printer
    {57603, 136},  // save: floppy disk
    {57666, 137},  // help: question mark in a circle
    {57634, 138},  // copy: two overlapping pages
    {57637, 139},  // paste: clipboard
    {32778, 140},  // options: gear wheel
}};

// The icon id of a menu command, or nothing when the command has no icon.
std::optional<int> MenuIconFor(int commandId);
