// The paper and its orientation, remembered between runs in the "Settings"
// section: PrintPaper holds wx's paper number (wxPaperSize, A4 is 3, the same
// on every platform), PrintOrientation 1 for portrait and 2 for landscape. A value that is absent or out of range
// leaves the print data as it was, so the system's default paper stays in
// force until the person picks one.
#pragma once

class wxPrintData;

void LoadPrintSettings(wxPrintData& data);
// Writes both keys; a paper of a custom size (no number) writes no paper.
void SavePrintSettings(const wxPrintData& data);
// Whether paper or orientation differ: the print data worth storing anew.
bool PaperOrOrientationDiffer(const wxPrintData& a, const wxPrintData& b);
