// CAboutDlg: the program's icon, name and version, the maker's notice and
// the icon credit with its link (opened in the default browser). Modal; OK
// and Esc close it.
#pragma once

#include <wx/dialog.h>

class CAboutDlg : public wxDialog {
public:
    explicit CAboutDlg(wxWindow* parent);
};

inline constexpr const char* kAboutCaption = "バージョン情報";
inline constexpr const char* kAboutNameVersion = "ヴェルモア ver2.0";
inline constexpr const char* kAboutNotice = "Copyright (C) 2026 Tolvane. All rights reserved.";
inline constexpr const char* kAboutCredit = "Some icons designed by";
inline constexpr const char* kAboutLinkText = "Tolvane";
// RFC 2606's reserved domain until the maker's own page exists: it can never
// lead to someone else's site.
inline constexpr const char* kAboutLinkAddress = "https://tolvane.example/velmor/icons";
