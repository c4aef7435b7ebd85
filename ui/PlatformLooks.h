// Where GTK's defaults hide what the window should show: menu images, scroll
// bars that stay on screen, a group caption clear of its frame line, a
// two-line check box label that starts at the left. Each does nothing on
// other platforms.
#pragma once

class wxCheckBox;
class wxStaticBox;
class wxWindow;

// Menus show the icons beside their items (GTK hides them by default).
void ShowMenuImages();
// The window's scroll bars stay on screen instead of appearing only while
// the pointer moves.
void KeepScrollBarsVisible(wxWindow* scrolled);
// The caption stands a little in from the frame's left corner.
void IndentGroupCaption(wxStaticBox* box);
// Every line of the label starts at the left.
void LeftAlignLabel(wxCheckBox* box);
