// The help book: one help window for the whole program, opened at a topic.
// The book (velmor.htb) is found beside the program (the build folder) or,
// installed, in <prefix>/share/velmor; the window keeps no state of its own.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

// Help pages that other windows open at.
inline constexpr const char* kHelpContents = "index.html";
inline constexpr const char* kHelpOptionsPage = "options.html";

// Shows the book at `page` (a file of the book, optionally with "#anchor"),
// or at its contents when `page` is empty. A missing book is reported.
void ShowHelp(const wxString& page = {});
// Closes the help window; the application calls this as it ends.
void CloseHelp();
// The page the help window shows; empty while it is closed.
wxString ShownHelpPage();
// Where the book is looked for, in order.
wxArrayString HelpBookCandidates();
